// Dead-pixel replacement: neighbours, runs, line ends, in the frame and line versions.
#include "pipeline/deadpixel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace kestrel::board {
namespace {

constexpr uint16_t kDead = CoefficientPlane::kDefective;

// Replaces one line with both versions and checks that they agree; returns the result.
std::vector<uint16_t> replaced(std::vector<uint16_t> line, const std::vector<uint16_t>& marks) {
    const uint32_t width = uint32_t(line.size());
    CoefficientPlane offsets(0);
    const RoiWindow roi{.xOffset = 100, .yOffset = 7, .widthPixels = width, .heightLines = 1};
    for (uint32_t x = 0; x < width; ++x)
        offsets.set(x + roi.xOffset, roi.yOffset, marks[x]);
    Frame12 frame(width, 1);
    std::copy(line.begin(), line.end(), frame.row(0));
    replaceDeadPixels(frame, roi, &offsets);

    EXPECT_EQ(lineHasDefects(marks.data(), marks.size()),
              std::find(marks.begin(), marks.end(), kDead) != marks.end());
    replaceDeadPixelsInLine(line.data(), marks.data(), line.size());
    EXPECT_EQ(line, std::vector<uint16_t>(frame.row(0), frame.row(0) + width));
    return line;
}

struct LineRow {
    const char* rule;
    std::vector<uint16_t> line, marks, replaced;
};

TEST(DeadPixel, ReplacesEachRunByTheGoodPixelsAroundIt) {
    const LineRow rows[] = {
        {"rounded mean of both neighbours", {10, 99, 30}, {0, kDead, 0}, {10, 20, 30}},
        {"half rounds up", {10, 99, 11}, {0, kDead, 0}, {10, 11, 11}},
        {"at the line start the right one", {99, 50, 60}, {kDead, 0, 0}, {50, 50, 60}},
        {"at the line end the left one", {50, 60, 99}, {0, 0, kDead}, {50, 60, 60}},
        {"a run takes the mean of its ends",
         {10, 1, 2, 3, 31, 5},
         {0, kDead, kDead, kDead, 0, 0},
         {10, 21, 21, 21, 31, 5}},
        {"a run at the start", {1, 2, 3, 40}, {kDead, kDead, kDead, 0}, {40, 40, 40, 40}},
        {"a run at the end", {40, 2, 3, 4}, {0, kDead, kDead, kDead}, {40, 40, 40, 40}},
        {"a whole defective line is 0", {5, 6, 7}, {kDead, kDead, kDead}, {0, 0, 0}},
        {"a single defective pixel is 0", {5}, {kDead}, {0}},
        {"only the defect mark counts", {1, 2, 3}, {65534, 1, 0}, {1, 2, 3}},
        {"runs are independent",
         {9, 0, 4, 0, 0, 8, 0},
         {kDead, 0, 0, kDead, kDead, 0, kDead},
         {0, 0, 4, 6, 6, 8, 8}},
    };
    for (const LineRow& row : rows)
        EXPECT_EQ(replaced(row.line, row.marks), row.replaced) << row.rule;
}

TEST(DeadPixel, NeighbourSearchStaysInsideTheWindow) {
    // The good pixel left of the window (sensor x 99) must not be used.
    CoefficientPlane offsets(0);
    offsets.set(100, 0, kDead);
    const RoiWindow roi{.xOffset = 100, .yOffset = 0, .widthPixels = 2, .heightLines = 1};
    Frame12 frame(2, 1);
    frame.at(0, 0) = 3;
    frame.at(1, 0) = 70;
    replaceDeadPixels(frame, roi, &offsets);
    EXPECT_EQ(frame.at(0, 0), 70);
}

TEST(DeadPixel, MarksAreLookedUpPerLineAtSensorCoordinates) {
    CoefficientPlane offsets(0);
    offsets.set(5, 11, kDead);
    const RoiWindow roi{.xOffset = 4, .yOffset = 10, .widthPixels = 3, .heightLines = 2};
    Frame12 frame(3, 2);
    for (uint32_t i = 0; i < 6; ++i)
        frame.pixels()[i] = uint16_t(10 * (i + 1)); // lines {10,20,30} and {40,50,60}
    replaceDeadPixels(frame, roi, &offsets);
    EXPECT_EQ(frame.at(1, 0), 20);
    EXPECT_EQ(frame.at(1, 1), 50); // (40 + 60 + 1) >> 1
}

TEST(DeadPixel, LongLinesAreScannedInFull) {
    // Marks past the kernel's block boundaries and in the tail.
    std::vector<uint16_t> marks(100, 0);
    std::vector<uint16_t> line(100, 8);
    for (size_t x : {31u, 32u, 63u, 64u, 97u, 99u}) {
        marks[x] = kDead;
        line[x] = 1000;
    }
    for (uint16_t value : replaced(line, marks))
        EXPECT_EQ(value, 8);
}

} // namespace
} // namespace kestrel::board
