// The camera simulator's ramp, taps and roll.
#include "pipeline/generator_source.h"

#include <gtest/gtest.h>

namespace kestrel::board {
namespace {

TEST(GeneratorSource, FrameSizeAndTapsFollowWordCounts) {
    // Four pixels a word; the height count is lines less one, so all ones wraps to an empty
    // frame; only four tap bits exist.
    const auto settings = GeneratorSettings::fromWordCounts(256, 1023, 0xFF, 0);
    EXPECT_EQ(settings.widthPixels, 1024u);
    EXPECT_EQ(settings.heightLines, 1024u);
    EXPECT_EQ(settings.tapMask, 0x0Fu);
    EXPECT_EQ(GeneratorSettings::fromWordCounts(255, 0, 15, 0).widthPixels, 1020u);
    EXPECT_EQ(GeneratorSettings::fromWordCounts(255, 0, 15, 0).heightLines, 1u);

    Frame12 frame;
    GeneratorSource(settings).render(0, frame);
    EXPECT_EQ(frame.widthPixels(), 1024u);
    EXPECT_EQ(frame.heightLines(), 1024u);
    GeneratorSource(GeneratorSettings::fromWordCounts(4, 0xFFFFFFFFu, 15, 0)).render(0, frame);
    EXPECT_EQ(frame.pixelCount(), 0u);
}

TEST(GeneratorSource, PixelIsSumOfCoordinatesModulo4096) {
    GeneratorSource source({.widthPixels = 5000, .heightLines = 3, .tapMask = 15, .rollPerFrame = 0});
    Frame12 frame;
    source.render(0, frame);
    EXPECT_EQ(frame.at(0, 0), 0);
    EXPECT_EQ(frame.at(7, 2), 9);
    EXPECT_EQ(frame.at(4095, 0), 4095);
    EXPECT_EQ(frame.at(4095, 1), 0);   // 4096 wraps
    EXPECT_EQ(frame.at(4999, 2), 905); // (4999 + 2) mod 4096
}

TEST(GeneratorSource, RollShiftsEachFrameAlongTheRamp) {
    GeneratorSource source({.widthPixels = 16, .heightLines = 4, .tapMask = 15, .rollPerFrame = 3});
    Frame12 frame;
    source.render(5, frame);
    EXPECT_EQ(frame.at(2, 1), 2 + 1 + 15);
    // n x roll is taken modulo 4096 too, even for frame numbers far beyond 32 bits.
    const uint64_t far = (uint64_t{1} << 40) + 7;
    source.render(far, frame);
    EXPECT_EQ(frame.at(0, 0), (7 * 3) % 4096);
}

TEST(GeneratorSource, ClearedTapSendsZero) {
    // Tap mask 0b1101: tap 1 (pixels 1, 5, 9, ...) is off.
    GeneratorSource source({.widthPixels = 12, .heightLines = 2, .tapMask = 0b1101, .rollPerFrame = 0});
    Frame12 frame;
    source.render(0, frame);
    for (uint32_t x = 0; x < 12; ++x) {
        const uint16_t expected = (x % 4 == 1) ? 0 : uint16_t(x + 1);
        EXPECT_EQ(frame.at(x, 1), expected) << "x = " << x;
    }
}

TEST(GeneratorSource, SinglePixelQueryMatchesRenderedFrame) {
    GeneratorSource source({.widthPixels = 40, .heightLines = 9, .tapMask = 0b0110, .rollPerFrame = 200});
    Frame12 frame;
    source.render(33, frame);
    for (uint32_t y = 0; y < 9; ++y)
        for (uint32_t x = 0; x < 40; ++x)
            ASSERT_EQ(frame.at(x, y), source.pixel(33, x, y));
}

} // namespace
} // namespace kestrel::board
