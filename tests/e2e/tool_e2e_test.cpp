// The kestrel tool's grab, lut, shading and xml commands as a user runs them: frames on disk with
// the pixels the simulator predicts, and what the tool refuses, named, with a failure exit.
#include <gtest/gtest.h>

#include "regiort.h"
#include "scratch_dir.h"
#include "tool_run.h"

#include <png.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using tool_test::contains;
using tool_test::kestrel;
using tool_test::ToolRun;

constexpr const char* kSimulator =
    " --simulated-clock --set FG_GEN_ENABLE=1 --set FG_WIDTH=256 --set FG_HEIGHT=64 ";

class ToolE2e : public kestrel::test::ScratchDirTest {
protected:
    // "@" in a row stands for the scratch directory.
    std::string expand(std::string text) const {
        const std::string dir = path("");
        for (auto at = text.find('@'); at != std::string::npos; at = text.find('@'))
            text.replace(at, 1, dir.substr(0, dir.size() - 1));
        return text;
    }
    void writeTiff(const std::string& name, std::vector<uint8_t> samples, uint32_t side) {
        ASSERT_EQ(ImageFile_Write(path(name).c_str(), samples.data(), int32_t(side), int32_t(side), 8, 1), 0);
    }
};

TEST_F(ToolE2e, GrabWritesEightBitPngFramesOfTheSimulatorPattern) {
    const ToolRun run =
        kestrel("grab -n 3 --format png -o " + path("frames") + kSimulator + "--set FG_GEN_ROLL=16");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "Frames received: 3")) << run.output;
    EXPECT_TRUE(contains(run.output, "Frames lost: 0")) << run.output;
    for (uint32_t n = 0; n < 3; ++n) {
        png_image png{};
        png.version = PNG_IMAGE_VERSION;
        const std::string file = path("frames/frame_000" + std::to_string(n + 1) + ".png");
        ASSERT_TRUE(png_image_begin_read_from_file(&png, file.c_str())) << file;
        ASSERT_EQ(png.width, 256u);
        ASSERT_EQ(png.height, 64u);
        EXPECT_EQ(png.format & PNG_FORMAT_FLAG_LINEAR, 0u) << "8 bits";
        png.format = PNG_FORMAT_GRAY;
        std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
        ASSERT_TRUE(png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr));
        size_t wrong = 0;
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 256; ++x)
                wrong += pixels[y * 256 + x] != ((x + y + n * 16) % 4096) >> 4;
        EXPECT_EQ(wrong, 0u) << "frame " << n;
    }
}

TEST_F(ToolE2e, GrabWritesSixteenBitTiffFramesUnshifted) {
    const ToolRun run = kestrel("grab -n 2 --format tiff -o " + path("frames") + kSimulator +
                                "--set FG_FORMAT=FG_GRAY16 --set FG_BITALIGNMENT=FG_RIGHT_ALIGNED");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    void* samples = nullptr;
    int32_t width = 0, height = 0, bits = 0, perPixel = 0;
    ASSERT_NE(
        ImageFile_Read(path("frames/frame_0002.tif").c_str(), &samples, &width, &height, &bits, &perPixel),
        0);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 64);
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(static_cast<const uint16_t*>(samples)[63 * 256 + 255], 63 + 255);
    ImageFile_Release(samples);
}

TEST_F(ToolE2e, LutSavesAnInvertedTableAndLoadsItBack) {
    const std::string file = path("inverted.lut");
    ToolRun run = kestrel("lut --invert --save " + file);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "saved " + file + "\n");
    run = kestrel("lut --show --load " + file);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "   0: 4095 4094")) << run.output.substr(0, 200);
}

struct ToolRow {
    std::string arguments;
    int exitCode; // 0, or any failure
    std::vector<std::string> said;
};

