// Shading arithmetic by hand, at sensor coordinates, and the fast line kernel against it.
#include "pipeline/shading.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kestrel::board {
namespace {

// One pixel through the shading formula: q = 16 p - o, r = (q g + 2048) >> 12 (arithmetic),
// result (r + 8) >> 4 clamped to 0..4095; an offset of 65535 marks a defect and subtracts nothing.
struct PixelCase {
    const char* name;
    uint16_t pixel;
    uint16_t offset;
    uint16_t gain;
    uint16_t expected;
};

const PixelCase kPixels[] = {
    // q = 1440; r = (1440 * 8192 + 2048) >> 12 = 2880 (2880.5 rounds down after the shift); 180.
    {"OffsetAndDoubleGain", 100, 160, 8192, 180},
    // q = 160; r = (160 * 6144 + 2048) >> 12 = 240; (240 + 8) >> 4 = 15.
    {"GainOfOneAndAHalf", 10, 0, 6144, 15},
    // q = -20; r = (-81920 + 2048) >> 12 = -20; (-12) >> 4 = -1, clamped to 0.
    {"NegativeDifferenceClampsToZero", 5, 100, 4096, 0},
    {"LargestOffsetBelowTheMarkClampsToZero", 0, 65534, 65535, 0},
    {"MinusHalfAGreyLevelRoundsToExactlyZero", 0, 8, 4096, 0},
    {"LargestGainClampsTo4095", 4095, 0, 65535, 4095},
    {"ExactlyFullScaleClampsTo4095", 2048, 0, 8192, 4095},
    {"JustBelowFullScaleIsKept", 2047, 0, 8192, 4094},
    // Offsets are in 1/16 grey: 8 is half a level and rounds back up; 9 takes the level away.
    {"OffsetOfHalfAGreyLevelRoundsUp", 100, 8, 4096, 100},
    {"OffsetJustOverHalfAGreyLevelTakesTheLevel", 100, 9, 4096, 99},
    {"OffsetOfOneAndAHalfLevelsRoundsUp", 100, 24, 4096, 99},
    {"OffsetJustOverOneAndAHalfLevels", 100, 25, 4096, 98},
    // q g = -2048: (-2048 + 2048) >> 12 = 0, so -0.5 rounds toward plus infinity.
    {"GainShiftRoundsHalfUpForNegativeDifferences", 0, 1, 2048, 0},
    // q = 3, g = 0.5: 1.5 rounds to 2; then (2 + 8) >> 4 = 0.
    {"GainShiftRoundsHalfUpBeforeTheGreyShift", 1, 13, 2048, 0},
    // q = 15, g = 0.5: r = 8; (8 + 8) >> 4 = 1. One rounding of 15 x 0.5 / 16 = 0.47 would give 0.
    {"RoundsTwiceAsTheDesignDoes", 1, 1, 2048, 1},
    {"DefectMarkSubtractsNothing", 100, CoefficientPlane::kDefective, 4096, 100},
};

class ShadingPixel : public testing::TestWithParam<PixelCase> {};

TEST_P(ShadingPixel, GivesTheHandComputedValue) {
    const PixelCase& c = GetParam();
    EXPECT_EQ(shadePixel(c.pixel, c.offset, c.gain), c.expected);
}

INSTANTIATE_TEST_SUITE_P(HandComputed, ShadingPixel, testing::ValuesIn(kPixels),
                         [](const auto& row) { return row.param.name; });

TEST(ShadingPixelIdentity, UnityGainAndNoOffsetPassEverySampleUnchanged) {
    for (uint16_t p = 0; p <= kMaxSample; ++p)
        ASSERT_EQ(shadePixel(p, 0, 4096), p);
}

class ShadingFrame : public testing::Test {
protected:
    ShadingFrame() {
        auto offsets = std::make_shared<CoefficientPlane>(0);
        auto gains = std::make_shared<CoefficientPlane>(4096);
        offsets->set(12, 23, 160); // window pixel (2, 3) with the window at (10, 20)
        gains->set(12, 23, 8192);
        offsets->set(0, 20, 32); // sensor x 4096 wraps to 0
        settings.offsets = offsets;
        settings.gains = gains;
    }

    Frame12 uniformWindow(uint16_t value) const { return Frame12(4, 5, value); }

