// Line access to the shading coefficients: handles, access rules, conversion of each line.
#include "correction/shading_line_access.h"

#include <gtest/gtest.h>

#include <cmath>

#include "api/error_codes.h"

namespace kestrel {
namespace {

class ShadingLineAccessTest : public ::testing::Test {
protected:
    CoefficientImages images_;
    int uploads_ = 0;
    int32_t uploadResult_ = kOk;
    ShadingLineAccess access_{images_, [this] {
                                  ++uploads_;
                                  return uploadResult_;
                              }};

    ShadingHandle* allocateWithAccess() {
        ShadingHandle* handle = access_.allocShading(0, 0);
        EXPECT_NE(handle, nullptr);
        EXPECT_EQ(access_.getAccess(handle), kOk);
        return handle;
    }
    uint16_t offsetAt(std::size_t x, std::size_t y) const {
        return images_.offsets()[y * kCoefficientSide + x];
    }
    uint16_t gainAt(std::size_t x, std::size_t y) const { return images_.gains()[y * kCoefficientSide + x]; }
};

TEST_F(ShadingLineAccessTest, AllocationGivesTheFixedGeometryAndNeutralImages) {
    ShadingHandle* handle = access_.allocShading(0, 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->width, 4096u);
    EXPECT_EQ(handle->maxLine, 4096u);
    EXPECT_EQ(handle->channels, 1u);
    EXPECT_EQ(handle->subBits, 16u);
    EXPECT_EQ(handle->subFractionBits, 4u);
    EXPECT_EQ(handle->multBits, 16u);
    EXPECT_EQ(handle->multFractionBits, 12u);
    EXPECT_EQ(handle->accessGranted, 0);
    EXPECT_EQ(handle->offsetBuffer, images_.offsets());
    EXPECT_EQ(handle->gainBuffer, images_.gains());
    EXPECT_EQ(offsetAt(4095, 4095), 0);
    EXPECT_EQ(gainAt(0, 0), 4096);
    EXPECT_EQ(access_.freeShading(handle), kOk);
}

TEST_F(ShadingLineAccessTest, AllocationResetsImagesAnEarlierHandleChanged) {
    ShadingHandle* first = allocateWithAccess();
    ASSERT_EQ(access_.setSubValueLine(first, 3, 0, 1.0f), kOk);
    ASSERT_EQ(access_.writeActLine(first, 7), kOk);
    ASSERT_EQ(offsetAt(3, 7), 16);
    ShadingHandle* second = access_.allocShading(0, 0);
    EXPECT_EQ(offsetAt(3, 7), 0);
    EXPECT_EQ(access_.freeShading(first), kOk);
    EXPECT_EQ(access_.freeShading(second), kOk);
}

TEST_F(ShadingLineAccessTest, ValuesBeforeGetAccessAreRefusedAndNotStored) {
    ShadingHandle* handle = access_.allocShading(0, 0);
    EXPECT_EQ(access_.setSubValueLine(handle, 0, 0, 5.0f), kErrInvalidArgument);
    EXPECT_EQ(access_.setMultValueLine(handle, 0, 0, 5.0f), kErrInvalidArgument);
    EXPECT_EQ(access_.setFixedPatternNoiseLine(handle, 0, 0, 1), kErrInvalidArgument);
    EXPECT_EQ(access_.getMaxLine(handle), kErrInvalidArgument);
    EXPECT_EQ(access_.writeActLine(handle, 0), kErrInvalidArgument);
    EXPECT_EQ(access_.freeAccess(handle), kErrInvalidArgument);
    EXPECT_EQ(handle->lineEntries[0].offsetSet, 0);
    EXPECT_EQ(uploads_, 0);
    access_.freeShading(handle);
}

TEST_F(ShadingLineAccessTest, NullForeignAndFreedHandlesAreRefused) {
    int notAHandle = 0;
    ShadingHandle* freed = allocateWithAccess();
    ASSERT_EQ(access_.freeShading(freed), kOk);
    for (void* handle :
         {static_cast<void*>(nullptr), static_cast<void*>(&notAHandle), static_cast<void*>(freed)}) {
        EXPECT_EQ(access_.freeShading(handle), kErrInvalidArgument);
        EXPECT_EQ(access_.getAccess(handle), kErrInvalidArgument);
        EXPECT_EQ(access_.getMaxLine(handle), kErrInvalidArgument);
        EXPECT_EQ(access_.setSubValueLine(handle, 0, 0, 1.0f), kErrInvalidArgument);
        EXPECT_EQ(access_.freeAccess(handle), kErrInvalidArgument);
        EXPECT_EQ(access_.writeActLine(handle, 0), kErrInvalidArgument);
    }
}

TEST_F(ShadingLineAccessTest, PixelAndChannelOutsideTheLineAreRefused) {
    ShadingHandle* handle = allocateWithAccess();
    EXPECT_EQ(access_.setSubValueLine(handle, -1, 0, 1.0f), kErrInvalidArgument);
    EXPECT_EQ(access_.setSubValueLine(handle, 4096, 0, 1.0f), kErrInvalidArgument);
    EXPECT_EQ(access_.setMultValueLine(handle, 0, 1, 1.0f), kErrInvalidArgument);
    EXPECT_EQ(access_.setFixedPatternNoiseLine(handle, 0, -1, 1), kErrInvalidArgument);
    EXPECT_EQ(access_.setSubValueLine(handle, 4095, 0, 1.0f), kOk);
    access_.freeShading(handle);
}

TEST_F(ShadingLineAccessTest, LinesOutsideTheImageAreOutOfRange) {
    ShadingHandle* handle = allocateWithAccess();
    EXPECT_EQ(access_.getMaxLine(handle), 4096);
    EXPECT_EQ(access_.writeActLine(handle, -1), kErrOutOfRange);
    EXPECT_EQ(access_.writeActLine(handle, 4096), kErrOutOfRange);
    EXPECT_EQ(access_.writeActLine(handle, 4095), kOk);
    access_.freeShading(handle);
}

TEST_F(ShadingLineAccessTest, OffsetsConvertToSixteenthsWithRoundingAndClipping) {
    ShadingHandle* handle = allocateWithAccess();
    const float values[] = {4095.0f, 4096.0f, 1.5f, -1.0f, 0.03f, 0.0f};
    for (int x = 0; x < 6; ++x)
        ASSERT_EQ(access_.setSubValueLine(handle, x, 0, values[x]), kOk);
    ASSERT_EQ(access_.writeActLine(handle, 100), kOk);
    EXPECT_EQ(offsetAt(0, 100), 65520); // 65520.5 truncated
    EXPECT_EQ(offsetAt(1, 100), 65535); // 65536.5: the defective mark
    EXPECT_EQ(offsetAt(2, 100), 24);
    EXPECT_EQ(offsetAt(3, 100), 0);
    EXPECT_EQ(offsetAt(4, 100), 0); // 0.48 + 0.5 truncated
    EXPECT_EQ(offsetAt(5, 100), 0);
    access_.freeShading(handle);
}

TEST_F(ShadingLineAccessTest, GainsConvertWithTwelveFractionBits) {
    ShadingHandle* handle = allocateWithAccess();
    ASSERT_EQ(access_.setMultValueLine(handle, 0, 0, 1.0f), kOk);
    ASSERT_EQ(access_.setMultValueLine(handle, 1, 0, 16.0f), kOk);
    ASSERT_EQ(access_.setMultValueLine(handle, 2, 0, 0.5f), kOk);
    ASSERT_EQ(access_.setMultValueLine(handle, 3, 0, -2.0f), kOk);
    ASSERT_EQ(access_.writeActLine(handle, 0), kOk);
    EXPECT_EQ(gainAt(0, 0), 4096);
    EXPECT_EQ(gainAt(1, 0), 65535);
    EXPECT_EQ(gainAt(2, 0), 2048);
    EXPECT_EQ(gainAt(3, 0), 0);
    access_.freeShading(handle);
}

TEST(FixedPointCoefficient, RoundsHalfUpAndClipsAtBothEnds) {
    EXPECT_EQ(fixedPointCoefficient(4095.9375f, 16.0f), 65535);  // 65535.0 + 0.5
    EXPECT_EQ(fixedPointCoefficient(4095.90625f, 16.0f), 65535); // 65534.5 + 0.5
    EXPECT_EQ(fixedPointCoefficient(4095.875f, 16.0f), 65534);
    EXPECT_EQ(fixedPointCoefficient(3.0e38f, 16.0f), 65535); // the float product overflows
    EXPECT_EQ(fixedPointCoefficient(-0.03f, 16.0f), 0);      // -0.48 + 0.5 truncates to 0
    EXPECT_EQ(fixedPointCoefficient(-1.0f, 4096.0f), 0);
    EXPECT_EQ(fixedPointCoefficient(std::nanf(""), 16.0f), 0);
}

TEST_F(ShadingLineAccessTest, DefectiveFlagMarksTheOffsetWhateverTheSubValue) {
    ShadingHandle* handle = allocateWithAccess();
    ASSERT_EQ(access_.setSubValueLine(handle, 10, 0, 2.0f), kOk);
    ASSERT_EQ(access_.setFixedPatternNoiseLine(handle, 10, 0, 7), kOk);
    ASSERT_EQ(access_.setSubValueLine(handle, 11, 0, 2.0f), kOk);
    ASSERT_EQ(access_.setFixedPatternNoiseLine(handle, 11, 0, 0), kOk);
    ASSERT_EQ(access_.writeActLine(handle, 5), kOk);
    EXPECT_EQ(offsetAt(10, 5), 65535);
    EXPECT_EQ(offsetAt(11, 5), 32);
    access_.freeShading(handle);
}

TEST_F(ShadingLineAccessTest, PixelsWithoutValuesKeepTheirCoefficientsAndEntriesAreCleared) {
    ShadingHandle* handle = allocateWithAccess();
    ASSERT_EQ(access_.setSubValueLine(handle, 1, 0, 1.0f), kOk);
    ASSERT_EQ(access_.setMultValueLine(handle, 2, 0, 2.0f), kOk);
    ASSERT_EQ(access_.writeActLine(handle, 9), kOk);
    EXPECT_EQ(offsetAt(1, 9), 16);
    EXPECT_EQ(gainAt(1, 9), 4096);
    EXPECT_EQ(offsetAt(2, 9), 0);
    EXPECT_EQ(gainAt(2, 9), 8192);
    for (uint32_t x = 0; x < handle->width; ++x) {
        const ShadingLineEntry& e = handle->lineEntries[x];
        ASSERT_TRUE(e.offset == 0.0f && e.gainFactor == 0.0f && e.defective == 0 && e.offsetSet == 0 &&
                    e.gainSet == 0 && e.defectiveSet == 0)
            << x;
    }
    // A second line with no values changes nothing.
    ASSERT_EQ(access_.writeActLine(handle, 10), kOk);
    EXPECT_EQ(offsetAt(1, 10), 0);
    EXPECT_EQ(gainAt(2, 10), 4096);
    access_.freeShading(handle);
}

TEST_F(ShadingLineAccessTest, FreeAccessUploadsAndReturnsItsCode) {
    ShadingHandle* handle = allocateWithAccess();
    EXPECT_EQ(access_.getAccess(handle), kErrInvalidArgument); // already granted
    uploadResult_ = -9050;
    EXPECT_EQ(access_.freeAccess(handle), -9050);
    EXPECT_EQ(uploads_, 1);
    EXPECT_EQ(handle->accessGranted, 0);
    EXPECT_EQ(access_.freeAccess(handle), kErrInvalidArgument);
    EXPECT_EQ(uploads_, 1);
    // Access can be granted again after it was withdrawn.
    EXPECT_EQ(access_.getAccess(handle), kOk);
    uploadResult_ = kOk;
    EXPECT_EQ(access_.freeAccess(handle), kOk);
    EXPECT_EQ(uploads_, 2);
    access_.freeShading(handle);
}

} // namespace
} // namespace kestrel
