// Acquisition through the applet's exports: set parameters, acquire into a buffer ring, predict
// every pixel from the camera simulator's pattern p = (x + y + n * roll) mod 4096.
#include "e2e_frames.h"

#include <algorithm>

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

// The pattern the simulator sends at sensor coordinates (X, Y) in frame n.
uint16_t pattern(uint32_t X, uint32_t Y, uint64_t n, uint32_t roll) {
    return static_cast<uint16_t>((X + Y + n * roll) % 4096);
}

class Acquisition : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(gh5_clock_select(GH5_CLOCK_SIMULATED), GH5_OK);
        ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ENABLE, 1), 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_GEN_START, 1), 0);
        grabber.window(32, 16, 256, 64);
        grabber.format(kGray16, kRightAligned);
    }
    void TearDown() override { gh5_clock_select(GH5_CLOCK_REAL); }

    // Pixels of `frame` that differ from expected(x, y).
    template <class Expected> static size_t mismatches(const Image& frame, Expected expected) {
        size_t wrong = 0;
        for (uint32_t y = 0; y < frame.height; ++y)
            for (uint32_t x = 0; x < frame.width; ++x)
                wrong += frame.at(x, y) != expected(x, y);
        return wrong;
    }

    AppletOnBoard applet;
    FrameGrabber grabber{applet};
};

struct FrameRow {
    const char* name;
    uint32_t roll;
    int32_t invert, pixelFormat, alignment;
    uint32_t frames;
    uint16_t (*out)(uint16_t sent); // what the sent 12-bit value leaves as
};

// The largest roll makes frame 15 of this window reach the top of the 12-bit range, so the
// right-aligned row also proves the top four bits stay clear.
const FrameRow kFrameRows[] = {
    {"Offsets", 3, 0, kGray16, kRightAligned, 3, [](uint16_t p) { return p; }},
    {"Invert", 0, 1, kGray16, kRightAligned, 1, [](uint16_t p) { return uint16_t(4095 - p); }},
    {"EightBit", 0, 0, kGray8, kRightAligned, 1, [](uint16_t p) { return uint16_t(p >> 4); }},
    {"LeftAligned", 0, 0, kGray16, kLeftAligned, 1, [](uint16_t p) { return uint16_t(p << 4); }},
    {"FullRange", 255, 0, kGray16, kRightAligned, 16, [](uint16_t p) { return p; }},
};

TEST_F(Acquisition, EveryPixelIsTheSimulatorPatternThroughWindowInvertAndFormat) {
    for (const FrameRow& row : kFrameRows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ROLL, row.roll), 0);
        ASSERT_EQ(applet.set<int32_t>(FG_PROCESSING_INVERT, row.invert), 0);
        grabber.format(row.pixelFormat, row.alignment);
        const auto frames = grabber.grab(row.frames);
        uint16_t highest = 0;
        for (uint64_t n = 0; n < frames.size(); ++n) {
            EXPECT_EQ(mismatches(frames[n],
                                 [&](uint32_t x, uint32_t y) {
                                     highest = std::max(highest, pattern(x + 32, y + 16, n, row.roll));
                                     return row.out(pattern(x + 32, y + 16, n, row.roll));
                                 }),
                      0u)
                << "frame " << n;
        }
        if (row.frames == 16) {
            EXPECT_EQ(highest, 4095);
        }
    }
}

TEST_F(Acquisition, ImageSelectPeriodFourPhaseThreeDeliversEveryFourthFrame) {
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ROLL, 1), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 4), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 3), 0);
    const auto frames = grabber.grab(3);
    const uint64_t expectedSource[] = {3, 7, 11};
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(frames[i].at(0, 0), pattern(32, 16, expectedSource[i], 1)) << "picture " << i + 1;
}

// The median's arithmetic is the board pipeline's to prove; here the applet switches it on.
TEST_F(Acquisition, MedianRemovesTheDarkColumnsOfASilentTap) {
    // Tap 3 silent: every fourth column is black, as a line of dead pixels would be.
    ASSERT_EQ(applet.set<int32_t>(FG_GEN_TAP3, 0), 0);
    const Image raw = grabber.grab(1)[0];
    EXPECT_EQ(mismatches(raw,
                         [](uint32_t x, uint32_t y) {
                             return (x + 32) % 4 == 2 ? uint16_t{0} : pattern(x + 32, y + 16, 0, 0);
                         }),
              0u);
    ASSERT_EQ(applet.set<int32_t>(FG_NOISEFILTER, 1), 0);
    const Image filtered = grabber.grab(1)[0];
    size_t black = 0;
    for (uint32_t y = 1; y + 1 < filtered.height; ++y)
        for (uint32_t x = 1; x + 1 < filtered.width; ++x)
            black += filtered.at(x, y) == 0;
    EXPECT_EQ(black, 0u);
}

TEST_F(Acquisition, EndlessAcquisitionRunsUntilStopped) {
    uint64_t memory = 0;
    ASSERT_EQ(gh5_memory_alloc(applet.fg(), 4, uint64_t{256} * 64 * 2, &memory), GH5_OK);
    const auto& x = applet.exports();
    ASSERT_EQ(x.Fg_AcquireEx(applet.fg(), 0, GH5_GRAB_INFINITE, GH5_ACQ_STANDARD, memory), 0);
    EXPECT_GE(x.Fg_getLastPicNumberBlockingEx(applet.fg(), 10, 0, pictureWaitSeconds(), memory), 10);
    EXPECT_EQ(x.Fg_stopAcquireEx(applet.fg(), 0, memory, GH5_STOP_ASYNC), 0);
    const int64_t last = x.Fg_getLastPicNumberEx(applet.fg(), 0, memory);
    EXPECT_GE(last, 10);
    EXPECT_EQ(x.Fg_getStatusEx(applet.fg(), GH5_STATUS_ACQUIRING, 0, 0, memory), 0);
    EXPECT_EQ(x.Fg_getLastPicNumberEx(applet.fg(), 0, memory), last) << "nothing arrives after the stop";
    EXPECT_EQ(gh5_memory_free(applet.fg(), memory), GH5_OK);
}

TEST_F(Acquisition, BuiltInSceneDeliversWhenTheSimulatorIsOff) {
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ENABLE, 0), 0);
    const auto frames = grabber.grab(2);
    const auto lit =
        std::count_if(frames[0].samples.begin(), frames[0].samples.end(), [](uint16_t v) { return v > 0; });
    EXPECT_GT(size_t(lit), frames[0].samples.size() / 2);
    EXPECT_NE(frames[0], frames[1]); // the scene moves and the sensor is noisy
}

} // namespace
} // namespace kestrel::test
