// Synthetic scene of the virtual camera.
#include "pipeline/scene_source.h"
#include "pipeline/vector_clones.h"

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

[[gnu::always_inline]] inline uint64_t streamKey(uint64_t seed, Stream stream, uint64_t index) {
    return mix(seed ^ mix(uint64_t(stream) * 0xD1B54A32D192ED03ull + index));
}

constexpr double unit16(uint64_t bits) {
    return double(bits & 0xFFFF) / 65535.0;
}

// Temporal noise is a 32-bit hash of (frame, pixel index): 32-bit lanes keep it cheap in vectors.
// The sum of its four bytes is close enough to a normal for sensor noise, and bounded.
[[gnu::always_inline]] inline uint32_t hash32(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    return x ^ (x >> 16);
}
[[gnu::always_inline]] inline int32_t centredByteSum(uint32_t bits) {
    const uint32_t pairs = (bits & 0x00FF00FFu) + ((bits >> 8) & 0x00FF00FFu);
    return int32_t((pairs & 0xFFFFu) + (pairs >> 16)) - 510;
}
constexpr double kByteSumDeviation = 147.8005; // sqrt(4 * (256^2 - 1) / 12)

// Stored light carries three fraction bits: the noise is added before rounding to a grey level.
constexpr double kLightScale = 8.0;
constexpr uint32_t kLightMax = 65535;

constexpr double kVignetting = 0.35;
constexpr double kGainSpread = 0.03;
constexpr double kDarkOffset = 12.0;
constexpr double kDarkSpread = 16.0;
constexpr double kGradientLow = 300.0;
constexpr double kGradientSpan = 2600.0;
constexpr double kObjectLevel = 3900.0;
constexpr double kFramesPerTurn = 120.0;

// One run of a line: light plus noise, rounded, limited to 12 bits and cut to the camera's depth.
// Runs go in blocks of a fixed size so the compiler vectorises them without a run-time trip
// count, with the same arithmetic for the tail.
constexpr size_t kBlock = 32;

[[gnu::always_inline]] inline uint16_t noisySample(uint16_t light, uint32_t index, uint32_t frameKey,
                                                   float scale, uint16_t mask) {
    const int32_t noise = centredByteSum(hash32(index ^ frameKey));
    // Clamped after the conversion, in whole numbers: truncation gives the same level either way
    // (the value stays far inside 32 bits), and integer limits vectorise to two instructions where
    // float ones took compares and blends.
    const auto level = int32_t(float(light) * float(1 / kLightScale) + float(noise) * scale + 0.5f);
    return uint16_t(std::clamp<int32_t>(level, 0, kMaxSample) & mask);
}

[[gnu::always_inline]] inline uint16_t quietSample(uint16_t light, uint16_t mask) {
    const uint32_t level = (uint32_t{light} + 4) >> 3;
    return uint16_t((level < kMaxSample ? level : kMaxSample) & mask);
}

KESTREL_VECTOR_CLONES void addNoise(const uint16_t* __restrict light, uint16_t* __restrict out, size_t n,
                                    size_t ahead, uint32_t firstIndex, uint32_t frameKey, float scale,
                                    uint16_t mask) {
    size_t x = 0;
    for (; x + kBlock <= n; x += kBlock) {
        __builtin_prefetch(light + x + ahead, 0, 3);
        const uint32_t blockIndex = firstIndex + uint32_t(x);
        for (size_t i = 0; i < kBlock; ++i)
            out[x + i] = noisySample(light[x + i], blockIndex + uint32_t(i), frameKey, scale, mask);
    }
    for (; x < n; ++x)
        out[x] = noisySample(light[x], firstIndex + uint32_t(x), frameKey, scale, mask);
}

KESTREL_VECTOR_CLONES void roundLight(const uint16_t* __restrict light, uint16_t* __restrict out, size_t n,
                                      size_t ahead, uint16_t mask) {
    size_t x = 0;
    for (; x + kBlock <= n; x += kBlock) {
        __builtin_prefetch(light + x + ahead, 0, 3);
        for (size_t i = 0; i < kBlock; ++i)
            out[x + i] = quietSample(light[x + i], mask);
    }
    for (; x < n; ++x)
        out[x] = quietSample(light[x], mask);
}

