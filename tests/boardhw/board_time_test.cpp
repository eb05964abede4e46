// Board time through the C functions, on the Kestrel12 design: free-running exposures, the
// on-board buffer, its fill level and overflow registers, and the frame and overflow events.
#include "boardhw.h"
#include "designrt.h"
#include "test_design.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace kestrel::testing;

namespace {

// The virtual camera free-runs at 30 frames per second.
constexpr uint64_t kCameraPeriodNs = 33333333;
constexpr char kOverflow[] = "Device1_Process0_Overflow_Overflow";
constexpr char kFrameStart[] = "Device1_Process1_Trigger_Monitoring_FVALEvents_Cam0_FrameStart";
constexpr char kFrameEnd[] = "Device1_Process1_Trigger_Monitoring_FVALEvents_Cam0_FrameEnd";

class BoardTime : public ::testing::Test {
protected:
    void SetUp() override {
        int32_t error = 0;
        board_ = Board_Open(2, &error);
        ASSERT_NE(board_, nullptr) << error;
        ASSERT_EQ(Board_LoadDesign(board_, design_.get()), BOARD_OK);
    }
    void TearDown() override { Board_Close(board_); }

    uint32_t id(const char* name) const { return DesignImage_GetRegisterId(design_.get(), name); }
    void write(const char* name, uint64_t value) const {
        ASSERT_EQ(Board_WriteRegister(board_, id(name), value), BOARD_OK) << name;
    }
    uint64_t read(const char* name) const {
        uint64_t value = 0;
        EXPECT_EQ(Board_ReadRegister(board_, id(name), &value), BOARD_OK) << name;
        return value;
    }
    // The camera's window, 8-bit output: frames of width x height bytes.
    void window(uint32_t width, uint32_t height) const {
        write("Device1_Process0_Buffer_0_DRAM_A_0_XLength", width);
        write("Device1_Process0_Buffer_0_DRAM_A_1_XLength", width);
        write("Device1_Process0_Buffer_0_DRAM_A_0_YLength", height);
        write("Device1_Process0_Buffer_0_DRAM_A_1_YLength", height);
        write("Device1_Process0_OutputFormat_FG_FORMAT_SelectSource", 1);
    }
    // Fill levels of both banks and the overflow flag.
    std::tuple<unsigned, unsigned, unsigned> levels() const {
        return {unsigned(read("Device1_Process0_Buffer_0_DRAM_A_0_FillLevel")),
                unsigned(read("Device1_Process0_Buffer_0_DRAM_A_1_FillLevel")),
                unsigned(read("Device1_Process0_Overflow_OverflowOccurred"))};
    }
    uint64_t mask(const char* name) const {
        uint64_t m = 0;
        EXPECT_EQ(Board_GetEventMask(board_, name, &m), BOARD_OK);
        return m;
    }
    BoardOnBoardStatus status() const {
        BoardOnBoardStatus s{};
        EXPECT_EQ(Board_GetOnBoardStatus(board_, &s), BOARD_OK);
        return s;
    }
    std::optional<uint64_t> next() const {
        uint64_t at = 0;
        int32_t scheduled = 0;
        EXPECT_EQ(Board_NextActivity(board_, &at, &scheduled), BOARD_OK);
        return scheduled != 0 ? std::optional<uint64_t>(at) : std::nullopt;
    }
    // Advances as the host's DMA does, coming back while work is due.
    void runTo(uint64_t nowNs) const {
        for (;;) {
            ASSERT_EQ(Board_AdvanceTo(board_, nowNs), BOARD_OK);
            const auto due = next();
            if (!due || *due > nowNs)
                return;
        }
    }

    DesignImageHandle design_ = openKestrelDesign();
    void* board_ = nullptr;
};

} // namespace

