// Software trigger and buffer overflow through the applet's exports, on stopped time: the test's
// clock decides exactly which frames exist, so "one frame per pulse" and "nothing else" are exact.
#include "applet_on_board.h"
#include "params/parameter_ids.h"

#include <cstdint>

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

constexpr uint64_t kSecondNs = 1000000000;
constexpr int32_t kGray8 = 3;
constexpr uint32_t kSoftwareMode = 4; // ATM_SOFTWARE
constexpr uint32_t kActive = 0;       // TS_ACTIVE
constexpr int32_t kWaitSeconds = 30;  // bound of a wait that the clock has already satisfied

class OnStoppedTime : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(gh5_clock_select(GH5_CLOCK_STOPPED), GH5_OK);
        // The virtual camera (the simulator off), 8-bit pixels.
        ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ENABLE, 0), 0);
        ASSERT_EQ(applet.set<int32_t>(FG_FORMAT, kGray8), 0);
    }
    void TearDown() override {
        if (memory_ != 0)
            applet.exports().Fg_stopAcquireEx(applet.fg(), 0, memory_, GH5_STOP_ASYNC);
        gh5_clock_select(GH5_CLOCK_REAL);
    }

    void window(uint32_t width, uint32_t height) {
        ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, width), 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_HEIGHT, height), 0);
        bytes_ = uint64_t{width} * height;
    }
    void acquire(uint32_t buffers, int32_t flags) {
        ASSERT_EQ(gh5_memory_alloc(applet.fg(), buffers, bytes_, &memory_), GH5_OK);
        ASSERT_EQ(applet.exports().Fg_AcquireEx(applet.fg(), 0, GH5_GRAB_INFINITE, flags, memory_), 0);
    }
    int64_t lastPicture() { return applet.exports().Fg_getLastPicNumberEx(applet.fg(), 0, memory_); }
    int64_t status(int32_t selector) {
        return applet.exports().Fg_getStatusEx(applet.fg(), selector, 0, 0, memory_);
    }

    AppletOnBoard applet;
    uint64_t bytes_ = 0;
    uint64_t memory_ = 0;
};

} // namespace

TEST_F(OnStoppedTime, ASoftwareTriggerInSoftwareModeMakesExactlyOneFramePerPulse) {
    window(256, 64);
    ASSERT_EQ(applet.set<uint32_t>(FG_AREATRIGGERMODE, kSoftwareMode), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_TRIGGERSTATE, kActive), 0);
    acquire(4, GH5_ACQ_STANDARD);

    ASSERT_EQ(gh5_clock_advance(kSecondNs), GH5_OK);
    EXPECT_EQ(lastPicture(), 0) << "the triggered camera waits for its pulses";
    for (int64_t pulse = 1; pulse <= 5; ++pulse) {
        ASSERT_EQ(applet.set<uint32_t>(FG_SENDSOFTWARETRIGGER, 1), 0) << "pulse " << pulse;
        ASSERT_EQ(gh5_clock_advance(kSecondNs), GH5_OK);
        EXPECT_EQ(lastPicture(), pulse);
    }
    ASSERT_EQ(gh5_clock_advance(5 * kSecondNs), GH5_OK);
    EXPECT_EQ(lastPicture(), 5) << "no frame without a pulse";
    EXPECT_EQ(status(GH5_STATUS_PICTURES_LOST), 0);
}

TEST_F(OnStoppedTime, TheCameraSimulatorKeepsItsOwnTimingWhileTheTriggerWaitsForPulses) {
    window(256, 64);
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ENABLE, 1), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_START, 1), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_AREATRIGGERMODE, kSoftwareMode), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_TRIGGERSTATE, kActive), 0);
    acquire(4, GH5_ACQ_STANDARD);
    ASSERT_EQ(gh5_clock_advance(kSecondNs / 10), GH5_OK);
    EXPECT_GT(lastPicture(), 0) << "the simulator has no exposure line for the trigger to drive";
}

TEST_F(OnStoppedTime, AFullRingWithoutReleasesRaisesOverflowTheEventAndTheFillLevel) {
    // 4 MiB frames: the on-board buffer holds 32 of them.
    window(2048, 2048);
    const uint64_t overflowMask = applet.exports().Fg_getEventMask(applet.fg(), "FG_OVERFLOW_CAM0");
    ASSERT_NE(overflowMask, 0u);
    EXPECT_EQ(applet.get<uint32_t>(FG_OVERFLOW), 0u);
    EXPECT_EQ(applet.get<uint32_t>(FG_FILLLEVEL), 0u);
    acquire(2, GH5_ACQ_BLOCKING);

    uint32_t fillBeforeOverflow = 0;
    for (int step = 0; step < 200 && applet.get<uint32_t>(FG_OVERFLOW) == 0; ++step) {
        const uint32_t fill = applet.get<uint32_t>(FG_FILLLEVEL);
        EXPECT_GE(fill, fillBeforeOverflow) << "nothing leaves the board while the ring is held";
        fillBeforeOverflow = fill;
        ASSERT_EQ(gh5_clock_advance(kSecondNs / 4), GH5_OK);
    }
    EXPECT_EQ(applet.get<uint32_t>(FG_OVERFLOW), 1u);
    EXPECT_EQ(applet.get<uint32_t>(FG_FILLLEVEL), 100u) << "the overflow reads as a full buffer";
    EXPECT_GE(fillBeforeOverflow, 50u) << "the banks filled up before the first frame was lost";
    EXPECT_EQ(lastPicture(), 2) << "the two buffers of the ring, never released";
    EXPECT_GT(status(GH5_STATUS_PICTURES_LOST), 0);
    EXPECT_EQ(status(GH5_STATUS_FRAMES_ON_BOARD), 32);

    Gh5EventInfo event{};
    ASSERT_EQ(gh5_event_wait(applet.fg(), overflowMask, 0, &event), GH5_OK);
    EXPECT_EQ(event.mask, overflowMask);
    EXPECT_EQ(uint64_t(status(GH5_STATUS_PICTURES_LOST)), event.missed + 1) << "one event per lost frame";

    // Released, the ring takes the frames waiting on the board; the overflow stays flagged.
    ASSERT_EQ(gh5_buffer_release_up_to(applet.fg(), 0, memory_, 2), GH5_OK);
    EXPECT_EQ(applet.exports().Fg_getLastPicNumberBlockingEx(applet.fg(), 4, 0, kWaitSeconds, memory_), 4);
    EXPECT_EQ(applet.get<uint32_t>(FG_OVERFLOW), 1u);
}

} // namespace kestrel::test
