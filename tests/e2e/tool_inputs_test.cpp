// What the kestrel tool cannot honour it refuses with a message that names it and a failure exit:
// out-of-range options, configuration values the board refused, missing or broken files, images of
// another size, pulses the trigger refused and files that cannot be written.
#include <gtest/gtest.h>

#include "regiort.h"
#include "scratch_dir.h"
#include "tool_run.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

using tool_test::contains;
using tool_test::kestrel;
using tool_test::ToolRun;

class ToolInputs : public kestrel::test::ScratchDirTest {
protected:
    // A saved fresh configuration with some keys' values replaced.
    std::string configuration(const std::string& name,
                              const std::vector<std::pair<std::string, std::string>>& edits) {
        const std::string file = path(name);
        EXPECT_EQ(kestrel("save " + file).exitCode, 0);
        std::string text = readFile(file);
        for (const auto& [key, value] : edits)
            text =
                std::regex_replace(text, std::regex("\n" + key + "=[^;]*;"), "\n" + key + "=" + value + ";");
        return writeFile(name, text);
    }
    std::string fullDisk(const std::string& name) {
        std::filesystem::create_symlink("/dev/full", path(name));
        return path(name);
    }
};

struct Refusal {
    std::string arguments; // "@" stands for the scratch directory
    std::vector<std::string> said;
};

TEST_F(ToolInputs, RefusesWhatItCannotHonourNamingIt) {
    writeFile("empty.lut", "");
    writeFile("garbage.lut", "not a table\n");
    fullDisk("full.xml");
    const std::vector<Refusal> rows = {
        {"grab -n -1 -o @/frames", {"--frames", "-1", "1 to 1000000000"}},
        {"grab --timeout 0 -o @/frames", {"--timeout", "1 to 86400"}},
        {"trigger --software 0", {"--software", "1 to 1000000"}},
        {"lut --load @/empty.lut", {"@/empty.lut", "no [gray] section", "(-5001)"}},
        {"lut --load @/garbage.lut", {"@/garbage.lut", "(-5001)"}},
        {"lut --load @", {"Is a directory", "(-2076)"}},
        {"lut --gain 5000", {"FG_PROCESSING_GAIN", "(-6000)", "[0 .. 4096]"}},
        {"xml -o @/full.xml", {"@/full.xml", "No space left on device"}},
        {"trigger --software 2 FG_AREATRIGGERMODE=ATM_GENERATOR",
         {"pulse 1: refused", "(-2140)", "0 pulses sent, 2 refused, 0 frames"}},
    };
    const std::string dir = path("");
    for (const Refusal& row : rows) {
        const auto expand = [&](std::string text) {
            for (auto at = text.find('@'); at != std::string::npos; at = text.find('@'))
                text.replace(at, 1, dir.substr(0, dir.size() - 1));
            return text;
        };
        const ToolRun run = kestrel(expand(row.arguments));
        EXPECT_NE(run.exitCode, 0) << row.arguments << "\n" << run.output;
        for (const std::string& part : row.said)
            EXPECT_TRUE(contains(run.output, expand(part))) << row.arguments << ": no '" << part << "' in\n"
                                                            << run.output;
    }
    EXPECT_FALSE(exists("frames")) << "nothing is grabbed after a refused option";
}

TEST_F(ToolInputs, LoadNamesEveryRefusedKeyAndMissingFileAndGrabWritesNothing) {
    const std::string file =
        configuration("refused.scf", {{"FG_WIDTH", "333"},
                                      {"FG_SHADING_BLACK_FILENAME", "'no-such-black.tif'"},
                                      {"FG_LUT_CUSTOM_FILE", "'no-such.lut'"}});
    for (const std::string& command :
         {"load " + file, "grab -n 1 -o " + path("frames") + " --load " + file}) {
        const ToolRun run = kestrel(command);
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_TRUE(contains(run.output, "FG_WIDTH=333 refused: ")) << run.output;
        EXPECT_TRUE(contains(run.output, "(-7080); allowed [16 .. 4096] step 16")) << run.output;
        EXPECT_TRUE(contains(run.output, "FG_SHADING_BLACK_FILENAME: no-such-black.tif: No such file"))
            << run.output;
        EXPECT_TRUE(contains(run.output, "FG_LUT_CUSTOM_FILE: no-such.lut")) << run.output;
        EXPECT_TRUE(contains(run.output, "relative names are taken from the current directory"))
            << run.output;
        EXPECT_FALSE(contains(run.output, "loaded")) << run.output;
    }
    EXPECT_FALSE(exists("frames/frame_0001.tif"));
}

