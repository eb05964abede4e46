// Acquisition through the applet's exports: every pixel predicted from the camera simulator's
// pattern p = (x + y + n * roll) mod 4096 at sensor coordinates; then the software trigger and a
// buffer overflow on stopped time, where the test's clock decides exactly which frames exist.
#include "e2e_frames.h"

#include <algorithm>

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

class Acquisition : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(gh5_clock_select(GH5_CLOCK_SIMULATED), GH5_OK);
        ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ENABLE, 1), 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_GEN_START, 1), 0);
        grabber.shape(32, 16, 256, 64, kGray16, kRightAligned);
    }
    void TearDown() override { gh5_clock_select(GH5_CLOCK_REAL); }

    AppletOnBoard applet;
    FrameGrabber grabber{applet};
};

struct FrameRow {
    const char* name;
    uint32_t roll, period, select;
    int32_t invert, pixelFormat, alignment;
    uint32_t frames;
    uint16_t (*out)(uint16_t sent); // what the sent 12-bit value leaves as
};

// The largest roll makes frame 15 of this window reach the top of the 12-bit range, so that row
// also proves the top four bits stay clear.
const FrameRow kFrameRows[] = {
    {"Offsets", 3, 1, 0, 0, kGray16, kRightAligned, 3, [](uint16_t p) { return p; }},
    {"Invert", 0, 1, 0, 1, kGray16, kRightAligned, 1, [](uint16_t p) { return uint16_t(4095 - p); }},
    {"EightBit", 0, 1, 0, 0, kGray8, kRightAligned, 1, [](uint16_t p) { return uint16_t(p >> 4); }},
    {"LeftAligned", 0, 1, 0, 0, kGray16, kLeftAligned, 1, [](uint16_t p) { return uint16_t(p << 4); }},
    {"FullRange", 255, 1, 0, 0, kGray16, kRightAligned, 16, [](uint16_t p) { return p; }},
    {"EveryFourthFromTheThird", 1, 4, 3, 0, kGray16, kRightAligned, 3, [](uint16_t p) { return p; }},
};

TEST_F(Acquisition, EveryPixelIsTheSimulatorPatternThroughWindowSelectionInvertAndFormat) {
    for (const FrameRow& row : kFrameRows) {
        ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ROLL, row.roll), 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, row.period), 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, row.select), 0);
        ASSERT_EQ(applet.set<int32_t>(FG_PROCESSING_INVERT, row.invert), 0);
        grabber.format(row.pixelFormat, row.alignment);
        const auto frames = grabber.grab(row.frames);
        uint16_t highest = 0;
        for (uint64_t i = 0; i < frames.size(); ++i) {
            size_t wrong = 0;
            for (uint32_t y = 0; y < frames[i].height; ++y)
                for (uint32_t x = 0; x < frames[i].width; ++x) {
                    const auto sent =
                        uint16_t((x + 32 + y + 16 + (i * row.period + row.select) * row.roll) % 4096);
                    highest = std::max(highest, sent);
                    wrong += frames[i].at(x, y) != row.out(sent);
                }
            EXPECT_EQ(wrong, 0u) << row.name << " frame " << i;
        }
        EXPECT_TRUE(row.frames != 16 || highest == 4095) << row.name;
    }
}

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

