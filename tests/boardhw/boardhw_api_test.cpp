// The board's C functions with real design images: what the applet and the host rely on.
#include "boardhw.h"
#include "designrt.h"
#include "test_design.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using kestrel::testing::DesignImageHandle;

namespace {

constexpr uint32_t kCameraFormat = 100101; // 2 bits, writable
constexpr uint32_t kFrameTimeout = 100104; // 24 bits
constexpr uint32_t kFillLevel = 100205;    // 7 bits, read-only
constexpr uint32_t kCoefficientFile0 = 100501;
constexpr uint32_t kCoefficientFile1 = 100601; // read-only text
constexpr uint32_t kLut = 100901;
constexpr uint32_t kOverflow = 101101;  // 1 bit, read-only
constexpr uint32_t kTimestamp = 101201; // 48 bits, read-only
constexpr uint32_t kWidest = 110501;    // 64 bits

class OpenBoard : public ::testing::Test {
protected:
    void SetUp() override {
        int32_t error = 1;
        board_ = Board_Open(0, &error);
        ASSERT_NE(board_, nullptr);
        ASSERT_EQ(error, BOARD_OK);
    }
    void TearDown() override {
        if (board_ != nullptr) {
            EXPECT_EQ(Board_Close(board_), BOARD_OK);
        }
    }
    void load(const DesignImageHandle& image) { ASSERT_EQ(Board_LoadDesign(board_, image.get()), BOARD_OK); }

    void* board_ = nullptr;
};

} // namespace

TEST_F(OpenBoard, MasksApplicationWritesToTheRegisterWidth) {
    load(kestrel::testing::openSmallDesign());
    uint64_t value = 0;
    ASSERT_EQ(Board_WriteRegister(board_, kCameraFormat, 0xFF), BOARD_OK);
    ASSERT_EQ(Board_ReadRegister(board_, kCameraFormat, &value), BOARD_OK);
    EXPECT_EQ(value, 3u);
    ASSERT_EQ(Board_WriteRegister(board_, kFrameTimeout, 0x123456789ull), BOARD_OK);
    ASSERT_EQ(Board_ReadRegister(board_, kFrameTimeout, &value), BOARD_OK);
    EXPECT_EQ(value, 0x456789u);
    ASSERT_EQ(Board_WriteRegister(board_, kWidest, ~uint64_t{0}), BOARD_OK);
    ASSERT_EQ(Board_ReadRegister(board_, kWidest, &value), BOARD_OK);
    EXPECT_EQ(value, ~uint64_t{0});
}

TEST_F(OpenBoard, RefusesReadOnlyAndUnknownRegistersWithDistinctCodes) {
    load(kestrel::testing::openSmallDesign());
    EXPECT_EQ(Board_WriteRegister(board_, kOverflow, 1), BOARD_ERR_READ_ONLY);
    EXPECT_EQ(Board_WriteRegister(board_, 424242, 1), BOARD_ERR_UNKNOWN_REGISTER);
    uint64_t value = 17;
    EXPECT_EQ(Board_ReadRegister(board_, 424242, &value), BOARD_ERR_UNKNOWN_REGISTER);
    EXPECT_EQ(value, 17u);
    EXPECT_EQ(Board_WriteRegister(board_, kLut, 1), BOARD_ERR_WRONG_KIND);
    EXPECT_EQ(Board_ReadRegister(board_, kCoefficientFile0, &value), BOARD_ERR_WRONG_KIND);
    EXPECT_EQ(Board_ReadRegister(board_, kOverflow, nullptr), BOARD_ERR_INVALID_ARGUMENT);
}

TEST_F(OpenBoard, LetsTheEmulationSideSetStatusRegisters) {
    load(kestrel::testing::openSmallDesign());
    ASSERT_EQ(Board_ForceRegister(board_, kOverflow, 1), BOARD_OK);
    ASSERT_EQ(Board_ForceRegister(board_, kFillLevel, 80), BOARD_OK);
    ASSERT_EQ(Board_ForceRegister(board_, kTimestamp, 0x1234567890ABull), BOARD_OK);
    uint64_t value = 0;
    ASSERT_EQ(Board_ReadRegister(board_, kOverflow, &value), BOARD_OK);
    EXPECT_EQ(value, 1u);
    ASSERT_EQ(Board_ReadRegister(board_, kFillLevel, &value), BOARD_OK);
    EXPECT_EQ(value, 80u);
    ASSERT_EQ(Board_ReadRegister(board_, kTimestamp, &value), BOARD_OK);
    EXPECT_EQ(value, 0x1234567890ABull);
}

