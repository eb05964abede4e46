// The virtual camera's synthetic scene: determinism, bit depths, defects, flat field.
#include "pipeline/scene_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace kestrel::board {
namespace {

SceneSettings smallScene() {
    SceneSettings settings;
    settings.widthPixels = 96;
    settings.heightLines = 64;
    return settings;
}

bool isDefect(const SceneSource& source, uint32_t x, uint32_t y) {
    return std::ranges::any_of(source.defects(), [&](const SensorDefect& d) { return d.x == x && d.y == y; });
}

TEST(SceneSource, FrameDependsOnlyOnSettingsAndFrameNumber) {
    const SceneSource source(smallScene());
    Frame12 first;
    Frame12 second;
    source.render(17, first);
    source.render(3, second);
    EXPECT_NE(first, second); // frames differ over time
    source.render(17, second);
    EXPECT_EQ(first, second); // nothing depends on history
    SceneSource(smallScene()).render(17, second);
    EXPECT_EQ(first, second);
    SceneSettings otherSeed = smallScene();
    otherSeed.seed ^= 1;
    SceneSource(otherSeed).render(17, second);
    EXPECT_NE(first, second);
}

class SceneBitDepth : public testing::TestWithParam<uint32_t> {};

TEST_P(SceneBitDepth, SamplesSitAtTheTopOfTwelveBits) {
    SceneSettings settings = smallScene();
    settings.bitDepth = GetParam();
    const SceneSource source(settings);
    Frame12 frame;
    source.render(4, frame);
    const uint16_t step = uint16_t(1u << (12 - GetParam()));
    uint16_t largest = 0;
    for (uint16_t value : frame.pixels()) {
        ASSERT_EQ(value % step, 0) << value;
        ASSERT_LE(value, kMaxSample);
        largest = std::max(largest, value);
    }
    // A hot pixel shows the camera's full scale.
    EXPECT_EQ(largest, uint16_t(((1u << GetParam()) - 1) * step));
}

INSTANTIATE_TEST_SUITE_P(CameraDepths, SceneBitDepth, testing::Values(8u, 10u, 12u));

TEST(SceneSource, RejectsUnsupportedBitDepth) {
    SceneSettings settings = smallScene();
    settings.bitDepth = 14;
    EXPECT_THROW(SceneSource{settings}, std::invalid_argument);
    settings.bitDepth = 12;
    settings.noiseSigma = -1;
    EXPECT_THROW(SceneSource{settings}, std::invalid_argument);
}

TEST(SceneSource, HotAndDeadPixelsSitWhereTheSourceSays) {
    SceneSettings settings = smallScene();
    settings.hotPixels = 5;
    settings.deadPixels = 4;
    const SceneSource source(settings);
    EXPECT_GE(source.defects().size(), 5u); // positions may collide, never more than asked
    EXPECT_LE(source.defects().size(), 9u);
    Frame12 frame;
    for (uint64_t n : {0u, 7u}) {
        source.render(n, frame);
        for (const SensorDefect& d : source.defects())
            EXPECT_EQ(frame.at(d.x, d.y), d.hot ? kMaxSample : 0) << d.x << "," << d.y;
    }
}

TEST(SceneSource, DefectsLandingOnOnePlaceLeaveOneAndDeadWins) {
    SceneSettings settings = smallScene();
    settings.widthPixels = settings.heightLines = 1;
    settings.hotPixels = 2;
    settings.deadPixels = 1;
    EXPECT_EQ(SceneSource(settings).defects(), (std::vector<SensorDefect>{{0, 0, false}}));
}

TEST(SceneSource, DefectsStayPutFromFrameToFrameAndOthersAreNotStuck) {
    const SceneSource source(smallScene());
    Frame12 frame;
    source.render(1, frame);
    size_t zeros = 0;
    size_t fullScale = 0;
    for (uint32_t y = 0; y < frame.heightLines(); ++y) {
        for (uint32_t x = 0; x < frame.widthPixels(); ++x) {
            if (isDefect(source, x, y))
                continue;
            zeros += frame.at(x, y) == 0;
            fullScale += frame.at(x, y) == kMaxSample;
        }
    }
    EXPECT_EQ(zeros, 0u);
    EXPECT_EQ(fullScale, 0u);
}

TEST(SceneSource, NoiseHasRoughlyTheAskedDeviation) {
    SceneSettings settings = smallScene();
    settings.content = SceneContent::FlatField;
    settings.hotPixels = 0;
    settings.deadPixels = 0;
    settings.noiseSigma = 8.0;
    const SceneSource source(settings);
    SceneSettings quiet = settings;
    quiet.noiseSigma = 0;
    Frame12 noisy;
    Frame12 clean;
    source.render(2, noisy);
    SceneSource(quiet).render(2, clean);
    double sum = 0;
    double sumSquares = 0;
    for (size_t i = 0; i < noisy.pixelCount(); ++i) {
        const double d = double(noisy.pixels()[i]) - clean.pixels()[i];
        sum += d;
        sumSquares += d * d;
    }
    const double n = double(noisy.pixelCount());
    const double mean = sum / n;
    EXPECT_NEAR(mean, 0.0, 0.5);
    EXPECT_NEAR(std::sqrt(sumSquares / n - mean * mean), 8.0, 0.8);
}

// The camera model the flat-field references rely on: dark offsets of 12..28 (mean 20) with noise
// of 4 under the lens cap, and the flat field's light less a little vignetting in the centre.
TEST(SceneSource, LensCapShowsTheDarkOffsetAndFlatFieldItsLevel) {
    SceneSettings settings; // the camera's full 1024 x 1024 sensor
    settings.content = SceneContent::LensCap;
    const SceneSource dark(settings);
    Frame12 frame;
    dark.render(0, frame);
    double sum = 0, squares = 0;
    uint16_t highest = 0;
    size_t count = 0;
    for (uint32_t y = 0; y < frame.heightLines(); ++y)
        for (uint32_t x = 0; x < frame.widthPixels(); ++x) {
            if (isDefect(dark, x, y))
                continue;
            const double v = frame.at(x, y);
            sum += v;
            squares += v * v;
            highest = std::max(highest, frame.at(x, y));
            ++count;
        }
    const double mean = sum / double(count);
    EXPECT_NEAR(mean, 20.0, 0.5);
    EXPECT_NEAR(std::sqrt(squares / double(count) - mean * mean), std::sqrt(16.0 * 16.0 / 12 + 4.0 * 4.0),
                0.5);
    EXPECT_LE(highest, 52); // 28 + 6 sigma

    settings.content = SceneContent::FlatField;
    settings.flatLevel = 2000.0;
    SceneSource(settings).render(0, frame);
    double centre = 0;
    for (uint32_t y = 448; y < 576; ++y)
        for (uint32_t x = 448; x < 576; ++x)
            centre += frame.at(x, y);
    centre /= 128.0 * 128.0;
    EXPECT_NEAR(centre, 2000.0 + 20.0, 15.0);
    EXPECT_GT(centre, 2000.0);
}

} // namespace
} // namespace kestrel::board
