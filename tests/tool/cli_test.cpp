// The kestrel tool as users and scripts run it, command after command: exit codes (usage errors 2,
// failures 1, an interrupt 130), what each command prints, settings that last through --config,
// files written whole or not at all, and frames on disk with the pixels the simulator predicts.
#include <gtest/gtest.h>

#include "regiort.h"
#include "scratch_dir.h"
#include "tool_run.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace {

using tool_test::contains;
using tool_test::kestrel;
using tool_test::ToolRun;

struct Row {
    const char* arguments; // "@/" is the test's own folder
    int exitCode;
    const char* parts; // pieces of what the command prints, split at '|'
};

// In order: later rows read what earlier ones left in the folder.
const Row kRows[] = {
    {"--version", 0, "kestrel 2."},
    {"", 2, "boards"},
    {"boards", 0, "0  virtual Camera Link board, ready for Kestrel12\n"},
    {"grib -n 1", 2, "kestrel: no command grib; did you mean grab?"},
    {"grab --no-such-option -o @/none", 2, "--no-such-option"},
    {"set FG_WIDTH 512", 2, "kestrel: set takes NAME=VALUE, not FG_WIDTH (kestrel set FG_WIDTH=512)"},
    {"--config settings.txt get FG_WIDTH", 2, "contains .scf"},
    {"get FG_WIDTH FG_FORMAT", 0, "FG_WIDTH = 1024\nFG_FORMAT = FG_GRAY (3)\n"},
    {"get FG_WIDHT", 1, "(-2070); did you mean FG_WIDTH?"},
    {"set FG_FORMAT=FG_GRAY16 FG_WIDTH=512", 0,
     "FG_FORMAT = FG_GRAY16 (1)\nFG_WIDTH = 512\n|values only while this command runs"},
    {"set FG_IMG_SELECT=3", 1, "below FG_IMG_SELECT_PERIOD, and FG_IMG_SELECT_PERIOD is 1 (raise"},
    {"--confg @/a.scf get FG_WIDTH", 2, "no option --confg; did you mean --config?"},
    {"grab --framse 3", 2, "no option --framse for grab; did you mean --frames?"},
    {"params FG_FORMAT", 0,
     "  FG_FORMAT = FG_GRAY (3)  RW  \"Output Format\"\n    Pixel format of the output image.\n"
     "      FG_GRAY = 3  \"Gray 8bit\"\n"},
    {"params 'fg_gen_w*'", 0, "Camera Simulator\n  FG_GEN_WIDTH = 1024 pixel  [0 .. 65535]  RW  \"Width\"\n"},
    {"params FG_FORMAT --json", 0,
     "{\"parameters\":[\n{\"name\":\"FG_FORMAT\",\"displayName\":\"Output Format\","
     "\"description\":\"Pixel format of the output image.\",\"category\":\"Output Format\","
     "\"type\":\"enumeration\",\"access\":\"RW\",\"unit\":\"\",\"value\":\"FG_GRAY\",\"default\":\"FG_GRAY\","
     "\"entries\":[{\"name\":\"FG_GRAY\",\"value\":3,\"displayName\":\"Gray 8bit\"},"},
    {"params FG_WIDHT", 1, "no parameter matches FG_WIDHT; did you mean FG_WIDTH?"},
    {"events --watch -n 2", 0, "FG_START_OF_FRAME_CAM_PORT_0  0x0000000000000002  0.000000 s\n"},
    {"events --watch FG_OVERFLOW_CAMO -n 1", 1, "did you mean FG_OVERFLOW_CAM0?"},
    {"events -n 2", 2, "-n and --timeout go with --watch"},
    {"load /nonexistent/a.scf", 1, "(-2076); the file cannot be read: No such file or directory"},
    {"save /nonexistent/a.scf", 1, "(-5001); No such file or directory"},
    // Settings last from one command to the next; a refused set changes nothing.
    {"--config @/line.scf set FG_WIDTH=256 FG_HEIGHT=64 FG_FORMAT=FG_GRAY16", 0, ""},
    {"--config @/line.scf get FG_WIDTH FG_FORMAT", 0, "FG_WIDTH = 256\nFG_FORMAT = FG_GRAY16 (1)\n"},
    {"--config @/line.scf params --changed FG_FORMAT", 0, "FG_FORMAT = FG_GRAY16 (1) (default FG_GRAY (3))"},
    {"--config @/line.scf grab -n 1 --format png -o @/line", 0, "(1 frames, 256 x 64, 16-bit png)"},
    {"--config @/line.scf save @/copy.scf", 0, ""},
    {"--config @/line.scf set FG_HEIGHT=128 FG_WIDTH=1000", 1, "FG_WIDTH"},
    {"--config @/line.scf get FG_HEIGHT", 0, "FG_HEIGHT = 64\n"},
    // The legacy trigger refuses the area trigger's settings that the same file holds, as the load means it
    // to.
    {"--config @/legacy.scf set FG_TRIGGER_LEGACY_MODE=1", 0, "FG_TRIGGER_LEGACY_MODE = FG_ON (1)"},
    {"load @/legacy.scf", 0,
     "settings are not applied in the state the file sets|FG_TRIGGERCC_SELECT0|loaded"},
    {"--config @/named.scf get FG_FORMAT", 0, "FG_FORMAT = FG_GRAY16 (1)\n"},
    {"load @/purple.scf", 1, "purple.scf:19: FG_FORMAT: no entry FG_PURPLE"},
    {"--config @/json.scf set FG_SHADING_BLACK_FILENAME=a\\\"b\\\\c\xC3\xA9", 0, ""},
    {"--config @/json.scf params FG_SHADING_BLACK_FILENAME --json", 0,
     "\"value\":\"a\\\"b\\\\c\xC3\xA9\",\"default\":\"\""},
    // grab, trigger and shading options, each once.
    {"grab -o @/frames -n 2 --buffers 2 --simulated-clock --quiet", 0,
     "Written to @/frames (2 frames, 1024 x 1024, 8-bit tiff)"},
    {"grab -n 1 --buffers 1 -o @/none", 2, "--buffers: Value 1 not in range 2 to 1024"},
    {"grab -o @/frames -n 1 --simulated-clock", 1,
     "@/frames holds 2 frame files of an earlier run|--replace"},
    {"grab -o @/frames -n 1 --replace --scene lens-cap --stats --simulated-clock", 0,
     "frame 1 (camera frame 1): min 0 mean 0."},
    {"grab -o @/frames -n 1 --replace --scene flat-field --stats --simulated-clock", 0,
     "mean 198.6 max 255 sd 16.9"},
    {"grab -o @/hundred -n 100 --simulated-clock --set FG_WIDTH=256 --set FG_HEIGHT=64", 0,
     "Frames received: 100\nFrames lost: 0\n"},
    {"grab -o @/none -n 2000 --buffers 1024 --set FG_WIDTH=4096 --set FG_HEIGHT=4096 --set "
     "FG_FORMAT=FG_GRAY16",
     1, "--buffers 1024: 1024 buffers of 32 MiB take 32768 MiB|buffers fit"},
    {"grab -n 1 --scene dark -o @/none", 2, "--scene: dark not in {default,lens-cap,flat-field}"},
    {"grab -n 1 --scene lens-cap --images a.png -o @/none", 2, "--images excludes --scene"},
    {"grab -o @/frames -n 1 --replace --scene lens-cap --set FG_GEN_ENABLE=1", 1,
     "--scene lens-cap: the camera simulator is on"},
    {"grab -o @/frames -n 2 --replace --software-trigger 5", 0,
     "Software pulses: |exposed a frame of the run"},
    {"grab -n 1 --software-trigger 0 -o @/none", 2, "--software-trigger: Value 0 not in range 0.1"},
    {"grab -n -1 -o @/none", 2, "--frames: Value -1 not in range 1 to 1000000000"},
    {"grab --timeout 0 -o @/none", 2, "1 to 86400"},
    {"grab -n 1 --format bmp -o @/none", 2, "png or tiff"},
    {"grab -n 1 --set FG_NO_SUCH_THING=1 -o @/none", 1, "FG_NO_SUCH_THING"},
    {"grab -n 1 --simulated-clock -o @/none --images @/small.tif", 1,
     "is 32 x 32 but the frames are 1024 x 1024"},
    {"grab -n 1 -o @/none --load @/refused.scf", 1,
     "FG_WIDTH=333 refused: |(-7080); allowed [16 .. 4096] step 16|FG_LUT_CUSTOM_FILE: no-such.lut|"
     "relative names are taken from the current directory"},
    {"trigger --software 2 -o @/frames --format png", 1, "@/frames holds 2 frame files of an earlier run"},
    {"trigger --software 2 -o @/frames --replace --format png", 0,
     "Written to @/frames (2 frames, 1024 x 1024, 8-bit png)"},
    {"trigger -o @/frames", 2, "-o saves the frames of --software N pulses"},
    {"trigger --software 0", 2, "--software: Value 0 not in range 1 to 1000000"},
    {"trigger --software 2 FG_AREATRIGGERMODE=ATM_GENERATOR", 1,
     "pulse 1: refused|(-2140)|0 pulses sent, 2 refused, 0 frames"},
    {"lut", 0, "   0:    0    1    2|4080: 4080 4081"},
    {"lut --gamma 2", 0, "   0:    0   64   90|\n1024: 2048 "}, // trunc(sqrt(1024 / 4095) x 4095 + 0.5)
    {"lut --invert --save @/inverted.lut", 0, "saved @/inverted.lut\n"},
    {"lut --show --load @/inverted.lut", 0, "   0: 4095 4094"},
    {"lut --load @/short.lut", 0,
     "@/short.lut holds 3 entries and the table has 4096: entries 3 .. 4095 keep"},
    {"lut --load @/empty.lut", 1, "@/empty.lut|no [gray] section|(-5001)"},
    {"lut --load @/", 1, "Is a directory|(-2076)"},
    {"lut --gain 5000", 1, "kestrel: FG_PROCESSING_GAIN: |(-6000)|[0 .. 4096]"},
    // The flat-field journey: PNG references, kept beside the configuration as TIFF copies; the
    // corrected flat field is flat.
    {"grab -o @/black -n 1 --scene lens-cap --format png --simulated-clock", 0, "8-bit png"},
    {"grab -o @/gray -n 1 --scene flat-field --format png --simulated-clock", 0, "8-bit png"},
    {"--config @/ff.scf shading --black @/black/frame_0001.png --gray @/gray/frame_0001.png --dead-pixels", 0,
     "computing and uploading coefficients ... done|gain: minimum 1.000, mean 1.177, maximum 1.638 (1048564 "
     "pixels, those marked defective left out)\n"
     "dead pixels: 12 of 1048576 marked (threshold 127)\n"},
    {"--config @/ff.scf get FG_SHADING_GRAY_FILENAME", 0, "FG_SHADING_GRAY_FILENAME = \"@/ff-gray.tif\"\n"},
    {"--config @/ff.scf grab -o @/flat -n 1 --scene flat-field --stats --simulated-clock", 0,
     "min 231 mean 231.0 max 231 sd 0.00"},
    {"shading --gray @/gray/frame_0001.png --mode max-range", 0, "_GAIN_NORMALIZATION_VALUE = 4095"},
    {"shading --black @/gray/frame_0001.png --threshold 4096", 2,
     "--threshold: Value 4096 not in range 0 to 4095"},
    {"shading --gray @/gray/frame_0001.png --mode custom --value 5000", 1,
     "kestrel: FG_SHADING_GAIN_NORMALIZATION_VALUE: |(-6000)"},
    {"shading --black @/missing.tif", 1,
     "--black @/missing.tif: the black reference cannot be read: No such file"},
    {"shading --gray @/lut.tif", 1, "--gray @/lut.tif: the gray reference is not a TIFF image|(-2076)"},
    {"shading", 2, "shading needs a reference: --black (offsets), --gray (gains) or both"},
    {"shading --black @/gray/frame_0001.png --gray @/gray/../gray/frame_0001.png", 2, "are the same file"},
    {"shading --gray @/gray/frame_0001.png --value 3", 2, "--value is the normalization of --mode custom"},
    {"shading --gray @/gray/frame_0001.png --threshold 3", 2, "give --dead-pixels too"},
    {"shading --gray @/gray/frame_0001.png --dead-pixels", 2, "give --black and --gray"},
    {"shading --black @/black/frame_0001.png --mode mean", 0, "warning: --mode sets the gain target"},
    {"shading --gray @/small.tif", 0, "warning: the gray reference is 32 x 32 but the window is 1024 x 1024"},
    {"grab -o @/black16 -n 1 --scene lens-cap --set FG_FORMAT=FG_GRAY16 --simulated-clock", 0, "16-bit"},
    {"grab -o @/gray16 -n 1 --scene flat-field --set FG_FORMAT=FG_GRAY16 --simulated-clock", 0, "16-bit"},
    {"shading --black @/black16/frame_0001.tif --gray @/gray16/frame_0001.tif --dead-pixels", 1,
     "with threshold 4095 would mark|the applet compares the threshold with the 16-bit samples (0 .. 65535)"},
    {"xml -o @/k.xml", 0, ""},
    {"xml -o @/full.xml", 1, "@/full.xml: No space left on device"},
    {"xml -o @/dangling.xml", 1, "a symbolic link to /nonexistent/x.xml, which does not exist"},
    {"save @/full.scf", 1, "No space left on device"},
    {"lut --save @/full.lut", 1, "No space left on device"},
};

