// The board's C functions with a real design image: the boundary the applet and the host rely on.
// The rules behind them are the core's (register_file_test, board_test); here each call is wired.
#include "boardhw.h"
#include "designrt.h"
#include "test_design.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kCameraFormat = 100101;     // 2 bits, writable
constexpr uint32_t kCoefficientFile1 = 100601; // read-only text
constexpr uint32_t kOverflow = 101101;         // 1 bit, read-only

class OpenBoard : public ::testing::Test {
protected:
    void SetUp() override {
        int32_t error = 1;
        board_ = Board_Open(0, &error);
        ASSERT_NE(board_, nullptr);
        ASSERT_EQ(error, BOARD_OK);
        ASSERT_EQ(Board_LoadDesign(board_, image_.get()), BOARD_OK);
    }
    void TearDown() override { EXPECT_EQ(Board_Close(board_), BOARD_OK); }

    kestrel::testing::DesignImageHandle image_ = kestrel::testing::openSmallDesign();
    void* board_ = nullptr;
};

struct Refusal {
    const char* what;
    std::function<int32_t(void*)> call;
    int32_t code;
};

TEST_F(OpenBoard, RefusesWhatTheRegisterOrTheArgumentsDoNotAllow) {
    static uint64_t value = 17;
    static std::vector<uint16_t> line(BOARD_COEFFICIENT_SIDE);
    static int32_t taken = 0;
    const Refusal rows[] = {
        {"read-only", [](void* b) { return Board_WriteRegister(b, kOverflow, 1); }, BOARD_ERR_READ_ONLY},
        {"unknown read", [](void* b) { return Board_ReadRegister(b, 424242, &value); },
         BOARD_ERR_UNKNOWN_REGISTER},
        {"null read", [](void* b) { return Board_ReadRegister(b, kOverflow, nullptr); },
         BOARD_ERR_INVALID_ARGUMENT},
        {"read-only text", [](void* b) { return Board_SetRegisterText(b, kCoefficientFile1, "x"); },
         BOARD_ERR_READ_ONLY},
        {"no such memory", [](void* b) { return Board_WriteCoefficientLines(b, 2, 0, 1, line.data()); },
         BOARD_ERR_INVALID_ARGUMENT},
        {"null format", [](void* b) { return Board_GetImageFormat(b, nullptr); }, BOARD_ERR_INVALID_ARGUMENT},
        {"null frame buffer", [](void* b) { return Board_NextFrame(b, nullptr, 1, nullptr); },
         BOARD_ERR_INVALID_ARGUMENT},
        {"null take buffer", [](void* b) { return Board_TakeFrame(b, nullptr, 1, nullptr, &taken); },
         BOARD_ERR_INVALID_ARGUMENT},
        {"unknown scene", [](void* b) { return Board_SetCameraScene(b, 3, 0.0); },
         BOARD_ERR_INVALID_ARGUMENT},
        {"dark level", [](void* b) { return Board_SetCameraScene(b, BOARD_SCENE_FLAT_FIELD, -1.0); },
         BOARD_ERR_INVALID_ARGUMENT},
        {"level NaN", [](void* b) { return Board_SetCameraScene(b, BOARD_SCENE_FLAT_FIELD, std::nan("")); },
         BOARD_ERR_INVALID_ARGUMENT},
        {"ninth input", [](void* b) { return Board_SetTriggerInput(b, 8, 1, 0); },
         BOARD_ERR_INVALID_ARGUMENT},
        {"pulse on the ninth", [](void* b) { return Board_InjectTriggerPulse(b, 8, 0, 10); },
         BOARD_ERR_INVALID_ARGUMENT},
        {"empty pulse", [](void* b) { return Board_InjectTriggerPulse(b, 0, 0, 0); },
         BOARD_ERR_INVALID_ARGUMENT},
        {"null design", [](void* b) { return Board_LoadDesign(b, nullptr); }, BOARD_ERR_INVALID_DESIGN},
    };
    for (const Refusal& row : rows) {
        EXPECT_EQ(row.call(board_), row.code) << row.what;
        EXPECT_EQ(value, 17u) << row.what << ": a refused read writes nothing";
    }
    EXPECT_EQ(Board_WriteRegister(board_, kCameraFormat, 1), BOARD_OK) << "the design survives a null one";
    EXPECT_EQ(Board_SetCameraScene(board_, BOARD_SCENE_FLAT_FIELD, 4095.0), BOARD_OK);
    EXPECT_EQ(Board_TakeFrame(board_, nullptr, 0, nullptr, &taken), BOARD_OK)
        << "nothing to take, nothing asked";
    EXPECT_EQ(taken, 0);
    uint8_t bytes[16] = {};
    EXPECT_NE(Board_NextFrame(board_, bytes, sizeof bytes, nullptr), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_NE(Board_NextFrame(board_, nullptr, 0, nullptr), BOARD_ERR_INVALID_ARGUMENT);
}

TEST(BoardHandles, NullAndClosedHandlesAreRefusedEverywhere) {
    void* board = Board_Open(1, nullptr);
    ASSERT_NE(board, nullptr);
    ASSERT_EQ(Board_Close(board), BOARD_OK);
    uint64_t value = 0;
    uint32_t entry = 0;
    char text[4];
    BoardRegisterDescription d{};
    BoardImageFormat f{};
    for (void* bad : {static_cast<void*>(nullptr), board, reinterpret_cast<void*>(uintptr_t{0x1234})}) {
        for (const int32_t code :
             {Board_WriteRegister(bad, 1, 1), Board_ReadRegister(bad, 1, &value),
              Board_ForceRegister(bad, 1, 1), Board_LoadDesign(bad, nullptr),
              Board_DescribeRegister(bad, 1, &d), Board_WriteLut(bad, 0, &entry, 1),
              Board_ReadLut(bad, 0, &entry, 1), Board_SetRegisterText(bad, 1, "x"),
              Board_GetRegisterText(bad, 1, text, sizeof text), Board_GetImageFormat(bad, &f),
              Board_FailRegisterWrites(bad, 1, -1), Board_SetCameraScene(bad, BOARD_SCENE_LENS_CAP, 0.0),
              Board_SetTriggerInput(bad, 0, 1, 0), Board_GetTriggerLines(bad, nullptr, nullptr),
              Board_GetIndex(bad), Board_Close(bad)})
            EXPECT_EQ(code, BOARD_ERR_INVALID_HANDLE);
    }
}

} // namespace
