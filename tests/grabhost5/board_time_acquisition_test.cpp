// Acquisition on stopped time with a stand-in applet: exactly the frames the test's clock lets
// happen, the blocking ring and its releases, frames waiting on the board, and events.
#include "grabhost5.h"

#include "boardhw.h"
#include "designrt.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// The virtual camera free-runs at 30 frames per second.
constexpr uint64_t kPeriodNs = 33333333;
constexpr int32_t kSeconds = 30; // far beyond what any wait below needs

class StoppedTime : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("KESTREL_APPLET_PATH", FAKE_APPLET_DIR, 1);
        ASSERT_EQ(gh5_clock_select(GH5_CLOCK_STOPPED), GH5_OK);
        ASSERT_EQ(gh5_board_open(0, &board_), GH5_OK);
        ASSERT_EQ(gh5_grabber_create(board_, "FakeApplet", &grabber_), GH5_OK) << gh5_error_detail();
        design_ = DesignImage_OpenFile(KESTREL_DESIGN_IMAGE_PATH, 2626, 1);
        ASSERT_NE(design_, nullptr);
        // Small 8-bit frames of the camera.
        for (const char* bank : {"0", "1"}) {
            write(std::string("Device1_Process0_Buffer_0_DRAM_A_") + bank + "_XLength", 64);
            write(std::string("Device1_Process0_Buffer_0_DRAM_A_") + bank + "_YLength", 8);
        }
        write("Device1_Process0_OutputFormat_FG_FORMAT_SelectSource", 1);
    }
    void TearDown() override {
        if (grabber_ != nullptr) {
            EXPECT_EQ(gh5_grabber_free(grabber_), GH5_OK);
        }
        if (design_ != nullptr)
            DesignImage_Close(design_);
        EXPECT_EQ(gh5_board_close(board_), GH5_OK);
        gh5_clock_select(GH5_CLOCK_REAL);
    }
    void write(const std::string& name, uint64_t value) {
        ASSERT_EQ(Board_WriteRegister(gh5_board_device(board_),
                                      DesignImage_GetRegisterId(design_, name.c_str()), value),
                  BOARD_OK)
            << name;
    }
    int64_t status(int32_t selector) const {
        return grabber_->exports->Fg_getStatusEx(grabber_, selector, 0, 0, memory_);
    }
    int64_t last() const { return grabber_->exports->Fg_getLastPicNumberEx(grabber_, 0, memory_); }
    void start(uint32_t buffers, int32_t flags) {
        ASSERT_EQ(gh5_memory_alloc(grabber_, buffers, 64 * 8, &memory_), GH5_OK);
        ASSERT_EQ(grabber_->exports->Fg_AcquireEx(grabber_, 0, GH5_GRAB_INFINITE, flags, memory_), GH5_OK);
    }

    Gh5Board* board_ = nullptr;
    Gh5Grabber* grabber_ = nullptr;
    void* design_ = nullptr;
    uint64_t memory_ = 0;
};

} // namespace

TEST_F(StoppedTime, MakesNoPictureUntilTheClockMovesAndThenExactlyThoseItsSpanHolds) {
    start(4, GH5_ACQ_STANDARD);
    EXPECT_EQ(last(), 0);
    ASSERT_EQ(gh5_clock_advance(kPeriodNs - 1), GH5_OK);
    EXPECT_EQ(last(), 0) << "the first frame is still exposing";
    ASSERT_EQ(gh5_clock_advance(1), GH5_OK);
    EXPECT_EQ(last(), 1);
    ASSERT_EQ(gh5_clock_advance(5 * kPeriodNs), GH5_OK);
    EXPECT_EQ(last(), 6) << "the standard ring is overwritten: nothing waits, nothing is lost";
    EXPECT_EQ(status(GH5_STATUS_PICTURES_LOST), 0);
    EXPECT_EQ(status(GH5_STATUS_BOARD_TIME_NS), int64_t{6 * kPeriodNs});
    EXPECT_EQ(grabber_->exports->Fg_stopAcquireEx(grabber_, 0, memory_, GH5_STOP_ASYNC), GH5_OK);
}

