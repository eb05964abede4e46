// The kestrel command line as scripts use it: exit codes, the first line of each command, and
// settings that last from one command to the next through --config.
#include <gtest/gtest.h>

#include "scratch_dir.h"
#include "tool_run.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace {

using tool_test::contains;
using tool_test::kestrel;
using tool_test::ToolRun;

class KestrelCli : public kestrel::test::ScratchDirTest {
protected:
    ToolRun withConfig(const std::string& arguments) const {
        return kestrel("--config " + path("line.scf") + " " + arguments);
    }
};

struct SmokeCase {
    const char* arguments;
    int exitCode;
    const char* part; // a piece of what the command prints
};

// Usage errors exit 2, failures 1; a failure names the file's OS reason or the likely spelling.
const SmokeCase kSmokeCases[] = {
    {"--version", 0, "kestrel 2."},
    {"", 2, "boards"},
    {"boards", 0, "0  virtual Camera Link board, ready for Kestrel12\n"},
    {"grib -n 1", 2, "kestrel: no command grib; did you mean grab?"},
    {"grab --no-such-option", 2, "--no-such-option"},
    {"set FG_WIDTH 512", 2, "kestrel: set takes NAME=VALUE, not FG_WIDTH (kestrel set FG_WIDTH=512)"},
    {"--config settings.txt get FG_WIDTH", 2, "contains .scf"},
    {"get FG_WIDTH FG_FORMAT", 0, "FG_WIDTH = 1024\nFG_FORMAT = FG_GRAY (3)\n"},
    {"get FG_WIDHT", 1, "(-2070); did you mean FG_WIDTH?"},
    {"set FG_FORMAT=FG_GRAY16 FG_WIDTH=512", 0, "FG_FORMAT = FG_GRAY16 (1)\nFG_WIDTH = 512\n"},
    {"params FG_FORMAT", 0,
     "  FG_FORMAT = FG_GRAY (3)  RW  \"Output Format\"\n    Pixel format of the output image.\n"
     "      FG_GRAY = 3  \"Gray 8bit\"\n"},
    {"params 'fg_gen_w*'", 0, "Camera Simulator\n  FG_GEN_WIDTH = 1024 pixel  [0 .. 65535]  RW  \"Width\"\n"},
    {"params FG_FORMAT --json", 0,
     "{\"parameters\":[\n{\"name\":\"FG_FORMAT\",\"displayName\":\"Output Format\","
     "\"description\":\"Pixel format of the output image.\",\"category\":\"Output Format\","
     "\"type\":\"enumeration\",\"access\":\"RW\",\"unit\":\"\",\"value\":\"FG_GRAY\",\"default\":\"FG_GRAY\","
     "\"entries\":[{\"name\":\"FG_GRAY\",\"value\":3,\"displayName\":\"Gray 8bit\"},"},
    {"params --changed", 0, ""},
    {"params FG_WIDHT", 1, "no parameter matches FG_WIDHT; did you mean FG_WIDTH?"},
    {"events --watch -n 2", 0, "FG_START_OF_FRAME_CAM_PORT_0  0x0000000000000002  0.000000 s\n"},
    {"events --watch FG_OVERFLOW_CAMO -n 1", 1, "did you mean FG_OVERFLOW_CAM0?"},
    {"events -n 2", 2, "-n and --timeout go with --watch"},
    {"load /nonexistent/a.scf", 1, "(-2076); the file cannot be read: No such file or directory"},
    {"save /nonexistent/a.scf", 1, "(-5001); No such file or directory"},
};

TEST(KestrelCommands, ExitWithTheirCodeAndPrintTheirFirstLine) {
    for (const SmokeCase& c : kSmokeCases) {
        const ToolRun run = kestrel(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
        EXPECT_TRUE(contains(run.output, c.part)) << c.arguments << ": no '" << c.part << "' in\n"
                                                  << run.output;
    }
}

// The PNG header's width and height of a frame file.
std::pair<uint32_t, uint32_t> pngSize(const std::string& bytes) {
    auto big = [&](std::size_t at) {
        uint32_t value = 0;
        for (std::size_t i = 0; i < 4 && at + i < bytes.size(); ++i)
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    return {big(16), big(20)};
}

TEST_F(KestrelCli, SettingsLastAcrossCommandsThroughTheConfigFile) {
    ToolRun run = withConfig("set FG_WIDTH=256 FG_HEIGHT=64 FG_FORMAT=FG_GRAY16");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    run = withConfig("get FG_WIDTH FG_FORMAT");
    EXPECT_EQ(run.output, "FG_WIDTH = 256\nFG_FORMAT = FG_GRAY16 (1)\n");
    run = withConfig("params --changed FG_FORMAT");
    EXPECT_TRUE(contains(run.output, "FG_FORMAT = FG_GRAY16 (1) (default FG_GRAY (3))")) << run.output;

    run = withConfig("grab -n 1 --format png -o " + path("frames"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string frame = readFile(path("frames/frame_0001.png"));
    EXPECT_EQ(pngSize(frame), std::make_pair(256u, 64u));
    EXPECT_EQ(static_cast<int>(frame.at(24)), 16) << "bit depth of FG_GRAY16";

    // save copies the customised configuration; a refused setting leaves it as it was.
    ASSERT_EQ(withConfig("save " + path("copy.scf")).exitCode, 0);
    EXPECT_EQ(readFile(path("copy.scf")), readFile(path("line.scf")));
    run = withConfig("set FG_HEIGHT=128 FG_WIDTH=1000");
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_EQ(readFile(path("copy.scf")), readFile(path("line.scf")));
}

TEST_F(KestrelCli, HandWrittenConfigurationTakesEntryNames) {
    ASSERT_EQ(kestrel("save " + path("fresh.scf")).exitCode, 0);
    std::string text = readFile(path("fresh.scf"));
    const std::string numeric = "FG_FORMAT=3;";
    ASSERT_TRUE(contains(text, numeric));
    text.replace(text.find(numeric), numeric.size(), "FG_FORMAT=FG_GRAY16;");
    writeFile("named.scf", text);
    ToolRun run = kestrel("--config " + path("named.scf") + " get FG_FORMAT");
    EXPECT_EQ(run.output, "FG_FORMAT = FG_GRAY16 (1)\n");
    EXPECT_EQ(readFile(path("named.scf")), text) << "the user's file is never rewritten by a reading command";

    text.replace(text.find("FG_GRAY16;"), 10, "FG_PURPLE;");
    writeFile("named.scf", text);
    run = kestrel("load " + path("named.scf"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "named.scf:19: FG_FORMAT: no entry FG_PURPLE")) << run.output;
}

TEST_F(KestrelCli, JsonEscapesTextsAndKeepsUtf8) {
    ASSERT_EQ(withConfig("set FG_SHADING_BLACK_FILENAME=a\\\"b\\\\c\xC3\xA9").exitCode, 0);
    const ToolRun run = withConfig("params FG_SHADING_BLACK_FILENAME --json");
    EXPECT_TRUE(contains(run.output, "\"value\":\"a\\\"b\\\\c\xC3\xA9\",\"default\":\"\"")) << run.output;
}

TEST_F(KestrelCli, SaveReportsAWriteTheDeviceRefuses) {
    // The applet's writer only reports a file it cannot create; the tool checks what follows.
    std::filesystem::create_symlink("/dev/full", path("full.scf"));
    const ToolRun run = kestrel("save " + path("full.scf"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "No space left on device")) << run.output;
}

} // namespace
