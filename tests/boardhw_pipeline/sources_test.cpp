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

TEST(GeneratorSource, PixelIsSumOfCoordinatesAndRollModulo4096WithClearedTapsZero) {
    Frame12 frame;
    GeneratorSource({.widthPixels = 5000, .heightLines = 3, .tapMask = 15, .rollPerFrame = 0})
        .render(0, frame);
    for (const auto& [x, y, value] :
         {std::tuple{0u, 0u, 0}, {7u, 2u, 9}, {4095u, 0u, 4095}, {4095u, 1u, 0}, {4999u, 2u, 905}})
        EXPECT_EQ(frame.at(x, y), value) << x << "," << y;
    GeneratorSource rolling({.widthPixels = 16, .heightLines = 4, .tapMask = 15, .rollPerFrame = 3});
    rolling.render(5, frame);
    EXPECT_EQ(frame.at(2, 1), 2 + 1 + 15);
    // n x roll is taken modulo 4096 too, even for frame numbers far beyond 32 bits.
    rolling.render((uint64_t{1} << 40) + 7, frame);
    EXPECT_EQ(frame.at(0, 0), (7 * 3) % 4096);
    // Tap mask 0b1101: tap 1 (pixels 1, 5, 9, ...) is off.
    GeneratorSource({.widthPixels = 12, .heightLines = 2, .tapMask = 0b1101, .rollPerFrame = 0})
        .render(0, frame);
    for (uint32_t x = 0; x < 12; ++x)
        EXPECT_EQ(frame.at(x, 1), (x % 4 == 1) ? 0 : uint16_t(x + 1)) << x;
}

// Two 3 x 2 images at 16-bit full scale whose samples use every bit.
std::shared_ptr<const CameraImages> twoImages() {
    return std::make_shared<CameraImages>(3, 2,
                                          std::vector<uint16_t>{0x0000, 0xFFFF, 0x1234, 0xABCD, 0x8001,
                                                                0x7FFE, 0x0010, 0x00FF, 0xFF00, 0x0F0F,
                                                                0xF0F0, 0x5555});
}

TEST(ImageSequenceSource, QuantisesToTheCameraDepthAtTheTopOfTwelveBitsAndCycles) {
    const std::pair<uint32_t, std::vector<uint16_t>> rows[] = {
        {12, {0x000, 0xFFF, 0x123, 0xABC, 0x800, 0x7FF}},
        {10, {0x000, 0xFFC, 0x120, 0xABC, 0x800, 0x7FC}},
        {8, {0x000, 0xFF0, 0x120, 0xAB0, 0x800, 0x7F0}},
    };
    for (const auto& [depth, expected] : rows) {
        Frame12 frame;
        ImageSequenceSource(twoImages(), depth).render(0, frame);
        EXPECT_EQ(std::pair(frame.widthPixels(), frame.heightLines()), std::pair(3u, 2u));
        EXPECT_EQ(std::vector<uint16_t>(frame.pixels().begin(), frame.pixels().end()), expected) << depth;
    }
    const ImageSequenceSource source(twoImages(), 12);
    Frame12 first, second, third;
    source.render(0, first);
    source.render(1, second);
    source.render(2, third);
    EXPECT_EQ(second.at(0, 0), 0x001);
    EXPECT_EQ(first, third);
}

TEST(ImageSequenceSource, RefusesWhatNoCameraCouldShow) {
    EXPECT_THROW(CameraImages(0, 2, std::vector<uint16_t>(4)), std::invalid_argument);
    EXPECT_THROW(CameraImages(3, 2, {}), std::invalid_argument);
    EXPECT_THROW(CameraImages(3, 2, std::vector<uint16_t>(7)), std::invalid_argument);
    EXPECT_THROW(ImageSequenceSource(nullptr, 12), std::invalid_argument);
    EXPECT_THROW(ImageSequenceSource(twoImages(), 14), std::invalid_argument);
}

} // namespace
} // namespace kestrel::board
