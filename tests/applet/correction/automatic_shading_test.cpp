// The automatic shading correction's formulas on reference images read from files.
#include "correction/automatic_shading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "correction/coefficient_images.h"
#include "correction/reference_image.h"
#include "regiort.h"
#include "scratch_dir.h"

namespace kestrel {
namespace {

class AutomaticShading : public test::ScratchDirTest {
protected:
    void SetUp() override {
        ScratchDirTest::SetUp();
        images_.initialiseOffsets();
        images_.initialiseGains();
    }

    template <class T>
    ReferenceImage image(const std::string& name, int32_t width, int32_t height,
                         const std::vector<T>& samples) {
        EXPECT_EQ(ImageFile_Write(path(name).c_str(), samples.data(), width, height, 8 * sizeof(T), 1), 0);
        return ReferenceImage(path(name).c_str());
    }
    template <class T>
    ReferenceImage uniform(const std::string& name, int32_t width, int32_t height, T value) {
        return image(name, width, height, std::vector<T>(static_cast<std::size_t>(width) * height, value));
    }

    uint16_t offsetAt(std::size_t x, std::size_t y) const {
        return images_.offsets()[y * kCoefficientSide + x];
    }
    uint16_t gainAt(std::size_t x, std::size_t y) const { return images_.gains()[y * kCoefficientSide + x]; }

    CoefficientImages images_;
    ReferenceImage none_;
};

// A 16-bit black is taken as is up to 65534; with the black depth 10 the defect limit is 255 - 10:
// gray 244 is defective, 245 is not.
TEST_F(AutomaticShading, SixteenBitBlackAndTheDefectLimitFromTheBlackDepth) {
    computeOffsets(image<uint16_t>("black16.tif", 3, 1, {7, 65534, 65535}), none_, 0, false,
                   images_.offsets());
    EXPECT_EQ((std::vector{offsetAt(0, 0), offsetAt(1, 0), offsetAt(2, 0)}),
              (std::vector<uint16_t>{7, 65534, 65534}));
    computeOffsets(uniform<uint8_t>("black.tif", 3, 1, 0), image<uint8_t>("gray.tif", 3, 1, {244, 245, 255}),
                   10, true, images_.offsets());
    EXPECT_EQ((std::vector{offsetAt(0, 0), offsetAt(1, 0), offsetAt(2, 0)}),
              (std::vector<uint16_t>{65535, 0, 0}));
}

TEST_F(AutomaticShading, DefectivePixelsNeedTheEnableAndTheGrayImage) {
    const ReferenceImage black = image<uint8_t>("black.tif", 4, 2, {5, 5, 6, 7, 5, 5, 5, 5});
    const ReferenceImage gray = uniform<uint8_t>("gray.tif", 2, 1, 255);
    computeOffsets(black, none_, 0, true, images_.offsets());
    EXPECT_EQ(offsetAt(0, 0), 1280);
    computeOffsets(black, gray, 0, false, images_.offsets());
    EXPECT_EQ(offsetAt(0, 0), 1280);
    computeOffsets(black, gray, 0, true, images_.offsets());
    EXPECT_EQ(offsetAt(1, 0), 65535); // inside the gray image
    EXPECT_EQ(offsetAt(2, 0), 1536);  // right of it, from the black pixel in the same column
    EXPECT_EQ(offsetAt(3, 0), 1792);
    EXPECT_EQ(offsetAt(0, 1), 1280); // below it
}

TEST_F(AutomaticShading, ZeroNegativeAndUndefinedQuotientsGive65535) {
    const ReferenceImage gray = image<uint8_t>("gray.tif", 3, 1, {0, 100, 200});
    const ReferenceImage black = image<uint8_t>("black.tif", 3, 1, {0, 150, 100});
    computeGains(black, gray, 0.0, images_.gains());
    EXPECT_EQ(gainAt(0, 0), 65535); // 0 / 0
    EXPECT_EQ(gainAt(1, 0), 65535); // negative d
    EXPECT_EQ(gainAt(2, 0), 65535); // zero quotient
    computeGains(black, gray, 1.0, images_.gains());
    EXPECT_EQ(gainAt(1, 0), 65535); // negative quotient
    EXPECT_EQ(gainAt(2, 0), static_cast<uint16_t>(1.0 / (200.0 / 255 - 100.0 / 255) * 4096 + 0.5));
}

// Max value starts from zero and the mean may be negative.
TEST_F(AutomaticShading, TargetsOfTheFourModes) {
    const ReferenceImage gray = image<uint8_t>("gray.tif", 2, 2, {51, 102, 153, 204});
    EXPECT_DOUBLE_EQ(gainTarget(none_, gray, GainCorrectionMode::MaxValue, 0.0), 204.0 / 255.0);
    EXPECT_DOUBLE_EQ(gainTarget(none_, gray, GainCorrectionMode::MeanValue, 0.0),
                     (51.0 / 255 + 102.0 / 255 + 153.0 / 255 + 204.0 / 255) / 4.0);
    EXPECT_DOUBLE_EQ(gainTarget(none_, gray, GainCorrectionMode::MaxRange, 0.0), 1.0);
    EXPECT_DOUBLE_EQ(gainTarget(none_, gray, GainCorrectionMode::CustomValue, 2047.5), 0.5);
    const ReferenceImage dim = uniform<uint8_t>("dim.tif", 2, 1, 10);
    const ReferenceImage black = uniform<uint8_t>("black.tif", 2, 1, 20);
    EXPECT_DOUBLE_EQ(gainTarget(black, dim, GainCorrectionMode::MaxValue, 0.0), 0.0);
    EXPECT_LT(gainTarget(black, dim, GainCorrectionMode::MeanValue, 0.0), 0.0);
}

TEST_F(AutomaticShading, BlackCountsOnlyWhereItCoversTheGrayImage) {
    const ReferenceImage gray = uniform<uint8_t>("gray.tif", 2, 2, 255);
    const ReferenceImage black = uniform<uint8_t>("black.tif", 1, 1, 51);
    // d: 0.8 at (0, 0), 1.0 elsewhere.
    EXPECT_DOUBLE_EQ(gainTarget(black, gray, GainCorrectionMode::MeanValue, 0.0), (0.8 + 3.0) / 4.0);
    computeGains(black, gray, 1.0, images_.gains());
    EXPECT_EQ(gainAt(0, 0), static_cast<uint16_t>(1.0 / (1.0 - 51.0 / 255.0) * 4096.0 + 0.5));
    EXPECT_EQ(gainAt(1, 0), 4096);
    EXPECT_EQ(gainAt(0, 1), 4096);
}

TEST_F(AutomaticShading, LargeGrayImageCountsWholeForTheTargetAndFillsOnlyTheCorner) {
    constexpr int32_t kSide = 5000;
    std::vector<uint8_t> samples(static_cast<std::size_t>(kSide) * kSide, 100);
    samples.back() = 200; // bottom-right, outside 4096 x 4096
    const ReferenceImage gray = image<uint8_t>("big.tif", kSide, kSide, samples);
    const double target = gainTarget(none_, gray, GainCorrectionMode::MaxValue, 0.0);
    EXPECT_DOUBLE_EQ(target, 200.0 / 255.0);
    images_.initialiseGains();
    computeGains(none_, gray, target, images_.gains());
    EXPECT_EQ(gainAt(4095, 4095), static_cast<uint16_t>(target / (100.0 / 255.0) * 4096.0 + 0.5));
    EXPECT_EQ(gainAt(4095, 4095), 8192);
}

} // namespace
} // namespace kestrel