TEST_F(OpenBoard, HoldsTheLutAndTheCoefficientFileNames) {
    load(kestrel::testing::openSmallDesign());
    std::vector<uint32_t> table(BOARD_LUT_ENTRIES);
    for (uint32_t i = 0; i < table.size(); ++i)
        table[i] = BOARD_LUT_ENTRIES - 1 - i;
    ASSERT_EQ(Board_WriteLut(board_, 0, table.data(), BOARD_LUT_ENTRIES), BOARD_OK);
    std::vector<uint32_t> back(BOARD_LUT_ENTRIES);
    ASSERT_EQ(Board_ReadLut(board_, 0, back.data(), BOARD_LUT_ENTRIES), BOARD_OK);
    EXPECT_EQ(back, table);

    ASSERT_EQ(Board_SetRegisterText(board_, kCoefficientFile0, "/tmp/coef-abcdef.tiff"), BOARD_OK);
    char name[64] = {};
    ASSERT_EQ(Board_GetRegisterText(board_, kCoefficientFile0, name, sizeof name), BOARD_OK);
    EXPECT_STREQ(name, "/tmp/coef-abcdef.tiff");
    EXPECT_EQ(Board_SetRegisterText(board_, kCoefficientFile1, "x"), BOARD_ERR_READ_ONLY);
    EXPECT_EQ(Board_SetRegisterText(board_, kCameraFormat, "x"), BOARD_ERR_WRONG_KIND);
}

TEST_F(OpenBoard, KeepsCoefficientLinesPerMemory) {
    load(kestrel::testing::openSmallDesign());
    std::vector<uint16_t> line(BOARD_COEFFICIENT_SIDE, 65535);
    ASSERT_EQ(Board_WriteCoefficientLines(board_, BOARD_COEFFICIENT_OFFSET, 4095, 1, line.data()), BOARD_OK);
    std::vector<uint16_t> back(BOARD_COEFFICIENT_SIDE);
    ASSERT_EQ(Board_ReadCoefficientLines(board_, BOARD_COEFFICIENT_OFFSET, 4095, 1, back.data()), BOARD_OK);
    EXPECT_EQ(back, line);
    ASSERT_EQ(Board_ReadCoefficientLines(board_, BOARD_COEFFICIENT_GAIN, 4095, 1, back.data()), BOARD_OK);
    EXPECT_EQ(back.front(), 4096);
    EXPECT_EQ(Board_WriteCoefficientLines(board_, 2, 0, 1, line.data()), BOARD_ERR_INVALID_ARGUMENT);
}

TEST_F(OpenBoard, DescribesTheImageTheRegistersSelect) {
    load(kestrel::testing::openSmallDesign());
    ASSERT_EQ(Board_WriteRegister(board_, 100201, 2048), BOARD_OK);
    ASSERT_EQ(Board_WriteRegister(board_, 100202, 100), BOARD_OK);
    ASSERT_EQ(Board_WriteRegister(board_, 100801, 1), BOARD_OK);
    BoardImageFormat format{};
    ASSERT_EQ(Board_GetImageFormat(board_, &format), BOARD_OK);
    EXPECT_EQ(format.widthPixels, 2048u);
    EXPECT_EQ(format.heightLines, 100u);
    EXPECT_EQ(format.bitsPerPixel, 8u);
    EXPECT_EQ(Board_GetImageFormat(board_, nullptr), BOARD_ERR_INVALID_ARGUMENT);
}

