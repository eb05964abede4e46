// The automatic shading correction's formulas.
#include "correction/automatic_shading.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "correction/coefficient_images.h"
#include "support/vector_clones.h"

namespace kestrel {

namespace {

constexpr int32_t kSide = static_cast<int32_t>(kCoefficientSide);

// sample / (2^bits - 1) for every sample of `bits` (8 or 16) bits. Each is the division the
// formulas name, done once per value instead of once per pixel: a division costs several times a
// table load, and the quotient is the same to the last bit.
std::vector<double> levelsUpTo(uint32_t fullScale) {
    std::vector<double> levels(std::size_t{fullScale} + 1);
    for (std::size_t v = 0; v < levels.size(); ++v)
        levels[v] = static_cast<double>(v) / static_cast<double>(fullScale);
    return levels;
}

const double* sampleLevels(int32_t bits) {
    static const std::vector<double> levels8 = levelsUpTo(255);
    if (bits == 8)
        return levels8.data();
    static const std::vector<double> levels16 = levelsUpTo(65535);
    return levels16.data();
}

// The level of gray pixel (x, y), less the black level where the black image covers it.
class LevelSource {
public:
    LevelSource(const ReferenceImage& black, const ReferenceImage& gray)
        : black_(black), gray_(gray), grayLevels_(sampleLevels(gray.bits())),
          blackLevels_(black.exists() ? sampleLevels(black.bits()) : nullptr) {}