TEST_F(BoardTime, TheFreeRunningCameraCompletesAFrameOnePeriodAfterItsExposure) {
    window(64, 16);
    ASSERT_EQ(Board_StartAcquisition(board_), BOARD_OK);
    EXPECT_EQ(next(), uint64_t{0}) << "the first exposure starts at once";
    runTo(kCameraPeriodNs - 1);
    EXPECT_EQ(status().framesStored, 0u);
    EXPECT_EQ(status().framesExposed, 1u);
    runTo(2 * kCameraPeriodNs);
    EXPECT_EQ(status().framesStored, 2u);
    EXPECT_EQ(status().framesExposed, 3u);

    std::vector<uint8_t> pixels(64 * 16);
    BoardFrameInfo info{};
    int32_t taken = 0;
    ASSERT_EQ(Board_TakeFrame(board_, pixels.data(), pixels.size(), &info, &taken), BOARD_OK);
    ASSERT_EQ(taken, 1);
    EXPECT_EQ(std::tuple(info.bytes, info.sourceFrame, info.exposureNs, info.completedNs),
              std::tuple(uint64_t{64 * 16}, uint64_t{0}, uint64_t{0}, kCameraPeriodNs));
    ASSERT_EQ(Board_TakeFrame(board_, pixels.data(), pixels.size(), &info, &taken), BOARD_OK);
    EXPECT_EQ(info.exposureNs, kCameraPeriodNs);
    ASSERT_EQ(Board_TakeFrame(board_, pixels.data(), pixels.size(), &info, &taken), BOARD_OK);
    EXPECT_EQ(taken, 0) << "the third frame is still exposing";
}

TEST_F(BoardTime, RaisesFrameStartAndEndAtTheExposuresStartAndEnd) {
    window(64, 16);
    ASSERT_EQ(Board_StartAcquisition(board_), BOARD_OK);
    runTo(kCameraPeriodNs);
    const uint64_t start = mask(kFrameStart);
    const uint64_t end = mask(kFrameEnd);
    ASSERT_NE(start, 0u);
    ASSERT_NE(end, 0u);
    BoardEventInfo info{};
    int32_t fired = 0;
    ASSERT_EQ(Board_WaitEvent(board_, end, 0, &info, &fired), BOARD_OK);
    ASSERT_EQ(fired, 1);
    EXPECT_EQ(info.mask, end);
    EXPECT_EQ(info.timestampNs, kCameraPeriodNs);
    ASSERT_EQ(Board_WaitEvent(board_, start, 0, &info, &fired), BOARD_OK);
    ASSERT_EQ(fired, 1);
    EXPECT_EQ(info.timestampNs, 0u) << "two starts (0 and one period), folded, the first kept";
    EXPECT_EQ(info.missed, 1u);
    EXPECT_EQ(Board_WaitEvent(board_, 0, 0, &info, &fired), BOARD_ERR_INVALID_ARGUMENT);
}

TEST_F(BoardTime, AFullOnBoardBufferLosesFramesSetsOverflowAndFiresItsEvent) {
    // 4 MiB frames: each 64 MiB bank holds 16 of them.
    window(2048, 2048);
    const uint64_t perBank = BOARD_ONBOARD_BANK_BYTES / (2048 * 2048);
    ASSERT_EQ(perBank, 16u);
    ASSERT_EQ(Board_StartAcquisition(board_), BOARD_OK);
    runTo(perBank * kCameraPeriodNs);
    EXPECT_EQ(levels(), std::tuple(50u, 50u, 0u));

    runTo((2 * perBank + 3) * kCameraPeriodNs);
    const BoardOnBoardStatus full = status();
    EXPECT_EQ(std::tuple(full.framesStored, full.framesLost, full.overflow),
              std::tuple(2 * perBank, uint64_t{3}, 1u));
    EXPECT_EQ(levels(), std::tuple(100u, 100u, 1u));
    BoardEventInfo info{};
    int32_t fired = 0;
    ASSERT_EQ(Board_WaitEvent(board_, mask(kOverflow), 0, &info, &fired), BOARD_OK);
    ASSERT_EQ(fired, 1);
    EXPECT_EQ(info.timestampNs, (2 * perBank + 1) * kCameraPeriodNs) << "the first lost frame's end";
    EXPECT_EQ(info.missed, 2u);

    // The DMA takes one: its bank has room again, the overflow flag stays until the next start.
    int32_t taken = 0;
    ASSERT_EQ(Board_TakeFrame(board_, nullptr, 0, nullptr, &taken), BOARD_OK);
    ASSERT_EQ(taken, 1);
    EXPECT_EQ(levels(), std::tuple(93u, 100u, 1u));

    ASSERT_EQ(Board_StartAcquisition(board_), BOARD_OK);
    EXPECT_EQ(levels(), std::tuple(0u, 0u, 0u));
    EXPECT_EQ(status().framesLost, 0u);
    ASSERT_EQ(Board_WaitEvent(board_, mask(kOverflow), 0, &info, &fired), BOARD_OK);
    EXPECT_EQ(fired, 0) << "events of the last run are dropped at the start";
}