    RoiWindow roi{.xOffset = 10, .yOffset = 20, .widthPixels = 4, .heightLines = 5};
    ShadingSettings settings;
};

TEST_F(ShadingFrame, CoefficientsAreTakenAtSensorCoordinates) {
    settings.offsetEnabled = true;
    settings.gainEnabled = true;
    const Frame12 shaded = applyShading(uniformWindow(100), roi, settings);
    EXPECT_EQ(shaded.at(2, 3), 180);
    EXPECT_EQ(shaded.at(1, 3), 100);
    EXPECT_EQ(shaded.at(2, 2), 100);
}

TEST_F(ShadingFrame, DisabledCorrectionsIgnoreTheirCoefficients) {
    settings.offsetEnabled = false;
    settings.gainEnabled = true;
    EXPECT_EQ(applyShading(uniformWindow(100), roi, settings).at(2, 3), 200);
    settings.offsetEnabled = true;
    settings.gainEnabled = false;
    EXPECT_EQ(applyShading(uniformWindow(100), roi, settings).at(2, 3), 90);
}

TEST_F(ShadingFrame, GainOffAppliesTheDefaultGainToEveryPixel) {
    // The default gain is what the design multiplies by while gain correction is off; with the
    // value the applet writes (4096) this is the identity the design's formula gives.
    settings.gainEnabled = false;
    settings.defaultGain = 8192;
    const Frame12 doubled = applyShading(uniformWindow(100), roi, settings);
    EXPECT_EQ(doubled.at(0, 0), 200);
    EXPECT_EQ(doubled.at(2, 3), 200);
    settings.defaultGain = 4096;
    EXPECT_EQ(applyShading(uniformWindow(100), roi, settings), uniformWindow(100));
}

TEST_F(ShadingFrame, BothOffPassesPixelsUnchanged) {
    Frame12 window = uniformWindow(0);
    for (size_t i = 0; i < window.pixelCount(); ++i)
        window.pixels()[i] = uint16_t(i * 211 % 4096);
    EXPECT_EQ(applyShading(window, roi, settings), window);
}

TEST_F(ShadingFrame, CoefficientAddressesWrapAt4096) {
    settings.offsetEnabled = true;
    const RoiWindow edge{.xOffset = 4094, .yOffset = 20, .widthPixels = 4, .heightLines = 1};
    const Frame12 shaded = applyShading(Frame12(4, 1, 100), edge, settings);
    EXPECT_EQ(shaded.at(2, 0), 98); // sensor x 4096 uses the coefficient at x 0
    EXPECT_EQ(shaded.at(1, 0), 100);
}

TEST_F(ShadingFrame, MissingCoefficientImagesActAsInitialised) {
    settings.offsets = nullptr;
    settings.gains = nullptr;
    settings.offsetEnabled = true;
    settings.gainEnabled = true;
    settings.defaultGain = 8192; // not used: gain correction is on, with gains of 4096
    EXPECT_EQ(applyShading(uniformWindow(100), roi, settings), uniformWindow(100));
}

// The line kernel folds the two roundings into one shift and works in unsigned 32-bit lanes;
// it must agree with the pixel formula for every sample and the extreme coefficients.
TEST(ShadingLine, AgreesWithPixelFormulaForEverySampleAndExtremeCoefficients) {
    const std::vector<uint16_t> coefficientValues = {0,     1,     7,     8,     9,     15,   16,    2047,
                                                     2048,  4095,  4096,  4097,  8191,  8192, 30000, 32768,
                                                     65519, 65520, 65521, 65533, 65534, 65535};
    std::vector<uint16_t> samples(4096 + 37);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = uint16_t(i); // the values above 4095 check that only 12 bits are used
    std::vector<uint16_t> out(samples.size());
    for (uint16_t offset : coefficientValues) {
        for (uint16_t gain : coefficientValues) {
            const std::vector<uint16_t> offsets(samples.size(), offset);
            const std::vector<uint16_t> gains(samples.size(), gain);
            shadeLine(samples.data(), offsets.data(), gains.data(), 0, out.data(), samples.size());
            for (size_t i = 0; i < samples.size(); ++i)
                ASSERT_EQ(out[i], shadePixel(samples[i] & kSampleMask, offset, gain))
                    << "p=" << samples[i] << " o=" << offset << " g=" << gain;
            shadeLine(samples.data(), offsets.data(), nullptr, gain, out.data(), samples.size());
            for (size_t i = 0; i < samples.size(); ++i)
                ASSERT_EQ(out[i], shadePixel(samples[i] & kSampleMask, offset, gain));
            shadeLine(samples.data(), nullptr, gains.data(), 0, out.data(), samples.size());
            for (size_t i = 0; i < samples.size(); ++i)
                ASSERT_EQ(out[i], shadePixel(samples[i] & kSampleMask, 0, gain));
        }
    }
}

TEST(ShadingLine, ConstantGainWithoutOffsetsHandlesShortLines) {
    for (size_t n : {size_t{1}, size_t{2}, size_t{31}, size_t{33}}) {
        std::vector<uint16_t> samples(n, 4095);
        std::vector<uint16_t> out(n, 7);
        shadeLine(samples.data(), nullptr, nullptr, 2048, out.data(), n);
        for (uint16_t value : out)
            EXPECT_EQ(value, 2048); // 4095 * 0.5 = 2047.5 rounds up
    }
}

} // namespace
} // namespace kestrel::board