TEST_F(StoppedTime, ABlockingRingKeepsFramesOnTheBoardUntilTheApplicationReleasesBuffers) {
    start(2, GH5_ACQ_BLOCKING);
    ASSERT_EQ(gh5_clock_advance(5 * kPeriodNs), GH5_OK);
    EXPECT_EQ(last(), 2) << "both buffers filled and held";
    EXPECT_EQ(status(GH5_STATUS_BUFFERS_HELD), 2);
    EXPECT_EQ(status(GH5_STATUS_FRAMES_ON_BOARD), 3);

    ASSERT_EQ(gh5_buffer_release(grabber_, 0, memory_, 1), GH5_OK);
    ASSERT_EQ(gh5_clock_advance(0), GH5_OK);
    EXPECT_EQ(last(), 2) << "picture 3 is due in buffer 0, which the application still holds";

    ASSERT_EQ(gh5_buffer_release(grabber_, 0, memory_, 0), GH5_OK);
    EXPECT_EQ(grabber_->exports->Fg_getLastPicNumberBlockingEx(grabber_, 4, 0, kSeconds, memory_), 4);
    EXPECT_EQ(status(GH5_STATUS_FRAMES_ON_BOARD), 1);

    ASSERT_EQ(gh5_buffer_release_up_to(grabber_, 0, memory_, 3), GH5_OK);
    EXPECT_EQ(grabber_->exports->Fg_getLastPicNumberBlockingEx(grabber_, 5, 0, kSeconds, memory_), 5);
    EXPECT_EQ(status(GH5_STATUS_FRAMES_ON_BOARD), 0);
    EXPECT_EQ(status(GH5_STATUS_BUFFERS_HELD), 2);
    EXPECT_EQ(status(GH5_STATUS_PICTURES_LOST), 0);

    EXPECT_EQ(gh5_buffer_release(grabber_, 0, memory_, 2), GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(gh5_buffer_release(grabber_, 0, memory_ + 1, 0), GH5_ERR_INVALID_MEMORY);
    EXPECT_EQ(gh5_buffer_release(grabber_, 1, memory_, 0), GH5_ERR_INVALID_DMA);
    EXPECT_EQ(gh5_buffer_release(nullptr, 0, memory_, 0), GH5_ERR_INVALID_HANDLE);
    EXPECT_EQ(grabber_->exports->Fg_stopAcquireEx(grabber_, 0, memory_, GH5_STOP_ASYNC), GH5_OK);
    EXPECT_EQ(gh5_buffer_release(grabber_, 0, memory_, 0), GH5_ERR_NOT_RUNNING);
}

TEST_F(StoppedTime, DeliversFrameEventsByTheDesignsMasks) {
    uint64_t frameEnd = 0;
    ASSERT_EQ(Board_GetEventMask(gh5_board_device(board_),
                                 "Device1_Process1_Trigger_Monitoring_FVALEvents_Cam0_FrameEnd", &frameEnd),
              BOARD_OK);
    ASSERT_NE(frameEnd, 0u);
    start(2, GH5_ACQ_STANDARD);
    Gh5EventInfo info{};
    EXPECT_EQ(gh5_event_wait(grabber_, frameEnd, 0, &info), GH5_ERR_TIMEOUT);
    ASSERT_EQ(gh5_clock_advance(3 * kPeriodNs), GH5_OK);
    ASSERT_EQ(gh5_event_wait(grabber_, frameEnd, 0, &info), GH5_OK);
    EXPECT_EQ(info.mask, frameEnd);
    EXPECT_EQ(info.timestampNs, kPeriodNs);
    EXPECT_EQ(info.missed, 2u);
    EXPECT_EQ(gh5_event_wait(grabber_, 0, 0, &info), GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(gh5_event_wait(grabber_, frameEnd, 0, nullptr), GH5_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(grabber_->exports->Fg_stopAcquireEx(grabber_, 0, memory_, GH5_STOP_ASYNC), GH5_OK);
}