class KestrelCli : public kestrel::test::ScratchDirTest {
protected:
    std::string expand(const std::string& text) const {
        return std::regex_replace(text, std::regex("@/"), path(""));
    }
    // The fresh configuration with the values of some keys replaced.
    void writeConfig(const std::string& name,
                     const std::vector<std::pair<std::string, std::string>>& values) {
        std::string text = readFile(path("fresh.scf"));
        for (const auto& [key, value] : values) {
            const auto at = text.find("\n" + key + "=") + key.size() + 2;
            text.replace(at, text.find(';', at) - at, value);
        }
        writeFile(name, text);
    }
};

TEST_F(KestrelCli, EachCommandAndOptionExitsWithItsCodeAndSaysWhatItDidOrRefused) {
    ASSERT_EQ(kestrel("save " + path("fresh.scf")).exitCode, 0);
    writeConfig("named.scf", {{"FG_FORMAT", "FG_GRAY16"}});
    writeConfig("purple.scf", {{"FG_FORMAT", "FG_PURPLE"}});
    writeConfig("refused.scf", {{"FG_WIDTH", "333"}, {"FG_LUT_CUSTOM_FILE", "'no-such.lut'"}});
    const std::vector<uint8_t> small(32 * 32, 100);
    ASSERT_EQ(ImageFile_Write(path("small.tif").c_str(), small.data(), 32, 32, 8, 1), 0);
    writeFile("empty.lut", "");
    writeFile("short.lut", "# Lut data file v1.1\n\n\n\n[gray]\n\nnrOfElements=3;\n0,7;\n1,8;\n2,9;\n");
    writeFile("lut.tif", "not an image");
    for (const char* full : {"full.xml", "full.scf", "full.lut"})
        std::filesystem::create_symlink("/dev/full", path(full));
    std::filesystem::create_symlink("/nonexistent/x.xml", path("dangling.xml"));
    const std::string named = readFile(path("named.scf"));

    for (const Row& row : kRows) {
        const ToolRun run = kestrel(expand(row.arguments));
        EXPECT_EQ(run.exitCode, row.exitCode) << row.arguments << "\n" << run.output;
        std::stringstream parts(expand(row.parts));
        for (std::string part; std::getline(parts, part, '|');)
            EXPECT_TRUE(contains(run.output, part)) << row.arguments << ": no '" << part << "' in\n"
                                                    << run.output;
        EXPECT_FALSE(contains(run.output, "\r"))
            << row.arguments << ": a progress bar, but not on a terminal";
        if (row.exitCode == 1) {
            EXPECT_FALSE(contains(run.output, "saved") || contains(run.output, "loaded")) << row.arguments;
        }
    }
    EXPECT_EQ(readFile(path("copy.scf")), readFile(path("line.scf")));
    EXPECT_EQ(readFile(path("named.scf")), named) << "a reading command rewrote the user's file";
    EXPECT_FALSE(exists("none")) << "a refused grab made its folder";
}

