// The automatic shading correction's formulas.
#include "correction/automatic_shading.h"

#include <algorithm>
#include <cmath>

#include "correction/coefficient_images.h"

namespace kestrel {

namespace {

constexpr int32_t kSide = static_cast<int32_t>(kCoefficientSide);

// The level of gray pixel (x, y), less the black level where the black image covers it.
class LevelSource {
public:
    LevelSource(const ReferenceImage& black, const ReferenceImage& gray)
        : black_(black), gray_(gray), grayMax_(static_cast<double>(gray.maxValue())),
          blackMax_(black.exists() ? static_cast<double>(black.maxValue()) : 1.0) {}

    // The black part of row y covers x < blackWidth(y).
    int32_t blackWidth(int32_t y) const {
        return black_.exists() && y < black_.height() ? black_.width() : 0;
    }
    double level(int32_t x, int32_t y, int32_t blackWidth) const {
        double d = static_cast<double>(gray_.at(x, y)) / grayMax_;
        if (x < blackWidth)
            d -= static_cast<double>(black_.at(x, y)) / blackMax_;
        return d;
    }

private:
    const ReferenceImage& black_;
    const ReferenceImage& gray_;
    double grayMax_;
    double blackMax_;
};

uint16_t gainOf(double target, double level) {
    const double quotient = target / level;
    if (!(quotient > 0.0))  // zero, negative, or NaN from 0 / 0
        return 65535;
    const double t = quotient * 4096.0 + 0.5;
    // Converted through unsigned 64 bits; anything that large is clipped first.
    if (!(t < 65535.0))
        return 65535;
    return static_cast<uint16_t>(static_cast<uint64_t>(t));
}

}  // namespace

void computeOffsets(const ReferenceImage& black, const ReferenceImage& gray, uint32_t threshold,
                    bool markDefective, uint16_t* offsets) {
    if (!black.exists())
        return;
    const int64_t grayLimit = static_cast<int64_t>(black.maxValue()) - threshold;
    const int32_t height = std::min(black.height(), kSide);
    const int32_t width = std::min(black.width(), kSide);
    for (int32_t y = 0; y < height; ++y) {
        uint16_t* row = offsets + static_cast<std::size_t>(y) * kCoefficientSide;
        const int32_t grayWidth = markDefective && gray.exists() && y < gray.height() ? gray.width() : 0;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t b = black.at(x, y);
            // b x 16 in 1/16 grey level of 12 bits: shifted up from 8 bits, rounded down from 16.
            const uint32_t offset = black.bits() == 8 ? b * 256u : (b * 16u + 8u) / 16u;
            row[x] = static_cast<uint16_t>(std::min<uint32_t>(offset, 65534u));
            if (x < grayWidth && (b > threshold || static_cast<int64_t>(gray.at(x, y)) < grayLimit))
                row[x] = kDefectiveOffset;
        }
    }
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

void computeGains(const ReferenceImage& black, const ReferenceImage& gray, double target, uint16_t* gains) {
    const LevelSource levels(black, gray);
    const int32_t height = std::min(gray.height(), kSide);
    const int32_t width = std::min(gray.width(), kSide);
    for (int32_t y = 0; y < height; ++y) {
        uint16_t* row = gains + static_cast<std::size_t>(y) * kCoefficientSide;
        const int32_t blackWidth = levels.blackWidth(y);
        for (int32_t x = 0; x < width; ++x)
            row[x] = gainOf(target, levels.level(x, y, blackWidth));
    }
}

}  // namespace kestrel
