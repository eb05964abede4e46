// Synthetic scene of the virtual camera.
#include "pipeline/scene_source.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace kestrel::board {

namespace {

// Counter-based randomness: every value is a hash of (seed, purpose, position, frame), so any
// pixel of any frame comes out the same however and in whatever order frames are made.
constexpr uint64_t mix(uint64_t z) {
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

enum class Stream : uint64_t { FixedPattern = 1, Noise = 2, HotPixel = 3, DeadPixel = 4 };

uint64_t streamKey(uint64_t seed, Stream stream, uint64_t index) {
    return mix(seed ^ mix(uint64_t(stream) * 0xD1B54A32D192ED03ull + index));
}

constexpr double unit16(uint64_t bits) { return double(bits & 0xFFFF) / 65535.0; }

// Sum of four uniform values: close enough to a unit normal for sensor noise, cheap and bounded.
constexpr double approxNormal(uint64_t bits) {
    const double sum = double(bits & 0xFFFF) + double((bits >> 16) & 0xFFFF) + double((bits >> 32) & 0xFFFF) +
                       double(bits >> 48);
    constexpr double kMean = 4 * 65535.0 / 2;
    constexpr double kDeviation = 37837.2; // sqrt(4 * (65536^2 - 1) / 12)
    return (sum - kMean) / kDeviation;
}

constexpr double kVignetting = 0.35;
constexpr double kGainSpread = 0.03;
constexpr double kDarkOffset = 12.0;
constexpr double kDarkSpread = 16.0;
constexpr double kGradientLow = 300.0;
constexpr double kGradientSpan = 2600.0;
constexpr double kObjectLevel = 3900.0;
constexpr double kFramesPerTurn = 120.0;

} // namespace

SceneSource::SceneSource(const SceneSettings& settings) : settings_(settings) {
    if (settings.bitDepth != 8 && settings.bitDepth != 10 && settings.bitDepth != 12)
        throw std::invalid_argument("camera bit depth must be 8, 10 or 12");
    if (!(settings.noiseSigma >= 0.0))
        throw std::invalid_argument("noise deviation must not be negative");
    if (!(settings.flatLevel >= 0.0) || !std::isfinite(settings.flatLevel))
        throw std::invalid_argument("flat-field light must be a finite level of at least 0");
    if (settings.widthPixels == 0 || settings.heightLines == 0)
        return;
    auto place = [&](Stream stream, uint32_t i, bool hot) {
        const uint64_t bits = streamKey(settings.seed, stream, i);
        const SensorDefect defect{uint32_t((bits & 0xFFFFFFFF) % settings.widthPixels),
                                  uint32_t((bits >> 32) % settings.heightLines), hot};
        std::erase_if(defects_, [&](const SensorDefect& d) { return d.x == defect.x && d.y == defect.y; });
        defects_.push_back(defect);
    };
    for (uint32_t i = 0; i < settings.hotPixels; ++i)
        place(Stream::HotPixel, i, true);
    for (uint32_t i = 0; i < settings.deadPixels; ++i)
        place(Stream::DeadPixel, i, false);
}

void SceneSource::render(uint64_t frameNumber, Frame12& frame) const {
    frame.resize(settings_.widthPixels, settings_.heightLines);
    for (uint32_t y = 0; y < settings_.heightLines; ++y)
        renderLine(frameNumber, y, frame.row(y));

    const uint32_t shift = 12 - settings_.bitDepth;
    const uint16_t fullScale = uint16_t(((1u << settings_.bitDepth) - 1) << shift);
    for (const SensorDefect& defect : defects_)
        frame.at(defect.x, defect.y) = defect.hot ? fullScale : 0;
}

void SceneSource::renderLine(uint64_t frameNumber, uint32_t y, uint16_t* line) const {
    const double width = settings_.widthPixels;
    const double height = settings_.heightLines;
    const double centreX = (width - 1) / 2;
    const double centreY = (height - 1) / 2;
    const double halfDiagonalSquared = std::max(centreX * centreX + centreY * centreY, 1.0);
    const double v = height > 1 ? y / (height - 1) : 0.0;
    const double dy = y - centreY;

    const bool synthetic = settings_.content == SceneContent::Synthetic;
    const double angle = 2 * std::numbers::pi * double(frameNumber % uint64_t(kFramesPerTurn)) / kFramesPerTurn;
    const double objectX = centreX + 0.3 * width * std::cos(angle);
    const double objectY = centreY + 0.3 * height * std::sin(angle);
    const double objectRadius = std::max(1.0, std::min(width, height) / 8);
    const double objectDy = y - objectY;

    const uint32_t shift = 12 - settings_.bitDepth;
    const uint64_t lineKey = uint64_t{y} << 32;
    const uint64_t frameKey = streamKey(settings_.seed, Stream::Noise, frameNumber);

    for (uint32_t x = 0; x < settings_.widthPixels; ++x) {
        double light = settings_.content == SceneContent::LensCap ? 0.0 : settings_.flatLevel;
        if (synthetic) {
            const double u = width > 1 ? x / (width - 1) : 0.0;
            light = kGradientLow + kGradientSpan * (0.65 * u + 0.35 * v);
            const double objectDx = x - objectX;
            if (objectDx * objectDx + objectDy * objectDy <= objectRadius * objectRadius)
                light = kObjectLevel;
        }
        const double dx = x - centreX;
        const double vignetting = 1.0 - kVignetting * (dx * dx + dy * dy) / halfDiagonalSquared;
        const uint64_t pattern = streamKey(settings_.seed, Stream::FixedPattern, lineKey | x);
        const double pixelGain = 1.0 + kGainSpread * (2 * unit16(pattern) - 1);
        const double darkOffset = kDarkOffset + kDarkSpread * unit16(pattern >> 16);
        double value = light * vignetting * pixelGain + darkOffset;
        if (settings_.noiseSigma > 0)
            value += settings_.noiseSigma * approxNormal(mix(frameKey ^ (lineKey | x)));
        const uint32_t level = uint32_t(std::clamp(std::lround(value), 0l, long{kMaxSample}));
        // The camera digitises at its own depth; the pipeline sees the sample at the top of 12 bits.
        line[x] = uint16_t((level >> shift) << shift);
    }
}

} // namespace kestrel::board