// What one line of the scene looks like without noise, worked out once per settings change.
struct LineLight {
    uint64_t seed = 0;
    uint64_t lineKey = 0;
    // light = flat + slope x, the gradient along the line (slope 0 for uniform light).
    double flat = 0;
    double slope = 0;
    double centreX = 0;
    double dySquared = 0;
    double halfDiagonalSquared = 1;
};

[[gnu::always_inline]] inline uint16_t stored(double value) {
    // Never negative: the dark offset alone is at least 12 grey levels.
    const double scaled = value * kLightScale + 0.5;
    return uint16_t(scaled < double(kLightMax) ? int32_t(scaled) : int32_t(kLightMax));
}

[[gnu::always_inline]] inline void lightPixel(const LineLight& l, size_t x, uint16_t* lit,
                                              uint16_t* underDisc) {
    const double light = l.flat + l.slope * double(x);
    const double dx = double(x) - l.centreX;
    const double vignetting = 1.0 - kVignetting * (dx * dx + l.dySquared) / l.halfDiagonalSquared;
    const uint64_t pattern = streamKey(l.seed, Stream::FixedPattern, l.lineKey | x);
    const double pixelGain = 1.0 + kGainSpread * (2 * unit16(pattern) - 1);
    const double darkOffset = kDarkOffset + kDarkSpread * unit16(pattern >> 16);
    lit[x] = stored(light * vignetting * pixelGain + darkOffset);
    if (underDisc != nullptr)
        underDisc[x] = stored(kObjectLevel * vignetting * pixelGain + darkOffset);
}

// underDisc may be null (no disc in the scene).
KESTREL_VECTOR_CLONES void lightLine(const LineLight& l, uint16_t* __restrict lit,
                                     uint16_t* __restrict underDisc, size_t n) {
    size_t x = 0;
    if (underDisc != nullptr) {
        for (; x + kBlock <= n; x += kBlock)
            for (size_t i = 0; i < kBlock; ++i)
                lightPixel(l, x + i, lit, underDisc);
    } else {
        for (; x + kBlock <= n; x += kBlock)
            for (size_t i = 0; i < kBlock; ++i)
                lightPixel(l, x + i, lit, nullptr);
    }
    for (; x < n; ++x)
        lightPixel(l, x, lit, underDisc);
}

} // namespace

SceneSource::SceneSource(const SceneSettings& settings) : settings_(settings) {
    if (settings.bitDepth != 8 && settings.bitDepth != 10 && settings.bitDepth != 12)
        throw std::invalid_argument("camera bit depth must be 8, 10 or 12");
    if (!(settings.noiseSigma >= 0.0))
        throw std::invalid_argument("noise deviation must not be negative");
    if (!(settings.flatLevel >= 0.0) || !std::isfinite(settings.flatLevel))
        throw std::invalid_argument("flat-field light must be a finite level of at least 0");
    // Beyond a few thousand grey levels every noisy sample is clipped anyway.
    noiseScale_ = float(std::min(settings.noiseSigma, 1e6) / kByteSumDeviation);
    depthMask_ = uint16_t(kSampleMask & ~((1u << (12 - settings.bitDepth)) - 1));
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
    defectsByLine_ = defects_;
    std::stable_sort(defectsByLine_.begin(), defectsByLine_.end(),
                     [](const SensorDefect& a, const SensorDefect& b) { return a.y < b.y; });
    prepareLight();
}