TEST_F(ToolInputs, FramesHaveTheGeometryAndDepthTheBoardDelivers) {
    // The format written by entry name is taken by that name: the board delivers 16-bit frames.
    const std::string file = configuration(
        "gray16.scf",
        {{"FG_FORMAT", "FG_GRAY16"}, {"FG_BITALIGNMENT", "0"}, {"FG_WIDTH", "256"}, {"FG_HEIGHT", "8"}});
    const ToolRun run = kestrel("grab -n 1 --simulated-clock --format tiff -o " + path("frames") +
                                " --load " + file + " --set FG_GEN_ENABLE=1");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    void* samples = nullptr;
    int32_t width = 0, height = 0, bits = 0, perPixel = 0;
    ASSERT_NE(
        ImageFile_Read(path("frames/frame_0001.tif").c_str(), &samples, &width, &height, &bits, &perPixel),
        0);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 8);
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(static_cast<const uint16_t*>(samples)[7 * 256 + 255], 7 + 255)
        << "the simulator's pattern, unshifted";
    ImageFile_Release(samples);
}

TEST_F(ToolInputs, ImagesOfAnotherSizeThanTheFramesAreRefused) {
    const std::vector<uint8_t> image(64 * 32, 100);
    ASSERT_EQ(ImageFile_Write(path("small.tif").c_str(), image.data(), 64, 32, 8, 1), 0);
    const ToolRun run =
        kestrel("grab -n 1 --simulated-clock -o " + path("frames") + " --images " + path("small.tif"));
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_TRUE(contains(run.output, "is 64 x 32 but the frames are 1024 x 1024")) << run.output;
}

TEST_F(ToolInputs, XmlWritesTheFileAndThenChecksIt) {
    const ToolRun run = kestrel("xml -o " + path("k.xml") + " --check");
    EXPECT_TRUE(exists("k.xml")) << run.output;
    EXPECT_GT(std::filesystem::file_size(path("k.xml")), 1000u);
    if (!contains(run.output, "without Aravis")) {
        EXPECT_EQ(run.exitCode, 0) << run.output;
    }
}

TEST_F(ToolInputs, DeadPixelsGetASensibleDefaultThresholdAndAreCounted) {
    // A dark frame at 10 with one hot pixel, a gray frame at 200 with one dead pixel.
    std::vector<uint8_t> black(16 * 16, 10), gray(16 * 16, 200);
    black[17] = 250;
    gray[40] = 5;
    ASSERT_EQ(ImageFile_Write(path("black.tif").c_str(), black.data(), 16, 16, 8, 1), 0);
    ASSERT_EQ(ImageFile_Write(path("gray.tif").c_str(), gray.data(), 16, 16, 8, 1), 0);
    const ToolRun run =
        kestrel("shading --dead-pixels --black " + path("black.tif") + " --gray " + path("gray.tif"));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "dead pixels: 2 of 256 marked (threshold 127)")) << run.output;
}

TEST_F(ToolInputs, WriteFailuresGiveTheReasonAndLeaveNoFile) {
    const struct {
        std::string command;
        std::string file;
    } rows[] = {{"save", "settings.scf"}, {"lut --save", "table.lut"}};
    for (const auto& row : rows) {
        const ToolRun run = kestrel(row.command + " " + fullDisk(row.file));
        EXPECT_EQ(run.exitCode, 1) << row.command << ": " << run.output;
        EXPECT_TRUE(contains(run.output, "No space left on device")) << row.command << ": " << run.output;
        EXPECT_FALSE(contains(run.output, "saved")) << run.output;
    }
}

} // namespace
