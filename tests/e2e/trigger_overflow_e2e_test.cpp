// Software trigger and buffer overflow through the applet's exports, on stopped time: the test's
// clock decides exactly which frames exist, so "one frame per pulse" and "nothing else" are exact.
#include "e2e_frames.h"

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

constexpr uint64_t kSecondNs = 1000000000;
constexpr uint32_t kSoftwareMode = 4; // ATM_SOFTWARE
constexpr uint32_t kActive = 0;       // TS_ACTIVE

class OnStoppedTime : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(gh5_clock_select(GH5_CLOCK_STOPPED), GH5_OK);
        ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ENABLE, 0), 0); // the virtual camera
        ASSERT_EQ(applet.set<int32_t>(FG_FORMAT, kGray8), 0);
    }
    void TearDown() override {
        if (memory != 0)
            x.Fg_stopAcquireEx(applet.fg(), 0, memory, GH5_STOP_ASYNC);
        gh5_clock_select(GH5_CLOCK_REAL);
    }

    void acquire(uint32_t width, uint32_t height, uint32_t buffers, int32_t flags) {
        ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, width), 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_HEIGHT, height), 0);
        ASSERT_EQ(gh5_memory_alloc(applet.fg(), buffers, uint64_t{width} * height, &memory), GH5_OK);
        ASSERT_EQ(x.Fg_AcquireEx(applet.fg(), 0, GH5_GRAB_INFINITE, flags, memory), 0);
    }
    void softwareTrigger() {
        ASSERT_EQ(applet.set<uint32_t>(FG_AREATRIGGERMODE, kSoftwareMode), 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_TRIGGERSTATE, kActive), 0);
    }
    int64_t lastPicture() { return x.Fg_getLastPicNumberEx(applet.fg(), 0, memory); }
    int64_t status(int32_t selector) { return x.Fg_getStatusEx(applet.fg(), selector, 0, 0, memory); }

    AppletOnBoard applet;
    const Gh5AppletExports& x = applet.exports();
    uint64_t memory = 0;
};

TEST_F(OnStoppedTime, ASoftwareTriggerInSoftwareModeMakesExactlyOneFramePerPulse) {
    softwareTrigger();
    acquire(256, 64, 4, GH5_ACQ_STANDARD);
    for (int64_t pulse = 0; pulse <= 5; ++pulse) {
        if (pulse > 0) {
            ASSERT_EQ(applet.set<uint32_t>(FG_SENDSOFTWARETRIGGER, 1), 0) << "pulse " << pulse;
        }
        ASSERT_EQ(gh5_clock_advance(kSecondNs), GH5_OK);
        EXPECT_EQ(lastPicture(), pulse) << "the triggered camera makes a frame for each pulse and no other";
    }
    ASSERT_EQ(gh5_clock_advance(5 * kSecondNs), GH5_OK);
    EXPECT_EQ(lastPicture(), 5);
    EXPECT_EQ(status(GH5_STATUS_PICTURES_LOST), 0);
}

TEST_F(OnStoppedTime, TheCameraSimulatorKeepsItsOwnTimingWhileTheTriggerWaitsForPulses) {
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ENABLE, 1), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_START, 1), 0);
    softwareTrigger();
    acquire(256, 64, 4, GH5_ACQ_STANDARD);
    ASSERT_EQ(gh5_clock_advance(kSecondNs / 10), GH5_OK);
    EXPECT_GT(lastPicture(), 0) << "the simulator has no exposure line for the trigger to drive";
}

TEST_F(OnStoppedTime, AFullRingWithoutReleasesRaisesOverflowTheEventAndTheFillLevel) {
    const uint64_t overflowMask = x.Fg_getEventMask(applet.fg(), "FG_OVERFLOW_CAM0");
    ASSERT_NE(overflowMask, 0u);
    EXPECT_EQ(applet.get<uint32_t>(FG_OVERFLOW), 0u);
    acquire(2048, 2048, 2, GH5_ACQ_BLOCKING); // 4 MiB frames: the on-board buffer holds 32
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
    EXPECT_EQ(status(GH5_STATUS_FRAMES_ON_BOARD), 32);
    Gh5EventInfo event{};
    ASSERT_EQ(gh5_event_wait(applet.fg(), overflowMask, 0, &event), GH5_OK);
    EXPECT_EQ(event.mask, overflowMask);
    EXPECT_EQ(uint64_t(status(GH5_STATUS_PICTURES_LOST)), event.missed + 1) << "one event per lost frame";

    // Released, the ring takes the frames waiting on the board; the overflow stays flagged.
    ASSERT_EQ(gh5_buffer_release_up_to(applet.fg(), 0, memory, 2), GH5_OK);
    EXPECT_EQ(x.Fg_getLastPicNumberBlockingEx(applet.fg(), 4, 0, 30, memory), 4);
    EXPECT_EQ(applet.get<uint32_t>(FG_OVERFLOW), 1u);
}

} // namespace
} // namespace kestrel::test
