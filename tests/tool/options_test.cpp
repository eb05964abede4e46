// The options of grab, trigger and shading as a user meets them: each option once, and Ctrl-C in
// the middle of a grab leaving only whole frames behind.
#include <gtest/gtest.h>

#include "scratch_dir.h"
#include "tool_run.h"

#include <filesystem>
#include <regex>
#include <string>

namespace {

using tool_test::contains;
using tool_test::kestrel;
using tool_test::ToolRun;

class KestrelOptions : public kestrel::test::ScratchDirTest {
protected:
    // Frame files in the output folder; anything else there is counted in *others.
    int frameFiles(const std::string& extension, int* others) const {
        int frames = 0;
        *others = 0;
        for (const auto& entry : std::filesystem::directory_iterator(path("frames")))
            (entry.path().extension() == extension ? frames : *others) += 1;
        return frames;
    }
};

struct OptionCase {
    const char* arguments;
    int exitCode;
    const char* part;
};

// Usage errors name the option and its allowed values; the defaults write TIFF frames. "@/" is the
// test's own folder.
const OptionCase kOptionCases[] = {
    {"grab -o @/frames -n 2 --buffers 2 --simulated-clock --quiet", 0,
     "Written to @/frames (2 frames, 1024 x 1024, 8-bit tiff)"},
    {"grab -n 1 --buffers 1", 2, "--buffers: Value 1 not in range 2 to 1024"},
    {"grab -o @/frames -n 1 --scene lens-cap --stats --simulated-clock", 0, "frame 1: min 0 mean 0."},
    {"grab -o @/frames -n 1 --scene flat-field --stats --simulated-clock", 0, "mean 198.6 max 255 sd 16.9"},
    {"grab -n 1 --scene dark", 2, "--scene: dark not in {default,lens-cap,flat-field}"},
    {"grab -n 1 --scene lens-cap --images a.png", 2, "--images excludes --scene"},
    {"grab -o @/frames -n 1 --scene lens-cap --set FG_GEN_ENABLE=1", 1,
     "--scene lens-cap: the camera simulator is on"},
    {"grab -o @/frames -n 2 --software-trigger 5", 0, "Software pulses: "},
    {"grab -n 1 --software-trigger 0", 2, "--software-trigger: Value 0 not in range 0.1"},
    {"trigger --software 2 -o @/frames --format png", 0,
     "Written to @/frames (2 frames, 1024 x 1024, 8-bit png)"},
    {"trigger -o @/frames", 2, "-o saves the frames of --software N pulses"},
    // The flat-field journey: PNG references, kept beside the configuration as TIFF copies; the
    // corrected flat field is flat.
    {"grab -o @/black -n 1 --scene lens-cap --format png --simulated-clock", 0, "8-bit png"},
    {"grab -o @/gray -n 1 --scene flat-field --format png --simulated-clock", 0, "8-bit png"},
    {"--config @/ff.scf shading --black @/black/frame_0001.png --gray @/gray/frame_0001.png --dead-pixels", 0,
     "gain: minimum 1.000, mean 1.177, maximum 1.638 (1048564 pixels, those marked defective left out)\n"
     "dead pixels: 12 of 1048576 marked (threshold 127)\n"},
    {"--config @/ff.scf get FG_SHADING_GRAY_FILENAME", 0, "FG_SHADING_GRAY_FILENAME = \"@/ff-gray.tif\"\n"},
    {"--config @/ff.scf grab -o @/flat -n 1 --scene flat-field --stats --simulated-clock", 0,
     "min 231 mean 231.0 max 231 sd 0.00"},
    {"shading --black @/gray/frame_0001.png --threshold 4096", 2,
     "--threshold: Value 4096 not in range 0 to 4095"},
};

TEST_F(KestrelOptions, EachOptionOnce) {
    for (const OptionCase& c : kOptionCases) {
        const ToolRun run = kestrel(std::regex_replace(c.arguments, std::regex("@/"), path("")));
        const std::string part = std::regex_replace(c.part, std::regex("@/"), path(""));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
        EXPECT_TRUE(contains(run.output, part)) << c.arguments << ": no '" << part << "' in\n" << run.output;
        // Not a terminal: no progress bar redrawn with carriage returns.
        EXPECT_FALSE(contains(run.output, "\r")) << c.arguments;
    }
}

TEST_F(KestrelOptions, InterruptFinishesTheFramesOnTheirWayAndSaysSo) {
    const ToolRun run = kestrel("timeout --preserve-status -s INT 2",
                                "grab -n 1000 --set FG_WIDTH=512 --set FG_HEIGHT=512 -o " + path("frames"));
    EXPECT_EQ(run.exitCode, 130) << run.output;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(run.output, match, std::regex("Grab interrupted after (\\d+) frames")))
        << run.output;
    int others = 0;
    EXPECT_EQ(frameFiles(".tif", &others), std::stoi(match[1])) << run.output;
    EXPECT_EQ(others, 0) << "partial files left";
}

TEST_F(KestrelOptions, InterruptedWatchSaysSoAndExits130) {
    const ToolRun run = kestrel("timeout --preserve-status -s INT 1", "events --watch");
    EXPECT_EQ(run.exitCode, 130) << run.output;
    EXPECT_TRUE(contains(run.output, ", interrupted")) << run.output;
}

} // namespace