TEST_F(OpenBoard, FailsWritesOfABrokenRegisterUntilRepaired) {
    load(kestrel::testing::openSmallDesign());
    ASSERT_EQ(Board_WriteRegister(board_, kCameraFormat, 1), BOARD_OK);
    ASSERT_EQ(Board_FailRegisterWrites(board_, kCameraFormat, -4711), BOARD_OK);
    ASSERT_EQ(Board_FailRegisterWrites(board_, kCoefficientFile0, -4712), BOARD_OK);
    EXPECT_EQ(Board_WriteRegister(board_, kCameraFormat, 2), -4711);
    EXPECT_EQ(Board_SetRegisterText(board_, kCoefficientFile0, "a.tiff"), -4712);
    uint64_t value = 0;
    ASSERT_EQ(Board_ReadRegister(board_, kCameraFormat, &value), BOARD_OK);
    EXPECT_EQ(value, 1u) << "a failed write changes nothing";
    ASSERT_EQ(Board_FailRegisterWrites(board_, kCameraFormat, 0), BOARD_OK);
    EXPECT_EQ(Board_WriteRegister(board_, kCameraFormat, 2), BOARD_OK);
    EXPECT_EQ(Board_FailRegisterWrites(nullptr, kCameraFormat, -1), BOARD_ERR_INVALID_HANDLE);
}

TEST_F(OpenBoard, RefusesANullDesignImage) {
    EXPECT_EQ(Board_LoadDesign(board_, nullptr), BOARD_ERR_INVALID_DESIGN);
    EXPECT_EQ(Board_WriteRegister(board_, kCameraFormat, 1), BOARD_ERR_NO_DESIGN);
}

TEST(BoardHandles, NullAndClosedHandlesAreRefusedEverywhere) {
    int32_t error = 0;
    void* board = Board_Open(1, &error);
    ASSERT_NE(board, nullptr);
    ASSERT_EQ(Board_Close(board), BOARD_OK);
    uint64_t value = 0;
    uint32_t entry = 0;
    char text[4];
    BoardRegisterDescription d{};
    BoardImageFormat f{};
    for (void* bad : {static_cast<void*>(nullptr), board, reinterpret_cast<void*>(uintptr_t{0x1234})}) {
        EXPECT_EQ(Board_WriteRegister(bad, 1, 1), BOARD_ERR_INVALID_HANDLE);
        EXPECT_EQ(Board_ReadRegister(bad, 1, &value), BOARD_ERR_INVALID_HANDLE);
        EXPECT_EQ(Board_ForceRegister(bad, 1, 1), BOARD_ERR_INVALID_HANDLE);
        EXPECT_EQ(Board_LoadDesign(bad, nullptr), BOARD_ERR_INVALID_HANDLE);
        EXPECT_EQ(Board_DescribeRegister(bad, 1, &d), BOARD_ERR_INVALID_HANDLE);
        EXPECT_EQ(Board_WriteLut(bad, 0, &entry, 1), BOARD_ERR_INVALID_HANDLE);
        EXPECT_EQ(Board_ReadLut(bad, 0, &entry, 1), BOARD_ERR_INVALID_HANDLE);
        EXPECT_EQ(Board_SetRegisterText(bad, 1, "x"), BOARD_ERR_INVALID_HANDLE);
        EXPECT_EQ(Board_GetRegisterText(bad, 1, text, sizeof text), BOARD_ERR_INVALID_HANDLE);
        EXPECT_EQ(Board_GetImageFormat(bad, &f), BOARD_ERR_INVALID_HANDLE);
        EXPECT_EQ(Board_GetIndex(bad), BOARD_ERR_INVALID_HANDLE);
        EXPECT_EQ(Board_Close(bad), BOARD_ERR_INVALID_HANDLE);
    }
}

TEST(BoardHandles, OpenReportsWhyItFailed) {
    int32_t error = 0;
    EXPECT_EQ(Board_Open(Board_GetCount(), &error), nullptr);
    EXPECT_EQ(error, BOARD_ERR_NO_SUCH_BOARD);
    void* board = Board_Open(3, nullptr);
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(Board_Open(3, &error), nullptr);
    EXPECT_EQ(error, BOARD_ERR_BOARD_IN_USE);
    EXPECT_EQ(Board_Close(board), BOARD_OK);
}
