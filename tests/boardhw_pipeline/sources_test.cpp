// The virtual camera's sources: the synthetic scene, the simulator's ramp, image sequences.
#include "pipeline/generator_source.h"
#include "pipeline/image_sequence_source.h"
#include "pipeline/scene_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
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

TEST(SceneSource, FrameDependsOnlyOnSettingsAndFrameNumber) {
    const SceneSource source(smallScene());
    Frame12 first, second;
    source.render(17, first);
    source.render(3, second);
    EXPECT_NE(first, second);
    source.render(17, second);
    EXPECT_EQ(first, second);
    SceneSource(smallScene()).render(17, second);
    EXPECT_EQ(first, second);
    SceneSettings otherSeed = smallScene();
    otherSeed.seed ^= 1;
    SceneSource(otherSeed).render(17, second);
    EXPECT_NE(first, second);
}

TEST(SceneSource, SamplesSitAtTheTopOfTwelveBitsAndOtherDepthsAreRefused) {
    for (uint32_t depth : {8u, 10u, 12u}) {
        SceneSettings settings = smallScene();
        settings.bitDepth = depth;
        Frame12 frame;
        SceneSource(settings).render(4, frame);
        const uint16_t step = uint16_t(1u << (12 - depth));
        for (uint16_t value : frame.pixels())
            ASSERT_EQ(value % step, 0) << depth << ": " << value;
        // A hot pixel shows the camera's full scale.
        EXPECT_EQ(*std::ranges::max_element(frame.pixels()), uint16_t(((1u << depth) - 1) * step)) << depth;
    }
    SceneSettings settings = smallScene();
    settings.bitDepth = 14;
    EXPECT_THROW(SceneSource{settings}, std::invalid_argument);
    settings.bitDepth = 12;
    settings.noiseSigma = -1;
    EXPECT_THROW(SceneSource{settings}, std::invalid_argument);
}

TEST(SceneSource, NoiseFarBeyondTheRangeClipsAtBothEndsOfTheCamerasScale) {
    for (uint32_t depth : {8u, 12u}) {
        SceneSettings settings = smallScene();
        settings.bitDepth = depth;
        settings.noiseSigma = 1e9;
        Frame12 frame;
        SceneSource(settings).render(2, frame);
        const auto fullScale = uint16_t(((1u << depth) - 1) << (12 - depth));
        // Only a noise draw of exactly 0 leaves a sample inside the scale.
        size_t low = 0;
        size_t high = 0;
        for (uint16_t value : frame.pixels()) {
            ASSERT_LE(value, fullScale) << depth;
            low += value == 0;
            high += value == fullScale;
        }
        const size_t pixels = frame.pixels().size();
        EXPECT_GT(low, pixels * 4 / 10) << depth;
        EXPECT_GT(high, pixels * 4 / 10) << depth;
        EXPECT_GT(low + high, pixels * 98 / 100) << depth;
    }
}

TEST(GeneratorSource, FrameSizeAndTapsFollowWordCounts) {
    // Four pixels a word; the height count is lines less one, so all ones wraps to an empty
    // frame; only four tap bits exist.
    const auto settings = GeneratorSettings::fromWordCounts(256, 1023, 0xFF, 0);
    EXPECT_EQ(std::tuple(settings.widthPixels, settings.heightLines, settings.tapMask),
              std::tuple(1024u, 1024u, 0xFu));
    const auto odd = GeneratorSettings::fromWordCounts(255, 0, 15, 0);
    EXPECT_EQ(std::pair(odd.widthPixels, odd.heightLines), std::pair(1020u, 1u));
    Frame12 frame;
    GeneratorSource(settings).render(0, frame);
    EXPECT_EQ(std::pair(frame.widthPixels(), frame.heightLines()), std::pair(1024u, 1024u));
    GeneratorSource(GeneratorSettings::fromWordCounts(4, 0xFFFFFFFFu, 15, 0)).render(0, frame);
    EXPECT_EQ(frame.pixelCount(), 0u);
}

TEST(ImageSequenceSource, RefusesWhatNoCameraCouldShow) {
    EXPECT_THROW(CameraImages(0, 2, std::vector<uint16_t>(4)), std::invalid_argument);
    EXPECT_THROW(CameraImages(3, 2, {}), std::invalid_argument);
    EXPECT_THROW(CameraImages(3, 2, std::vector<uint16_t>(7)), std::invalid_argument);
    EXPECT_THROW(ImageSequenceSource(nullptr, 12), std::invalid_argument);
    EXPECT_THROW(ImageSequenceSource(std::make_shared<CameraImages>(1, 1, std::vector<uint16_t>(1)), 14),
                 std::invalid_argument);
}

} // namespace
} // namespace kestrel::board
