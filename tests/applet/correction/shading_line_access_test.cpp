// Line access to the shading coefficients: handles, access rules, conversion of each line.
#include "correction/shading_line_access.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/error_codes.h"

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

TEST_F(ShadingLineAccessTest, AllocationPublishesTheImagesAndResetsThemToNeutral) {
    ShadingHandle* first = allocateWithAccess();
    ASSERT_EQ(access_.setSubValueLine(first, 3, 0, 1.0f), kOk);
    ASSERT_EQ(access_.writeActLine(first, 7), kOk);
    ASSERT_EQ(offsetAt(3, 7), 16);
    ShadingHandle* second = access_.allocShading(0, 0);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->accessGranted, 0);
    EXPECT_EQ(second->offsetBuffer, images_.offsets());
    EXPECT_EQ(second->gainBuffer, images_.gains());
    EXPECT_EQ(offsetAt(3, 7), 0);
    EXPECT_EQ(gainAt(0, 0), 4096);
    EXPECT_EQ(access_.freeShading(first), kOk);
    EXPECT_EQ(access_.freeShading(second), kOk);
}

TEST_F(ShadingLineAccessTest, EveryCallNeedsAKnownHandleWithAccess) {
    int notAHandle = 0;
    ShadingHandle* withoutAccess = access_.allocShading(0, 0);
    ShadingHandle* freed = allocateWithAccess();
    ASSERT_EQ(access_.freeShading(freed), kOk);
    for (void* handle : {static_cast<void*>(nullptr), static_cast<void*>(&notAHandle),
                         static_cast<void*>(freed), static_cast<void*>(withoutAccess)}) {
        EXPECT_EQ(access_.getMaxLine(handle), kErrInvalidArgument);
        EXPECT_EQ(access_.setSubValueLine(handle, 0, 0, 1.0f), kErrInvalidArgument);
        EXPECT_EQ(access_.setMultValueLine(handle, 0, 0, 5.0f), kErrInvalidArgument);
        EXPECT_EQ(access_.setFixedPatternNoiseLine(handle, 0, 0, 1), kErrInvalidArgument);
        EXPECT_EQ(access_.freeAccess(handle), kErrInvalidArgument);
        EXPECT_EQ(access_.writeActLine(handle, 0), kErrInvalidArgument);
    }
    EXPECT_EQ(withoutAccess->lineEntries[0].offsetSet, 0);
    EXPECT_EQ(uploads_, 0);
    for (void* handle :
         {static_cast<void*>(nullptr), static_cast<void*>(&notAHandle), static_cast<void*>(freed)}) {
        EXPECT_EQ(access_.getAccess(handle), kErrInvalidArgument);
        EXPECT_EQ(access_.freeShading(handle), kErrInvalidArgument);
    }
    access_.freeShading(withoutAccess);
}

TEST_F(ShadingLineAccessTest, PixelsChannelsAndLinesOutsideTheImageAreRefused) {
    ShadingHandle* handle = allocateWithAccess();
    EXPECT_EQ(access_.setSubValueLine(handle, -1, 0, 1.0f), kErrInvalidArgument);
    EXPECT_EQ(access_.setSubValueLine(handle, 4096, 0, 1.0f), kErrInvalidArgument);
    EXPECT_EQ(access_.setMultValueLine(handle, 0, 1, 1.0f), kErrInvalidArgument);
    EXPECT_EQ(access_.setFixedPatternNoiseLine(handle, 0, -1, 1), kErrInvalidArgument);
    EXPECT_EQ(access_.setSubValueLine(handle, 4095, 0, 1.0f), kOk);
    EXPECT_EQ(access_.getMaxLine(handle), 4096);
    EXPECT_EQ(access_.writeActLine(handle, -1), kErrOutOfRange);
    EXPECT_EQ(access_.writeActLine(handle, 4096), kErrOutOfRange);
    EXPECT_EQ(access_.writeActLine(handle, 4095), kOk);
    access_.freeShading(handle);
}

// Offsets in sixteenths and gains with twelve fraction bits, rounded and clipped to 16 bits; a
// defective flag marks the offset whatever its value; pixels without values keep theirs.
TEST_F(ShadingLineAccessTest, LineValuesConvertToCoefficients) {
    ShadingHandle* handle = allocateWithAccess();
    const struct {
        float sub, mult;
        int32_t defective;
        uint16_t offset, gain;
    } rows[] = {{4095.0f, 1.0f, 0, 65520, 4096}, {4096.0f, 16.0f, 0, 65535, 65535},
                {1.5f, 0.5f, 0, 24, 2048},       {-1.0f, -2.0f, 0, 0, 0},
                {0.03f, 2.0f, 0, 0, 8192},       {2.0f, 1.0f, 7, 65535, 4096},
                {2.0f, 1.0f, 0, 32, 4096}};
    for (int x = 0; x < static_cast<int>(std::size(rows)); ++x) {
        ASSERT_EQ(access_.setSubValueLine(handle, x, 0, rows[x].sub), kOk);
        ASSERT_EQ(access_.setMultValueLine(handle, x, 0, rows[x].mult), kOk);
        ASSERT_EQ(access_.setFixedPatternNoiseLine(handle, x, 0, rows[x].defective), kOk);
    }
    ASSERT_EQ(access_.setMultValueLine(handle, 100, 0, 2.0f), kOk);
    ASSERT_EQ(access_.writeActLine(handle, 9), kOk);
    for (std::size_t x = 0; x < std::size(rows); ++x) {
        EXPECT_EQ(offsetAt(x, 9), rows[x].offset) << x;
        EXPECT_EQ(gainAt(x, 9), rows[x].gain) << x;
    }
    EXPECT_EQ(offsetAt(100, 9), 0);
    EXPECT_EQ(gainAt(100, 9), 8192);
    EXPECT_EQ(handle->lineEntries[100].gainSet, 0);
    // The entries were cleared: a second line with no values changes nothing.
    ASSERT_EQ(access_.writeActLine(handle, 10), kOk);
    EXPECT_EQ(offsetAt(0, 10), 0);
    EXPECT_EQ(gainAt(100, 10), 4096);
    access_.freeShading(handle);
}

TEST_F(ShadingLineAccessTest, FreeAccessUploadsOnceAndReturnsItsCode) {
    ShadingHandle* handle = allocateWithAccess();
    EXPECT_EQ(access_.getAccess(handle), kErrInvalidArgument); // already granted
    uploadResult_ = -9050;
    EXPECT_EQ(access_.freeAccess(handle), -9050);
    EXPECT_EQ(handle->accessGranted, 0);
    EXPECT_EQ(access_.freeAccess(handle), kErrInvalidArgument);
    EXPECT_EQ(uploads_, 1);
    EXPECT_EQ(access_.getAccess(handle), kOk);
    uploadResult_ = kOk;
    EXPECT_EQ(access_.freeAccess(handle), kOk);
    EXPECT_EQ(uploads_, 2);
    access_.freeShading(handle);
}

} // namespace
} // namespace kestrel