// A TIFF header that promises 100000 x 100000 pixels over a few bytes.
std::string enormousTiff() {
    std::string tiff("II*\0\x08\0\0\0", 8);
    const auto add16 = [&](uint32_t v) { tiff += char(v & 0xff), tiff += char(v >> 8); };
    const auto add32 = [&](uint32_t v) { add16(v & 0xffff), add16(v >> 16); };
    const uint32_t tags[][3] = {{256, 4, 100000}, {257, 4, 100000}, {258, 3, 8},      {259, 3, 1},
                                {262, 3, 1},      {273, 4, 110},    {278, 4, 100000}, {279, 4, 0xffffffff}};
    add16(8);
    for (const auto& [tag, type, value] : tags)
        add16(tag), add16(type), add32(1), add32(value);
    add32(0);
    return tiff + std::string(16, '\x7f');
}

// Every file the tool reads, damaged each way a disk or a user damages one: a message naming the
// file, exit 1, and the folder and the --config file as they were.
TEST_F(KestrelCli, HostileInputFilesAreNamedAndChangeNothing) {
    ASSERT_EQ(kestrel("--config " + path("keep.scf") + " set FG_WIDTH=512").exitCode, 0);
    ASSERT_EQ(kestrel("lut --save " + path("good.lut")).exitCode, 0);
    const std::vector<uint8_t> pixels(512 * 1024, 100);
    ASSERT_EQ(ImageFile_Write(path("good.tif").c_str(), pixels.data(), 512, 1024, 8, 1), 0);
    // The applet reads the inspect.conf beside the library it was loaded as.
    const std::filesystem::path applet(KESTREL_APPLET_LIBRARY);
    std::filesystem::create_directory(path("applet"));
    std::filesystem::create_symlink(applet, path("applet") + "/" + applet.filename().string());
    const std::string inApplet = "KESTREL_APPLET_PATH=" + path("applet");
    const struct {
        const char* command; // @F is the damaged file
        const char* name;
        std::string whole;
        std::string enormous;
        int exitCode;
        const char* says; // a piece of what the command prints; @F is the damaged file
        std::string environment = "";
    } kinds[] = {
        {"load @F", "in.scf", readFile(path("keep.scf")), std::string(3 << 20, 'A'), 1, "@F"},
        {"lut --load @F", "in.lut", readFile(path("good.lut")), "[gray]\nnrOfElements=4000000000\n0,0\n", 1,
         "@F"},
        {"grab -n 1 --simulated-clock -o @/out --images @F", "camera.tif", readFile(path("good.tif")),
         enormousTiff(), 1, "@F"},
        {"shading --gray @F", "gray.tif", readFile(path("good.tif")), enormousTiff(), 1, "@F"},
        // A damaged inspect.conf is ignored, as the applet's contract gives it: no error, no setting.
        {"get FG_WIDTH", "applet/inspect.conf", "[" + applet.stem().string() + "]\nFG_WIDTH = yes\n",
         "[s]\nk=" + std::string(3 << 20, 'A') + "\n", 0, "FG_WIDTH = 512\n", inApplet},
    };
    std::string garbage(4096, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 2654435761u) >> 13);
    const std::string kept = readFile(path("keep.scf"));
    for (const auto& kind : kinds) {
        const struct {
            const char* damage;
            std::function<void(const std::string&)> make;
        } damages[] = {
            {"empty", [&](const std::string& f) { writeFile(f, ""); }},
            {"truncated",
             [&](const std::string& f) { writeFile(f, kind.whole.substr(0, kind.whole.size() / 2)); }},
            {"a directory", [&](const std::string& f) { std::filesystem::create_directory(path(f)); }},
            {"a symlink loop",
             [&](const std::string& f) {
                 std::filesystem::create_symlink(std::filesystem::path(f).filename(), path(f));
             }},
            {"binary garbage", [&](const std::string& f) { writeFile(f, garbage); }},
            {"enormous", [&](const std::string& f) { writeFile(f, kind.enormous); }},
        };
        for (const auto& damage : damages) {
            std::filesystem::remove_all(path(kind.name));
            damage.make(kind.name);
            const auto listing = [&] {
                std::vector<std::string> names;
                for (const auto& entry : std::filesystem::recursive_directory_iterator(path("")))
                    names.push_back(entry.path().string());
                std::sort(names.begin(), names.end());
                return names;
            };
            const std::vector<std::string> before = listing();
            const auto named = [&](const char* text) {
                return std::regex_replace(expand(text), std::regex("@F"), path(kind.name));
            };
            const ToolRun run =
                kestrel(kind.environment, "--config " + path("keep.scf") + " " + named(kind.command));
            const std::string what = std::string(kind.command) + " with " + damage.damage + " " + kind.name;
            EXPECT_EQ(run.exitCode, kind.exitCode) << what << "\n" << run.output;
            EXPECT_TRUE(contains(run.output, named(kind.says))) << what << ": no " << kind.says << "\n"
                                                                << run.output;
            EXPECT_EQ(listing(), before) << what;
            EXPECT_TRUE(readFile(path("keep.scf")) == kept) << what << ": the --config file changed";
            writeFile("keep.scf", kept);
        }
    }
}

