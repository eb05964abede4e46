// Acquisition through the applet's exports: set parameters, acquire into a buffer ring, predict
// every pixel from the camera simulator's pattern p = (x + y + n * roll) mod 4096.
#include "applet_on_board.h"
#include "params/parameter_ids.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

constexpr int32_t kGray8 = 3;
constexpr int32_t kGray16 = 1;
constexpr int32_t kRightAligned = 0;
constexpr int32_t kLeftAligned = 1;

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
        window(32, 16, 256, 64);
        format(kGray16, kRightAligned);
    }
    void TearDown() override { gh5_clock_select(GH5_CLOCK_REAL); }

    void window(uint32_t x, uint32_t y, uint32_t width, uint32_t height) {
        ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, width), 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_HEIGHT, height), 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_XOFFSET, x), 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_YOFFSET, y), 0);
        x_ = x;
        y_ = y;
        width_ = width;
        height_ = height;
    }
    void format(int32_t pixelFormat, int32_t alignment) {
        ASSERT_EQ(applet.set<int32_t>(FG_FORMAT, pixelFormat), 0);
        ASSERT_EQ(applet.set<int32_t>(FG_BITALIGNMENT, alignment), 0);
        bytesPerPixel_ = pixelFormat == kGray8 ? 1 : 2;
    }

    // Acquires `count` pictures into a ring of as many buffers and returns their contents.
    std::vector<std::vector<uint8_t>> grab(uint32_t count) {
        const uint64_t bytes = uint64_t{width_} * height_ * bytesPerPixel_;
        uint64_t memory = 0;
        EXPECT_EQ(gh5_memory_alloc(applet.fg(), count, bytes, &memory), GH5_OK);
        const auto& x = applet.exports();
        EXPECT_EQ(x.Fg_AcquireEx(applet.fg(), 0, count, GH5_ACQ_STANDARD, memory), 0);
        EXPECT_EQ(x.Fg_getLastPicNumberBlockingEx(applet.fg(), count, 0, kestrel::test::pictureWaitSeconds(),
                                                  memory),
                  int64_t{count});
        std::vector<std::vector<uint8_t>> frames;
        for (uint32_t i = 0; i < count; ++i) {
            const auto* data = static_cast<const uint8_t*>(gh5_memory_buffer(applet.fg(), memory, i));
            frames.emplace_back(data, data + bytes);
        }
        EXPECT_EQ(gh5_memory_free(applet.fg(), memory), GH5_OK);
        return frames;
    }

    uint16_t pixel16(const std::vector<uint8_t>& frame, uint32_t x, uint32_t y) const {
        uint16_t v = 0;
        std::memcpy(&v, frame.data() + (size_t{y} * width_ + x) * 2, 2);
        return v;
    }
    uint8_t pixel8(const std::vector<uint8_t>& frame, uint32_t x, uint32_t y) const {
        return frame[size_t{y} * width_ + x];
    }

    // Counts the pixels of `frame` that differ from expected(x, y), as 16-bit values.
    template <class Expected>
    size_t mismatches16(const std::vector<uint8_t>& frame, Expected expected) const {
        size_t wrong = 0;
        for (uint32_t y = 0; y < height_; ++y)
            for (uint32_t x = 0; x < width_; ++x)
                if (pixel16(frame, x, y) != expected(x, y))
                    ++wrong;
        return wrong;
    }

    AppletOnBoard applet;
    uint32_t x_ = 0, y_ = 0, width_ = 0, height_ = 0, bytesPerPixel_ = 2;
};

TEST_F(Acquisition, WindowOffsetsMoveTheSimulatorPattern) {
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ROLL, 3), 0);
    const auto frames = grab(3);
    for (uint64_t n = 0; n < frames.size(); ++n)
        EXPECT_EQ(
            mismatches16(frames[n], [&](uint32_t x, uint32_t y) { return pattern(x + 32, y + 16, n, 3); }),
            0u)
            << "frame " << n;
}

TEST_F(Acquisition, ProcessingInvertInvertsEveryPixel) {
    ASSERT_EQ(applet.set<int32_t>(FG_PROCESSING_INVERT, 1), 0);
    const auto frames = grab(1);
    EXPECT_EQ(
        mismatches16(frames[0], [&](uint32_t x, uint32_t y) { return 4095 - pattern(x + 32, y + 16, 0, 0); }),
        0u);
}

TEST_F(Acquisition, EightBitOutputKeepsTheTopEightBits) {
    format(kGray8, kRightAligned);
    const auto frames = grab(1);
    ASSERT_EQ(frames[0].size(), size_t{256} * 64);
    size_t wrong = 0;
    for (uint32_t y = 0; y < height_; ++y)
        for (uint32_t x = 0; x < width_; ++x)
            wrong += pixel8(frames[0], x, y) != (pattern(x + 32, y + 16, 0, 0) >> 4);
    EXPECT_EQ(wrong, 0u);
}

TEST_F(Acquisition, LeftAlignedSixteenBitShiftsByFour) {
    format(kGray16, kLeftAligned);
    const auto frames = grab(1);
    EXPECT_EQ(
        mismatches16(frames[0], [&](uint32_t x, uint32_t y) { return pattern(x + 32, y + 16, 0, 0) << 4; }),
        0u);
}

