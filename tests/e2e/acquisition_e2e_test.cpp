// Acquisition through the applet's exports: every pixel predicted from the camera simulator's
// pattern p = (x + y + n * roll) mod 4096 at sensor coordinates.
#include "e2e_frames.h"

#include <algorithm>

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

uint16_t pattern(uint32_t x, uint32_t y, uint64_t n, uint32_t roll) {
    return uint16_t((x + y + n * roll) % 4096);
}

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
                    const uint16_t sent = pattern(x + 32, y + 16, i * row.period + row.select, row.roll);
                    highest = std::max(highest, sent);
                    wrong += frames[i].at(x, y) != row.out(sent);
                }
            EXPECT_EQ(wrong, 0u) << row.name << " frame " << i;
        }
        EXPECT_TRUE(row.frames != 16 || highest == 4095) << row.name;
    }
}

// The median's arithmetic is the board pipeline's to prove; here the applet switches it on.
TEST_F(Acquisition, MedianRemovesTheDarkColumnsOfASilentTap) {
    ASSERT_EQ(applet.set<int32_t>(FG_GEN_TAP3, 0), 0);
    const auto black = [](const Image& frame, uint32_t margin) {
        size_t count = 0;
        for (uint32_t y = margin; y + margin < frame.height; ++y)
            for (uint32_t x = margin; x + margin < frame.width; ++x)
                count += frame.at(x, y) == 0;
        return count;
    };
    EXPECT_EQ(black(grabber.grab(1)[0], 0), 256u / 4 * 64) << "every fourth column black, nothing else";
    ASSERT_EQ(applet.set<int32_t>(FG_NOISEFILTER, 1), 0);
    EXPECT_EQ(black(grabber.grab(1)[0], 1), 0u);
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

} // namespace
} // namespace kestrel::test
