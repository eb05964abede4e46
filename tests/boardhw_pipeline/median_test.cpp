// 3 x 3 median: hand-computed neighbourhoods, replicated borders, tiny windows, line kernel.
#include "pipeline/median.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace kestrel::board {
namespace {

Frame12 frameOf(uint32_t width, uint32_t height, const std::vector<uint16_t>& values) {
    Frame12 frame(width, height);
    std::copy(values.begin(), values.end(), frame.pixels().begin());
    return frame;
}

// The line kernel over a whole frame, with the padding and edge lines the streaming pipeline
// gives it.
Frame12 medianByLines(const Frame12& image) {
    const uint32_t width = image.widthPixels();
    const uint32_t height = image.heightLines();
    std::vector<std::vector<uint16_t>> padded(height, std::vector<uint16_t>(width + 2));
    for (uint32_t y = 0; y < height; ++y) {
        std::copy(image.row(y), image.row(y) + width, padded[y].begin() + 1);
        padded[y][0] = image.at(0, y);
        padded[y][width + 1] = image.at(width - 1, y);
    }
    Frame12 out(width, height);
    std::vector<uint16_t> scratch(medianScratchElements(width));
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t above = y == 0 ? 0 : y - 1;
        const uint32_t below = y + 1 == height ? y : y + 1;
        medianLine(padded[above].data() + 1, padded[y].data() + 1, padded[below].data() + 1, out.row(y),
                   width, scratch.data());
    }
    return out;
}

TEST(MedianFilter, CentreOfThreeByThreeIsTheFifthSmallest) {
    const Frame12 image = frameOf(3, 3, {9, 1, 8, 2, 7, 3, 6, 4, 5});
    EXPECT_EQ(medianFilter(image).at(1, 1), 5);
    EXPECT_EQ(medianByLines(image).at(1, 1), 5);
}

TEST(MedianFilter, CornerUsesReplicatedBorder) {
    // Around (0, 0) with replication: rows {9,9,1},{9,9,1},{2,2,7} -> sorted 1 1 2 2 7 9 9 9 9.
    const Frame12 image = frameOf(3, 3, {9, 1, 8, 2, 7, 3, 6, 4, 5});
    EXPECT_EQ(medianFilter(image).at(0, 0), 7);
    // Around (2, 2): {7,3,3},{4,5,5},{4,5,5} -> 3 3 4 4 5 5 5 5 7.
    EXPECT_EQ(medianFilter(image).at(2, 2), 5);
    EXPECT_EQ(medianByLines(image), medianFilter(image));
}

TEST(MedianFilter, TinyWindowsReplicateTheirBorders) {
    struct Tiny {
        const char* rule;
        uint32_t width;
        uint32_t height;
        std::vector<uint16_t> image;
        std::vector<uint16_t> filtered;
    };
    const Tiny cases[] = {
        {"a single pixel passes unchanged", 1, 1, {1234}, {1234}},
        // Each neighbourhood holds its three columns three times: a running median of three.
        {"a single line is filtered along itself", 4, 1, {5, 1, 9, 2}, {5, 5, 2, 2}},
        {"a single column is filtered along itself", 1, 4, {5, 1, 9, 2}, {5, 5, 2, 2}},
        // Around (0, 0): {a a b}{a a b}{c c d} with a=10 b=20 c=30 d=40 -> 10 10 10 10 20 20 30 30 40.
        {"two by two takes the majority of replicated values", 2, 2, {10, 20, 30, 40}, {20, 20, 30, 30}},
    };
    for (const Tiny& c : cases) {
        SCOPED_TRACE(c.rule);
        const Frame12 image = frameOf(c.width, c.height, c.image);
        EXPECT_EQ(medianFilter(image), frameOf(c.width, c.height, c.filtered));
        EXPECT_EQ(medianByLines(image), frameOf(c.width, c.height, c.filtered));
    }
}

TEST(MedianLine, AgreesWithFrameMedianOnRandomImagesOfManySizes) {
    std::mt19937 random(7);
    for (uint32_t width : {1u, 2u, 3u, 31u, 32u, 33u, 64u, 65u, 100u, 511u, 512u, 513u, 1100u}) {
        for (uint32_t height : {1u, 2u, 3u, 5u}) {
            Frame12 image(width, height);
            // Few distinct values make ties, which sorting networks get wrong first.
            const uint16_t range = (width + height) % 2 ? 4 : 4096;
            for (uint16_t& value : image.pixels())
                value = uint16_t(random() % range);
            ASSERT_EQ(medianByLines(image), medianFilter(image)) << width << " x " << height;
        }
    }
}

} // namespace
} // namespace kestrel::board