// Two commands changing one --config file at the same moment keep both changes.
TEST_F(KestrelCli, ConcurrentSetsOfOneConfigurationKeepBoth) {
    const std::string set = std::string(KESTREL_TOOL_PATH) + " --config " + path("same.scf") + " set ";
    for (int run = 1; run <= 3; ++run) {
        const std::string width = std::to_string(256 + 16 * run), height = std::to_string(64 + run);
        ASSERT_EQ(std::system((set + "FG_WIDTH=" + width + " >/dev/null 2>&1 & " + set +
                               "FG_HEIGHT=" + height + " >/dev/null 2>&1; wait")
                                  .c_str()),
                  0);
        const ToolRun run_ = kestrel("--config " + path("same.scf") + " get FG_WIDTH FG_HEIGHT");
        EXPECT_EQ(run_.output, "FG_WIDTH = " + width + "\nFG_HEIGHT = " + height + "\n") << "run " << run;
    }
}

// Every option of every command is in the manual page.
TEST(KestrelManual, NamesEveryOptionOfEveryCommand) {
    std::ifstream in(KESTREL_MANUAL_PATH);
    const std::string manual((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* command : {"", "boards", "events", "get", "grab", "info", "load", "lut", "params",
                                "save", "serve", "set", "shading", "trigger", "xml"}) {
        const ToolRun help = kestrel(std::string(command) + " --help");
        const std::regex option("--[a-z][a-z-]*");
        for (auto at = std::sregex_iterator(help.output.begin(), help.output.end(), option);
             at != std::sregex_iterator(); ++at) {
            const std::string name = std::regex_replace(at->str(), std::regex("-"), "\\-");
            EXPECT_TRUE(at->str() == "--help" || contains(manual, "\\fB" + name) ||
                        contains(manual, ".BI " + name) || contains(manual, ".B " + name) ||
                        contains(manual, ".BR " + name) || contains(manual, " " + name + " "))
                << "kestrel " << command << " " << at->str() << " is not in kestrel.1";
        }
    }
}

// PNG frames are read back by the shading rows above; the TIFF writer keeps 16-bit samples whole.
TEST_F(KestrelCli, GrabWritesTheSimulatorPatternAsSixteenBitTiff) {
    ASSERT_EQ(kestrel("grab -n 2 -o " + path("tiff") +
                      " --simulated-clock --set FG_GEN_ENABLE=1 --set FG_WIDTH=256 --set FG_HEIGHT=64 "
                      "--set FG_GEN_ROLL=16 --set FG_FORMAT=FG_GRAY16 --set FG_BITALIGNMENT=FG_RIGHT_ALIGNED")
                  .exitCode,
              0);
    void* samples = nullptr;
    int32_t width = 0, height = 0, bits = 0, perPixel = 0;
    ASSERT_NE(
        ImageFile_Read(path("tiff/frame_0002.tif").c_str(), &samples, &width, &height, &bits, &perPixel), 0);
    EXPECT_TRUE(width == 256 && height == 64 && bits == 16);
    for (int32_t i = 0; i < width * height; ++i)
        ASSERT_EQ(static_cast<const uint16_t*>(samples)[i], i % 256 + i / 256 + 16) << "pixel " << i;
    ImageFile_Release(samples);
}

TEST_F(KestrelCli, InterruptFinishesTheFramesOnTheirWayAndSaysSo) {
    ToolRun run = kestrel("timeout --preserve-status -s INT 2",
                          "grab -n 1000 --set FG_WIDTH=512 --set FG_HEIGHT=512 -o " + path("frames"));
    EXPECT_EQ(run.exitCode, 130) << run.output;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(run.output, match, std::regex("Grab interrupted after (\\d+) frames")))
        << run.output;
    int frames = 0, others = 0;
    for (const auto& entry : std::filesystem::directory_iterator(path("frames")))
        ++(entry.path().extension() == ".tif" ? frames : others);
    EXPECT_EQ(frames, std::stoi(match[1])) << run.output;
    EXPECT_EQ(others, 0) << "partial files left";

    run = kestrel("timeout --preserve-status -s INT 1", "events --watch");
    EXPECT_EQ(run.exitCode, 130) << run.output;
    EXPECT_TRUE(contains(run.output, ", interrupted")) << run.output;
}

