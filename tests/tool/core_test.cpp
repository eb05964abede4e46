// The tool's shared core on its own: which frames a run lost, frame names and output folders, the
// ring's memory bound, dead-pixel forecasts, LUT file content, and the files a stop at once removes.
#include <gtest/gtest.h>

#include "core/correction_checks.h"
#include "core/frame_loss.h"
#include "core/frame_writer.h"
#include "core/grab_plan.h"
#include "core/interrupt.h"
#include "core/interrupt_flag.h"
#include "scratch_dir.h"

#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace kestrel::tool {
namespace {

using test::ScratchDirTest;

struct Picture {
    uint64_t cameraFrame, lostBefore;
};
struct LossRow {
    std::vector<Picture> pictures; // pictures 1, 2, ... of the run
    uint64_t lost;
    const char* described;
};

TEST(FrameLossLedger, CountsOnlyFramesLostBeforeTheLastPictureAndNamesWhere) {
    const LossRow rows[] = {
        {{{0, 0}, {1, 0}, {2, 0}}, 0, ""},
        // The board's count rose by 3 between pictures 2 and 3: camera frames 3 .. 5 (from 1).
        {{{0, 0}, {1, 0}, {5, 3}, {6, 3}}, 3, "3 frames lost: 3 of camera frames 3 .. 5 before frame 3"},
        {{{2, 2}}, 2, "2 frames lost: 2 of camera frames 1 .. 2 before frame 1"},
        // The image selector passes every second frame: its gaps are no losses.
        {{{0, 0}, {2, 0}, {8, 2}}, 2, "2 frames lost: 2 of camera frames 4 .. 8 before frame 3"},
        {{{0, 0}, {2, 1}, {4, 2}},
         2,
         "2 frames lost: 1 of camera frames 2 .. 2 before frame 2, 1 of camera "
         "frames 4 .. 4 before frame 3"},
    };
    for (const LossRow& row : rows) {
        FrameLossLedger ledger;
        for (size_t i = 0; i < row.pictures.size(); ++i)
            ledger.record(i + 1, row.pictures[i].cameraFrame, row.pictures[i].lostBefore);
        EXPECT_EQ(ledger.lost(), row.lost) << row.described;
        EXPECT_EQ(ledger.describe(), row.described);
    }
    FrameLossLedger many;
    for (uint64_t picture = 1; picture <= 8; ++picture)
        many.record(picture, 2 * picture, picture);
    EXPECT_NE(many.describe(2).find(" and 6 more gaps"), std::string::npos) << many.describe(2);
}

TEST(FrameFilePath, NumbersWithTheDigitsOfTheLastPictureSoThatNamesSortInOrder) {
    const struct {
        uint64_t picture, last;
        const char* name;
    } rows[] = {{1, 8, "d/frame_0001.tif"},
                {9999, 9999, "d/frame_9999.tif"},
                {1, 10000, "d/frame_00001.tif"},
                {12345, 200000, "d/frame_012345.tif"}};
    for (const auto& row : rows)
        EXPECT_EQ(frameFilePath("d", FrameFormat::Tiff, row.picture, row.last), row.name);
}

class OutputFolder : public ScratchDirTest {};

TEST_F(OutputFolder, FindsAndRemovesOnlyTheFramesOfAnEarlierRun) {
    EXPECT_FALSE(earlierFrames(path("none")));
    for (const char* name : {"frame_0002.tif", "frame_0001.png", "frame_00003.tif.part", "notes.txt",
                             "frame_a.tif", "frame_0004.tiff"})
        writeFile(name, "x");
    const auto earlier = earlierFrames(path(""));
    ASSERT_TRUE(earlier);
    EXPECT_EQ(earlier->count, 3u);
    EXPECT_EQ(earlier->example, "frame_00003.tif.part");
    EXPECT_EQ(removeEarlierFrames(path("")), "");
    EXPECT_FALSE(earlierFrames(path("")));
    EXPECT_TRUE(exists("notes.txt") && exists("frame_a.tif") && exists("frame_0004.tiff"));
}

TEST(RingMemory, IsBoundedByTheHostAndHalfTheMachinesMemory) {
    constexpr uint64_t kFrame = uint64_t{1} << 20;
    constexpr uint64_t kGiB = uint64_t{1} << 30;
    EXPECT_EQ(ringMemoryProblem(1024, kFrame, 64 * kGiB), "");
    EXPECT_EQ(ringMemoryProblem(1024, 16 * kFrame, 64 * kGiB), "") << "exactly what one memory holds";
    EXPECT_NE(ringMemoryProblem(1024, 32 * kFrame, 64 * kGiB).find("at most 512 buffers fit"),
              std::string::npos);
    EXPECT_NE(ringMemoryProblem(600, kFrame, kGiB).find("of half the machine's memory; at most 512"),
              std::string::npos);
    EXPECT_NE(ringMemoryProblem(2, 2 * kGiB, 0).find("more than a buffer holds"), std::string::npos);
}

ReferenceImage uniform(int32_t side, int32_t bits, uint16_t value) {
    return ReferenceImage{side, side, bits, std::vector<uint16_t>(size_t(side) * size_t(side), value)};
}

TEST(DeadPixelForecast, ComparesTheThresholdWithTheReferencesOwnScale) {
    const struct {
        ReferenceImage black, gray;
        uint32_t threshold;
        uint64_t marked;
    } rows[] = {
        {uniform(4, 8, 10), uniform(4, 8, 200), 127, 0},
        {uniform(4, 8, 10), uniform(4, 8, 100), 127, 16},        // gray below 255 - 127
        {uniform(4, 8, 10), uniform(4, 8, 200), 0, 16},          // every black value above 0
        {uniform(4, 16, 2560), uniform(4, 16, 57344), 4095, 16}, // 7/8 of 16-bit scale is below 61440
        {uniform(4, 16, 2560), uniform(4, 16, 62000), 4095, 0},
        {uniform(2, 8, 10), uniform(4, 8, 100), 127, 4}, // only where both references lie
    };
    for (const auto& row : rows) {
        const DeadPixelForecast forecast = forecastDeadPixels(row.black, row.gray, row.threshold);
        EXPECT_EQ(forecast.marked, row.marked) << row.black.bits << "-bit, threshold " << row.threshold;
    }
    ReferenceImage black = uniform(4, 8, 10);
    black.samples[5] = 250;
    const DeadPixelForecast one = forecastDeadPixels(black, uniform(4, 8, 200), 127);
    EXPECT_EQ(std::tuple(one.marked, one.hotInBlack, one.darkInGray, one.pixels),
              std::tuple(1u, 1u, 0u, 16u));
}

class LutFile : public ScratchDirTest {};

std::string lutText(uint64_t declared, uint64_t lines, uint64_t first = 0) {
    std::string text =
        "# Lut data file v1.1\n\n\n\n[gray]\n\nid=3;\nnrOfElements=" + std::to_string(declared) +
        ";\nformat=0;\nnumber=0;\n";
    for (uint64_t i = first; i < first + lines; ++i)
        text += std::to_string(i) + "," + std::to_string(i % 4096) + ";\n";
    return text;
}

TEST_F(LutFile, ReportsWhatTheTableKeepsOrDropsWithTheCounts) {
    const struct {
        std::string text;
        const char* said; // "" when the file fills the table exactly
    } rows[] = {
        {lutText(4096, 4096), ""},
        {lutText(100, 100),
         "holds 100 entries and the table has 4096: entries 100 .. 4095 keep their values"},
        {lutText(5000, 5000), "holds 5000 entries and the table has 4096: entries 4096 .. 4999 are not used"},
        {lutText(4096, 99), "declares 4096 entries but its value lines stop after 99 (no line for index 99)"},
        {lutText(4096, 4096) + "4096,7;\n", "has a value line for index 4096 and the table has 4096"},
    };
    for (const auto& row : rows) {
        const std::string shortfall =
            lutFileShortfall(readLutFileContent(writeFile("t.lut", row.text)), 4096);
        if (*row.said == '\0')
            EXPECT_EQ(shortfall, "");
        else
            EXPECT_EQ(shortfall.rfind(row.said, 0), 0u) << shortfall;
    }
}

std::set<std::string> removedPaths;

TEST(RemovedOnForcedStop, HandsEveryFileInWorkToAStopAtOnceAndNoneAfterwards) {
    removedPaths.clear();
    {
        const RemovedOnForcedStop first("a.part");
        const RemovedOnForcedStop second("b.part");
        { const RemovedOnForcedStop finished("c.part"); }
        removeFilesInWork([](const char* path) { removedPaths.insert(path); });
        EXPECT_EQ(removedPaths, (std::set<std::string>{"a.part", "b.part"}));
    }
    removedPaths.clear();
    removeFilesInWork([](const char* path) { removedPaths.insert(path); });
    EXPECT_TRUE(removedPaths.empty());
}

TEST(InterruptGuard, AnInnerGuardKeepsARequestTheOuterOneCaught) {
    const InterruptGuard outer;
    EXPECT_FALSE(InterruptGuard::requested());
    askToStop(15);
    {
        const InterruptGuard inner;
        EXPECT_TRUE(InterruptGuard::requested());
    }
    EXPECT_EQ(InterruptGuard::exitCode(), 128 + 15);
    clearStopRequest();
}

} // namespace
} // namespace kestrel::tool