TEST_F(OnStoppedTime, FramesWaitingOnTheBoardKeepTheSettingsTheyCompletedUnder) {
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ENABLE, 1), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_START, 1), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ROLL, 0), 0);
    constexpr uint32_t kWidth = 256, kHeight = 64;
    acquire(kWidth, kHeight, 2, GH5_ACQ_BLOCKING);
    const auto runUntilOnBoard = [&](int64_t frames) {
        for (int step = 0; step < 100000 && status(GH5_STATUS_FRAMES_ON_BOARD) < frames; ++step)
            ASSERT_EQ(gh5_clock_advance(kSecondNs / 100000), GH5_OK);
        ASSERT_EQ(status(GH5_STATUS_FRAMES_ON_BOARD), frames);
    };
    // Pictures 1 and 2 fill the ring, 3 and 4 wait on the board; then the table inverts and 5
    // and 6 complete.
    runUntilOnBoard(2);
    ASSERT_EQ(applet.set<int32_t>(FG_PROCESSING_INVERT, 1), 0);
    runUntilOnBoard(4);
    const auto wrongSamples = [&](uint32_t index, bool inverted) {
        const auto* samples = static_cast<const uint8_t*>(gh5_memory_buffer(applet.fg(), memory, index));
        size_t wrong = 0;
        for (uint32_t row = 0; row < kHeight; ++row)
            for (uint32_t column = 0; column < kWidth; ++column) {
                const auto straight = uint8_t((column + row) >> 4);
                wrong += samples[row * kWidth + column] != (inverted ? uint8_t(255 - straight) : straight);
            }
        return wrong;
    };
    for (const int64_t picture : {3, 5}) {
        ASSERT_EQ(gh5_buffer_release_up_to(applet.fg(), 0, memory, uint64_t(picture - 1)), GH5_OK);
        ASSERT_EQ(x.Fg_getLastPicNumberBlockingEx(applet.fg(), picture + 1, 0, 30, memory), picture + 1);
        for (const uint32_t index : {0u, 1u})
            EXPECT_EQ(wrongSamples(index, picture == 5), 0u) << "picture " << picture + index;
    }
}

TEST_F(OnStoppedTime, AFullRingWithoutReleasesRaisesOverflowTheEventAndTheFillLevel) {
    const uint64_t overflowMask = x.Fg_getEventMask(applet.fg(), "FG_OVERFLOW_CAM0");
    ASSERT_NE(overflowMask, 0u);
    EXPECT_EQ(applet.get<uint32_t>(FG_OVERFLOW), 0u);
    acquire(2048, 2048, 2, GH5_ACQ_BLOCKING); // 4 MiB frames: the on-board buffer holds 32
    for (int step = 0; step < 200 && applet.get<uint32_t>(FG_OVERFLOW) == 0; ++step)
        ASSERT_EQ(gh5_clock_advance(kSecondNs / 4), GH5_OK);
    EXPECT_EQ(applet.get<uint32_t>(FG_OVERFLOW), 1u);
    EXPECT_EQ(applet.get<uint32_t>(FG_FILLLEVEL), 100u) << "the overflow reads as a full buffer";
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

    // Each picture names its camera frame and the frames lost before it: none before those that
    // waited on the board, all of them before the first one made after the losses.
    const auto origin = [&](int32_t selector, uint64_t picture) {
        return x.Fg_getStatusEx(applet.fg(), selector, picture, 0, memory);
    };
    EXPECT_EQ(
        std::pair(origin(GH5_STATUS_PICTURE_CAMERA_FRAME, 4), origin(GH5_STATUS_PICTURE_LOST_BEFORE, 4)),
        std::pair(int64_t{3}, int64_t{0}));
    EXPECT_EQ(origin(GH5_STATUS_PICTURE_CAMERA_FRAME, 2), GH5_ERR_INVALID_ARGUMENT) << "the ring moved on";
    const int64_t lost = status(GH5_STATUS_PICTURES_LOST);
    for (uint64_t picture = 4; picture <= 32; picture += 2) {
        ASSERT_EQ(gh5_buffer_release_up_to(applet.fg(), 0, memory, picture), GH5_OK);
        ASSERT_GE(x.Fg_getLastPicNumberBlockingEx(applet.fg(), picture + 2, 0, 30, memory),
                  int64_t(picture + 2));
    }
    ASSERT_EQ(gh5_buffer_release_up_to(applet.fg(), 0, memory, 34), GH5_OK);
    ASSERT_EQ(gh5_clock_advance(kSecondNs / 4), GH5_OK);
    ASSERT_GE(x.Fg_getLastPicNumberBlockingEx(applet.fg(), 35, 0, 30, memory), 35);
    EXPECT_EQ(origin(GH5_STATUS_PICTURE_LOST_BEFORE, 35), lost);
    EXPECT_EQ(origin(GH5_STATUS_PICTURE_CAMERA_FRAME, 35), 34 + lost);
}

} // namespace
} // namespace kestrel::test