// Signals at chosen moments of commands that make temporary files: each stops cleanly, and a
// second one stops at once; afterwards no .part file, temporary copy or hidden configuration is
// left in the folders or the temporary directory.
TEST_F(KestrelCli, NoStopAtAnyMomentLeavesAPartFileATemporaryCopyOrAHiddenConfiguration) {
    std::filesystem::create_directory(path("tmp"));
    ASSERT_EQ(kestrel("grab -o " + path("ref") + " -n 1 --scene flat-field --format png --simulated-clock")
                  .exitCode,
              0);
    const auto stop = [&](const std::string& arguments, const std::string& signal, const char* seconds,
                          bool twice) {
        std::string script = "TMPDIR=" + path("tmp") + " " KESTREL_TOOL_PATH " " + arguments +
                             " >/dev/null 2>&1 & p=$!; sleep " + seconds + "; kill -" + signal + " $p; ";
        if (twice)
            script += "sleep 0.4; kill -" + signal + " $p 2>/dev/null; ";
        const int status = std::system(("sh -c '" + script + "wait $p'").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string grab =
        "grab -n 1000 --format png --set FG_WIDTH=512 --set FG_HEIGHT=512 --replace -o " + path("frames");
    const struct {
        std::string arguments, signal;
        const char* seconds;
        bool twice;
        int exitCode;
    } rows[] = {
        {grab, "INT", "0.3", false, 130},
        {grab, "TERM", "0.01", false, 143},
        {grab, "HUP", "0.3", false, 129},
        {grab, "PIPE", "0.3", false, 141},
        // Finishing 16-bit PNG frames of the full sensor takes seconds: the second signal cuts it short.
        {"grab -n 40 --format png --buffers 8 --simulated-clock --set FG_WIDTH=4096 --set FG_HEIGHT=4096 "
         "--set FG_FORMAT=FG_GRAY16 -o " +
             path("big"),
         "INT", "1.5", true, 130},
        {"--config " + path("c.scf") + " set FG_WIDTH=512", "TERM", "0.02", false, -2},
        {"lut --save " + path("saved.lut"), "INT", "0.05", true, -2},
        {"shading --gray " + path("ref/frame_0001.png"), "HUP", "0.1", true, -2},
    };
    for (const auto& row : rows) {
        const int exitCode = stop(row.arguments, row.signal, row.seconds, row.twice);
        if (row.exitCode != -2) {
            EXPECT_EQ(exitCode, row.exitCode) << row.signal << ": " << row.arguments;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path(""))) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name.size() > 5 && name.substr(name.size() - 5) == ".part") << entry.path();
            EXPECT_NE(name.rfind(".kestrel-", 0), 0u) << entry.path();
            EXPECT_FALSE(entry.path().parent_path() == path("tmp") && !entry.is_directory()) << entry.path();
        }
    }
}

TEST_F(KestrelCli, AFullStandardOutputIsAFailureThatSaysSo) {
    const int status = std::system((KESTREL_TOOL_PATH " get FG_WIDTH >/dev/full 2>" + path("err")).c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(readFile(path("err")), "kestrel: standard output: No space left on device\n");
}

} // namespace