TEST_F(Acquisition, RightAlignedSixteenBitLeavesTheTopFourBitsClear) {
    // With the largest roll, frame 15 of this window reaches the top of the 12-bit range.
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ROLL, 255), 0);
    const auto frames = grab(16);
    uint16_t highest = 0;
    size_t wrong = 0;
    for (uint64_t n = 0; n < frames.size(); ++n)
        for (uint32_t y = 0; y < height_; ++y)
            for (uint32_t x = 0; x < width_; ++x) {
                const uint16_t v = pixel16(frames[n], x, y);
                highest = std::max(highest, v);
                wrong += v != pattern(x + 32, y + 16, n, 255);
            }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(highest, 4095);
}

TEST_F(Acquisition, ImageSelectPeriodFourPhaseThreeDeliversEveryFourthFrame) {
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ROLL, 1), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 4), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 3), 0);
    const auto frames = grab(3);
    const uint64_t expectedSource[] = {3, 7, 11};
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(pixel16(frames[i], 0, 0), pattern(32, 16, expectedSource[i], 1)) << "picture " << i + 1;
}

// A 3 x 3 median with the window's border pixels replicated, written out plainly.
std::vector<uint16_t> median3x3(const std::vector<uint16_t>& in, uint32_t width, uint32_t height) {
    std::vector<uint16_t> out(in.size());
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint16_t v[9];
            int k = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int64_t xx = std::clamp<int64_t>(int64_t{x} + dx, 0, width - 1);
                    const int64_t yy = std::clamp<int64_t>(int64_t{y} + dy, 0, height - 1);
                    v[k++] = in[size_t(yy) * width + size_t(xx)];
                }
            std::nth_element(v, v + 4, v + 9);
            out[size_t{y} * width + x] = v[4];
        }
    return out;
}

TEST_F(Acquisition, MedianRemovesTheDarkColumnsOfASilentTap) {
    // Tap 3 silent: every fourth column is black, as a line of dead pixels would be.
    ASSERT_EQ(applet.set<int32_t>(FG_GEN_TAP3, 0), 0);
    const auto sent = [&](uint32_t x, uint32_t y) -> uint16_t {
        const uint32_t X = x + 32;
        return X % 4 == 2 ? 0 : pattern(X, y + 16, 0, 0);
    };
    const auto raw = grab(1);
    EXPECT_EQ(mismatches16(raw[0], sent), 0u);

    ASSERT_EQ(applet.set<int32_t>(FG_NOISEFILTER, 1), 0);
    const auto filtered = grab(1);
    std::vector<uint16_t> in(size_t{width_} * height_);
    for (uint32_t y = 0; y < height_; ++y)
        for (uint32_t x = 0; x < width_; ++x)
            in[size_t{y} * width_ + x] = sent(x, y);
    const auto expected = median3x3(in, width_, height_);
    EXPECT_EQ(
        mismatches16(filtered[0], [&](uint32_t x, uint32_t y) { return expected[size_t{y} * width_ + x]; }),
        0u);
    size_t black = 0;
    for (uint32_t y = 1; y + 1 < height_; ++y)
        for (uint32_t x = 1; x + 1 < width_; ++x)
            black += pixel16(filtered[0], x, y) == 0;
    EXPECT_EQ(black, 0u);
}

TEST_F(Acquisition, EndlessAcquisitionRunsUntilStopped) {
    const uint64_t bytes = uint64_t{width_} * height_ * 2;
    uint64_t memory = 0;
    ASSERT_EQ(gh5_memory_alloc(applet.fg(), 4, bytes, &memory), GH5_OK);
    const auto& x = applet.exports();
    ASSERT_EQ(x.Fg_AcquireEx(applet.fg(), 0, GH5_GRAB_INFINITE, GH5_ACQ_STANDARD, memory), 0);
    EXPECT_GE(
        x.Fg_getLastPicNumberBlockingEx(applet.fg(), 10, 0, kestrel::test::pictureWaitSeconds(), memory), 10);
    EXPECT_EQ(x.Fg_stopAcquireEx(applet.fg(), 0, memory, GH5_STOP_ASYNC), 0);
    const int64_t last = x.Fg_getLastPicNumberEx(applet.fg(), 0, memory);
    EXPECT_GE(last, 10);
    EXPECT_EQ(x.Fg_getStatusEx(applet.fg(), GH5_STATUS_ACQUIRING, 0, 0, memory), 0);
    // Nothing arrives after the stop.
    EXPECT_EQ(x.Fg_getLastPicNumberEx(applet.fg(), 0, memory), last);
    EXPECT_EQ(gh5_memory_free(applet.fg(), memory), GH5_OK);
}

TEST_F(Acquisition, BuiltInSceneDeliversWhenTheSimulatorIsOff) {
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ENABLE, 0), 0);
    const auto frames = grab(2);
    size_t lit = 0;
    for (uint32_t y = 0; y < height_; ++y)
        for (uint32_t x = 0; x < width_; ++x)
            lit += pixel16(frames[0], x, y) > 0;
    EXPECT_GT(lit, size_t{width_} * height_ / 2);
    EXPECT_NE(frames[0], frames[1]); // the scene moves and the sensor is noisy
}

} // namespace
} // namespace kestrel::test