    // The black part of row y covers x < blackWidth(y).
    int32_t blackWidth(int32_t y) const {
        return black_.exists() && y < black_.height() ? black_.width() : 0;
    }
    double level(int32_t x, int32_t y, int32_t blackWidth) const {
        double d = grayLevels_[gray_.at(x, y)];
        if (x < blackWidth)
            d -= blackLevels_[black_.at(x, y)];
        return d;
    }
    const double* grayLevels() const { return grayLevels_; }
    const double* blackLevels() const { return blackLevels_; }

private:
    const ReferenceImage& black_;
    const ReferenceImage& gray_;
    const double* grayLevels_;
    const double* blackLevels_;
};

// Rows go through the coefficient formulas in blocks of a fixed size, so that the compiler
// vectorises them without a run-time trip count; the tail takes the same arithmetic. IEEE
// division is exact to the last bit in vectors too, so the gains do not depend on the lane width.
constexpr std::size_t kBlock = 16;

template <class Kernel> [[gnu::always_inline]] inline void inBlocks(std::size_t n, Kernel&& kernel) {
    std::size_t x = 0;
    for (; x + kBlock <= n; x += kBlock)
        for (std::size_t i = 0; i < kBlock; ++i)
            kernel(x + i);
    for (; x < n; ++x)
        kernel(x);
}

// trunc(target / level x 4096 + 0.5), 65535 where that is 65535 or more or the quotient is zero,
// negative or NaN (0 / 0).
[[gnu::always_inline]] inline uint16_t gainOf(double target, double level) {
    const double quotient = target / level;
    const double t = quotient * 4096.0 + 0.5;
    const bool usable = quotient > 0.0 && t < 65535.0;
    // Only usable values reach the conversion: 0 < t < 65535 fits any integer type.
    return usable ? static_cast<uint16_t>(static_cast<int32_t>(usable ? t : 0.0)) : uint16_t{65535};
}

template <class Gray, class Black>
KESTREL_APPLET_VECTOR_CLONES void
gainRun(const Gray* __restrict gray, const Black* __restrict black, const double* __restrict grayLevels,
        const double* __restrict blackLevels, double target, uint16_t* __restrict gains, std::size_t n) {
    inBlocks(n,
             [&](std::size_t x) { gains[x] = gainOf(target, grayLevels[gray[x]] - blackLevels[black[x]]); });
}

template <class Gray>
KESTREL_APPLET_VECTOR_CLONES void gainRunWithoutBlack(const Gray* __restrict gray,
                                                      const double* __restrict grayLevels, double target,
                                                      uint16_t* __restrict gains, std::size_t n) {
    inBlocks(n, [&](std::size_t x) { gains[x] = gainOf(target, grayLevels[gray[x]]); });
}

// The black level in 1/16 grey level of 12 bits: shifted up from 8 bits, rounded down from 16
// (b x 16 + 8) / 16 == b), at most 65534.
template <class Black> [[gnu::always_inline]] inline uint16_t offsetOf(Black b) {
    const uint32_t offset = sizeof(Black) == 1 ? uint32_t{b} * 256u : uint32_t{b};
    return static_cast<uint16_t>(offset < 65534u ? offset : 65534u);
}

template <class Black>
KESTREL_APPLET_VECTOR_CLONES void offsetRun(const Black* __restrict black, uint16_t* __restrict offsets,
                                            std::size_t n) {
    inBlocks(n, [&](std::size_t x) { offsets[x] = offsetOf(black[x]); });
}

// With the defect test: a black level above `threshold` or a gray level below `grayLimit`. Both
// limits come clamped to what a 16-bit sample can reach, which keeps the tests in 32 bits.
template <class Black, class Gray>
KESTREL_APPLET_VECTOR_CLONES void
offsetRunMarkingDefects(const Black* __restrict black, const Gray* __restrict gray, int32_t threshold,
                        int32_t grayLimit, uint16_t* __restrict offsets, std::size_t n) {
    inBlocks(n, [&](std::size_t x) {
        const bool defective = int32_t{black[x]} > threshold || int32_t{gray[x]} < grayLimit;
        offsets[x] = defective ? kDefectiveOffset : offsetOf(black[x]);
    });
}

template <class Sample> const Sample* rowOf(const ReferenceImage& image, int32_t y) {
    return static_cast<const Sample*>(image.samples()) + static_cast<std::size_t>(y) * image.width();
}

// Calls f with the sample type of each image: uint8_t or uint16_t.
template <class F> void withSampleType(const ReferenceImage& image, F&& f) {
    if (image.bits() == 8)
        f(uint8_t{});
    else
        f(uint16_t{});
}

} // namespace

void computeOffsets(const ReferenceImage& black, const ReferenceImage& gray, uint32_t threshold,
                    bool markDefective, uint16_t* offsets, int32_t firstRow, int32_t endRow) {
    if (!black.exists())
        return;
    const int64_t grayLimit = static_cast<int64_t>(black.maxValue()) - threshold;
    const auto clampedThreshold = static_cast<int32_t>(std::min<uint32_t>(threshold, 65535u));
    const auto clampedLimit = static_cast<int32_t>(std::clamp<int64_t>(grayLimit, 0, 65536));
    const int32_t height = std::min({black.height(), kSide, endRow});
    const int32_t width = std::min(black.width(), kSide);
    withSampleType(black, [&](auto blackSample) {
        using Black = decltype(blackSample);
        for (int32_t y = std::max(firstRow, 0); y < height; ++y) {
            uint16_t* row = offsets + static_cast<std::size_t>(y) * kCoefficientSide;
            const Black* b = rowOf<Black>(black, y);
            const int32_t grayWidth =
                markDefective && gray.exists() && y < gray.height() ? std::min(gray.width(), width) : 0;
            withSampleType(gray, [&](auto graySample) {
                using Gray = decltype(graySample);
                if (grayWidth > 0)
                    offsetRunMarkingDefects(b, rowOf<Gray>(gray, y), clampedThreshold, clampedLimit, row,
                                            static_cast<std::size_t>(grayWidth));
            });
            offsetRun(b + grayWidth, row + grayWidth, static_cast<std::size_t>(width - grayWidth));
        }
    });
}

double gainTarget(const ReferenceImage& black, const ReferenceImage& gray, GainCorrectionMode mode,
                  double customValue) {
    switch (mode) {
    case GainCorrectionMode::MaxRange:
        return 1.0;
    case GainCorrectionMode::CustomValue:
        return customValue / 4095.0;
    case GainCorrectionMode::MaxValue:
    case GainCorrectionMode::MeanValue:
        break;
    }
    const LevelSource levels(black, gray);
    double largest = 0.0;
    double sum = 0.0;
    for (int32_t y = 0; y < gray.height(); ++y) {
        const int32_t blackWidth = levels.blackWidth(y);
        for (int32_t x = 0; x < gray.width(); ++x) {
            const double d = levels.level(x, y, blackWidth);
            largest = std::max(largest, d);
            sum += d;
        }
    }
    if (mode == GainCorrectionMode::MaxValue)
        return largest;
    return sum / (static_cast<double>(gray.width()) * static_cast<double>(gray.height()));
}

void computeGains(const ReferenceImage& black, const ReferenceImage& gray, double target, uint16_t* gains,
                  int32_t firstRow, int32_t endRow) {
    const LevelSource levels(black, gray);
    const int32_t height = std::min({gray.height(), kSide, endRow});
    const int32_t width = std::min(gray.width(), kSide);
    withSampleType(gray, [&](auto graySample) {
        using Gray = decltype(graySample);
        for (int32_t y = std::max(firstRow, 0); y < height; ++y) {
            uint16_t* row = gains + static_cast<std::size_t>(y) * kCoefficientSide;
            const Gray* g = rowOf<Gray>(gray, y);
            const int32_t covered = std::min(levels.blackWidth(y), width);
            if (covered > 0) {
                withSampleType(black, [&](auto blackSample) {
                    using Black = decltype(blackSample);
                    gainRun(g, rowOf<Black>(black, y), levels.grayLevels(), levels.blackLevels(), target, row,
                            static_cast<std::size_t>(covered));
                });
            }
            gainRunWithoutBlack(g + covered, levels.grayLevels(), target, row + covered,
                                static_cast<std::size_t>(width - covered));
        }
    });
}

} // namespace kestrel