TEST_F(ToolE2e, CommandsExitWithTheirCodeAndSayWhatTheyDidOrRefused) {
    std::vector<uint8_t> black(16 * 16, 10), gray(16 * 16, 200);
    black[17] = 250; // one hot pixel
    gray[40] = 5;    // one dead pixel
    writeTiff("black.tif", black, 16);
    writeTiff("gray.tif", gray, 16);
    writeTiff("small.tif", std::vector<uint8_t>(32 * 32, 100), 32);
    writeFile("empty.lut", "");
    writeFile("garbage.lut", "not a table\n");
    ASSERT_EQ(kestrel("save " + path("refused.scf")).exitCode, 0);
    std::string configuration = readFile(path("refused.scf"));
    for (const std::string key : {"FG_WIDTH=", "FG_LUT_CUSTOM_FILE="}) {
        const auto at = configuration.find("\n" + key) + 1 + key.size();
        configuration.replace(at, configuration.find(';', at) - at,
                              key == "FG_WIDTH=" ? "333" : "'no-such.lut'");
    }
    writeFile("refused.scf", configuration);
    for (const char* full : {"full.xml", "full.scf", "full.lut"})
        std::filesystem::create_symlink("/dev/full", path(full));
    const std::vector<ToolRow> rows = {
        {"lut", 0, {"   0:    0    1    2", "4080: 4080 4081"}},
        // trunc(sqrt(1024 / 4095) x 4095 + 0.5) = 2048
        {"lut --gamma 2", 0, {"   0:    0   64   90", "\n1024: 2048 "}},
        {"shading --gray @/gray.tif --mode max-range",
         0,
         {"shading: reading references, computing and uploading coefficients ... done",
          "FG_SHADING_GAIN_NORMALIZATION_VALUE = 4095"}},
        {"shading --dead-pixels --black @/black.tif --gray @/gray.tif",
         0,
         {"dead pixels: 2 of 256 marked (threshold 127)"}},
        {"xml -o @/k.xml", 0, {}},
        {"grab -n -1 -o @/frames", 1, {"--frames", "-1", "1 to 1000000000"}},
        {"grab --timeout 0 -o @/frames", 1, {"--timeout", "1 to 86400"}},
        {"grab -n 1 --format bmp -o @/frames", 1, {"png or tiff"}},
        {"grab -n 1 --set FG_NO_SUCH_THING=1 -o @/frames", 1, {"FG_NO_SUCH_THING"}},
        {"grab -n 1 --simulated-clock -o @/frames --images @/small.tif",
         1,
         {"is 32 x 32 but the frames are 1024 x 1024"}},
        {"grab -n 1 -o @/frames --load @/refused.scf",
         1,
         {"FG_WIDTH=333 refused: ", "(-7080); allowed [16 .. 4096] step 16",
          "FG_LUT_CUSTOM_FILE: no-such.lut", "relative names are taken from the current directory"}},
        {"trigger --software 0", 1, {"--software", "1 to 1000000"}},
        {"trigger --software 2 FG_AREATRIGGERMODE=ATM_GENERATOR",
         1,
         {"pulse 1: refused", "(-2140)", "0 pulses sent, 2 refused, 0 frames"}},
        {"lut --load @/empty.lut", 1, {"@/empty.lut", "no [gray] section", "(-5001)"}},
        {"lut --load @/garbage.lut", 1, {"@/garbage.lut", "(-5001)"}},
        {"lut --load @/missing.lut", 1, {"(-2076)"}},
        {"lut --load @", 1, {"Is a directory", "(-2076)"}},
        {"lut --gain 5000", 1, {"kestrel: FG_PROCESSING_GAIN: ", "(-6000)", "[0 .. 4096]"}},
        {"shading --mode custom --value 5000",
         1,
         {"kestrel: FG_SHADING_GAIN_NORMALIZATION_VALUE: ", "(-6000)"}},
        {"shading --black @/missing.tif", 1, {"failed", "FG_SHADING_APPLY_SETTINGS: ", "(-2076)"}},
        {"xml -o @/full.xml", 1, {"@/full.xml", "No space left on device"}},
        {"save @/full.scf", 1, {"No space left on device"}},
        {"lut --save @/full.lut", 1, {"No space left on device"}},
    };
    for (const ToolRow& row : rows) {
        const ToolRun run = kestrel(expand(row.arguments));
        EXPECT_EQ(run.exitCode == 0, row.exitCode == 0) << row.arguments << "\n" << run.output;
        for (const std::string& part : row.said)
            EXPECT_TRUE(contains(run.output, expand(part))) << row.arguments << ": no '" << part << "' in\n"
                                                            << run.output;
        if (row.exitCode != 0) {
            EXPECT_FALSE(contains(run.output, "saved") || contains(run.output, "loaded")) << row.arguments;
        }
    }
    EXPECT_FALSE(exists("frames/frame_0001.tif") || exists("frames/frame_0001.png")) << "nothing grabbed";
}

} // namespace