void SceneSource::prepareLight() {
    const uint32_t width = settings_.widthPixels;
    const uint32_t heightLines = settings_.heightLines;
    const double w = width;
    const double height = heightLines;
    const double centreY = (height - 1) / 2;
    const bool synthetic = settings_.content == SceneContent::Synthetic;
    const size_t pixels = size_t{width} * heightLines;
    lit_.resize(pixels);
    if (synthetic)
        underDisc_.resize(pixels);
    LineLight line;
    line.seed = settings_.seed;
    line.centreX = (w - 1) / 2;
    line.halfDiagonalSquared = std::max(line.centreX * line.centreX + centreY * centreY, 1.0);
    for (uint32_t y = 0; y < heightLines; ++y) {
        const double v = height > 1 ? y / (height - 1) : 0.0;
        const double dy = y - centreY;
        line.dySquared = dy * dy;
        line.lineKey = uint64_t{y} << 32;
        line.flat = settings_.content == SceneContent::LensCap ? 0.0 : settings_.flatLevel;
        line.slope = 0.0;
        if (synthetic) {
            line.flat = kGradientLow + kGradientSpan * 0.35 * v;
            line.slope = w > 1 ? kGradientSpan * 0.65 / (w - 1) : 0.0;
        }
        lightLine(line, lit_.data() + size_t{y} * width,
                  synthetic ? underDisc_.data() + size_t{y} * width : nullptr, width);
    }
}

void SceneSource::renderLine(uint64_t frameNumber, uint32_t y, uint16_t* line) const {
    const double angle =
        2 * std::numbers::pi * double(frameNumber % uint64_t(kFramesPerTurn)) / kFramesPerTurn;
    const double objectX = (settings_.widthPixels - 1.0) / 2 + 0.3 * settings_.widthPixels * std::cos(angle);
    const double objectY = (settings_.heightLines - 1.0) / 2 + 0.3 * settings_.heightLines * std::sin(angle);
    const auto frameKey = uint32_t(streamKey(settings_.seed, Stream::Noise, frameNumber));
    exposeLine(y, frameKey, objectX, objectY, line);

    const uint16_t fullScale = uint16_t(kMaxSample & depthMask_);
    const auto byLine = [](const SensorDefect& d, uint32_t row) { return d.y < row; };
    for (auto d = std::lower_bound(defectsByLine_.begin(), defectsByLine_.end(), y, byLine);
         d != defectsByLine_.end() && d->y == y; ++d)
        line[d->x] = d->hot ? fullScale : 0;
}

void SceneSource::exposeLine(uint32_t y, uint32_t frameKey, double objectX, double objectY,
                             uint16_t* line) const {
    const uint32_t width = settings_.widthPixels;
    const size_t first = size_t{y} * width;
    // Lines are asked for top to bottom, and each depends on memory only for its light: the
    // same place on the line below is fetched while this one is worked out.
    const size_t ahead = y + 1 < settings_.heightLines ? width : 0;
    // The disc covers one run [discStart, discEnd) of the line, or none.
    uint32_t discStart = width;
    uint32_t discEnd = width;
    if (!underDisc_.empty()) {
        const double radius = std::max(1.0, std::min<double>(width, settings_.heightLines) / 8);
        const double dy = y - objectY;
        auto inside = [&](uint32_t x) {
            const double dx = x - objectX;
            return dx * dx + dy * dy <= radius * radius;
        };
        if (dy * dy <= radius * radius) {
            const double half = std::sqrt(radius * radius - dy * dy);
            // The square root only locates the run; the same test as a pixel-by-pixel walk
            // settles its ends.
            const double from = std::clamp(std::floor(objectX - half), 0.0, double(width));
            uint32_t start = uint32_t(from);
            while (start > 0 && inside(start - 1))
                --start;
            while (start < width && !inside(start))
                ++start;
            const double to = std::clamp(std::floor(objectX + half), double(start), double(width));
            auto end = uint32_t(to);
            while (end < width && inside(end))
                ++end;
            while (end > start && !inside(end - 1))
                --end;
            if (start < end) {
                discStart = start;
                discEnd = end;
            }
        }
    }
    auto run = [&](const std::vector<uint16_t>& light, uint32_t from, uint32_t to) {
        if (from >= to)
            return;
        if (settings_.noiseSigma > 0)
            addNoise(light.data() + first + from, line + from, to - from, ahead, uint32_t(first + from),
                     frameKey, noiseScale_, depthMask_);
        else
            roundLight(light.data() + first + from, line + from, to - from, ahead, depthMask_);
    };
    run(lit_, 0, discStart);
    run(underDisc_, discStart, discEnd);
    run(lit_, discEnd, width);
}

} // namespace kestrel::board
