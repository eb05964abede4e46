// The kestrel tool's lut and shading commands as a user runs them: output, files and exit codes.
#include <gtest/gtest.h>

#include "scratch_dir.h"
#include "tool_run.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "regiort.h"

namespace {

using tool_test::contains;
using tool_test::kestrel;
using tool_test::ToolRun;

class CorrectionTool : public kestrel::test::ScratchDirTest {};

TEST_F(CorrectionTool, LutShowsTheIdentityTable) {
    const ToolRun run = kestrel("lut");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(run.output.starts_with("   0:    0    1    2")) << run.output.substr(0, 200);
    EXPECT_TRUE(contains(run.output, "4080: 4080 4081")) << run.output.substr(0, 200);
}

TEST_F(CorrectionTool, LutGammaTwoPrintsTheSquareRootCurve) {
    const ToolRun run = kestrel("lut --gamma 2");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    // trunc(sqrt(1024 / 4095) x 4095 + 0.5) = 2048; the ends stay at 0 and 4095.
    EXPECT_TRUE(run.output.starts_with("   0:    0   64   90")) << run.output.substr(0, 200);
    EXPECT_TRUE(contains(run.output, "\n1024: 2048 ")) << run.output;
    EXPECT_TRUE(run.output.ends_with(" 4095\n")) << run.output.substr(run.output.size() - 100);
}

TEST_F(CorrectionTool, LutSavesAnInvertedTableAndLoadsItBack) {
    const std::string file = path("inverted.lut");
    ToolRun run = kestrel("lut --invert --save " + file);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "saved " + file + "\n");
    std::ifstream in(file);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(contains(content, "\n0,4095;\n")) << content.substr(0, 200);
    run = kestrel("lut --show --load " + file);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "   0: 4095 4094")) << run.output.substr(0, 200);
}

TEST_F(CorrectionTool, LutRefusesOutOfRangeSettingsAndMissingFiles) {
    ToolRun run = kestrel("lut --gain 5000");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "kestrel: FG_PROCESSING_GAIN: ")) << run.output;
    EXPECT_TRUE(contains(run.output, "(-6000)")) << run.output;
    run = kestrel("lut --load " + path("missing.lut"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "(-2076)")) << run.output;
}

TEST_F(CorrectionTool, ShadingComputesAndUploads) {
    const std::vector<uint8_t> gray(16 * 16, 128);
    ASSERT_EQ(ImageFile_Write(path("gray.tif").c_str(), gray.data(), 16, 16, 8, 1), 0);
    const ToolRun run = kestrel("shading --gray " + path("gray.tif") + " --mode max-range");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(
        contains(run.output, "shading: reading references, computing and uploading coefficients ... done"))
        << run.output;
    EXPECT_TRUE(contains(run.output, "FG_SHADING_GAIN_NORMALIZATION_VALUE = 4095")) << run.output;
}

TEST_F(CorrectionTool, ShadingMeanModeReportsTheTargetItComputed) {
    // Half the reference at 100, half at 200: the mean is 150 / 255 of full scale, 2408.82 of 4095.
    std::vector<uint8_t> gray(16 * 16, 100);
    std::fill(gray.begin() + 128, gray.end(), 200);
    ASSERT_EQ(ImageFile_Write(path("gray.tif").c_str(), gray.data(), 16, 16, 8, 1), 0);
    const ToolRun run = kestrel("shading --gray " + path("gray.tif") + " --mode mean");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "FG_SHADING_GAIN_NORMALIZATION_VALUE = 2408.82\n")) << run.output;
}

TEST_F(CorrectionTool, ShadingCustomModeKeepsTheGivenTarget) {
    const std::vector<uint16_t> black(16 * 16, 256);
    ASSERT_EQ(ImageFile_Write(path("black.tif").c_str(), black.data(), 16, 16, 16, 1), 0);
    const std::vector<uint16_t> gray(16 * 16, 40000);
    ASSERT_EQ(ImageFile_Write(path("gray.tif").c_str(), gray.data(), 16, 16, 16, 1), 0);
    const ToolRun run = kestrel("shading --black " + path("black.tif") + " --gray " + path("gray.tif") +
                                " --mode custom --value 2000");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "FG_SHADING_GAIN_NORMALIZATION_VALUE = 2000\n")) << run.output;
}

TEST_F(CorrectionTool, ShadingRefusesATargetAboveFullScale) {
    const ToolRun run = kestrel("shading --mode custom --value 5000");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "kestrel: FG_SHADING_GAIN_NORMALIZATION_VALUE: ")) << run.output;
    EXPECT_TRUE(contains(run.output, "(-6000)")) << run.output;
    EXPECT_FALSE(contains(run.output, "shading: reading references"))
        << "nothing is computed after a refusal";
}

TEST_F(CorrectionTool, ShadingReportsAnUnreadableReference) {
    const ToolRun run = kestrel("shading --black " + path("missing.tif"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "failed")) << run.output;
    EXPECT_TRUE(contains(run.output, "FG_SHADING_APPLY_SETTINGS: ")) << run.output;
    EXPECT_TRUE(contains(run.output, "(-2076)")) << run.output;
}

} // namespace
