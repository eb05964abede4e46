// kestrel grab as a user runs it: frames written as PNG or TIFF, the summary lines, refusals.
#include "regiort.h"

#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int exitCode = -1;
    std::string output;
};

ToolRun kestrel(const std::string& arguments) {
    ToolRun run;
    const std::string command = std::string(KESTREL_TOOL_PATH) + " " + arguments + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return run;
    std::array<char, 4096> chunk{};
    size_t n = 0;
    while ((n = fread(chunk.data(), 1, chunk.size(), pipe.get())) > 0)
        run.output.append(chunk.data(), n);
    const int status = pclose(pipe.release());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    int bits = 0;
    std::vector<uint16_t> pixels;
};

Image readPng(const fs::path& path) {
    Image image;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return image;
    image.width = png.width;
    image.height = png.height;
    image.bits = (png.format & PNG_FORMAT_FLAG_LINEAR) != 0 ? 16 : 8;
    png.format = PNG_FORMAT_GRAY;
    std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr))
        return Image{};
    image.pixels.assign(bytes.begin(), bytes.end());
    return image;
}

class GrabTool : public ::testing::Test {
protected:
    void SetUp() override {
        directory =
            fs::temp_directory_path() / ("kestrel_grab_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory);
    }
    void TearDown() override { fs::remove_all(directory); }
    fs::path directory;
};

constexpr const char* kSimulator =
    " --simulated-clock --set FG_GEN_ENABLE=1 --set FG_WIDTH=256 --set FG_HEIGHT=64 ";

TEST_F(GrabTool, WritesEightBitPngFramesOfTheSimulatorPattern) {
    const ToolRun run =
        kestrel("grab -n 3 --format png -o " + directory.string() + kSimulator + "--set FG_GEN_ROLL=16");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Frames received: 3"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Frames lost: 0"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("frames/s"), std::string::npos) << run.output;
    for (uint32_t n = 0; n < 3; ++n) {
        const Image image = readPng(directory / ("frame_000" + std::to_string(n + 1) + ".png"));
        ASSERT_EQ(image.width, 256u);
        ASSERT_EQ(image.height, 64u);
        EXPECT_EQ(image.bits, 8);
        size_t wrong = 0;
        for (uint32_t y = 0; y < image.height; ++y)
            for (uint32_t x = 0; x < image.width; ++x)
                wrong += image.pixels[y * image.width + x] != ((x + y + n * 16) % 4096) >> 4;
        EXPECT_EQ(wrong, 0u) << "frame " << n;
    }
}

TEST_F(GrabTool, WritesSixteenBitTiffFrames) {
    const ToolRun run = kestrel("grab -n 2 --format tiff -o " + directory.string() + kSimulator +
                                "--set FG_FORMAT=FG_GRAY16 --set FG_BITALIGNMENT=FG_RIGHT_ALIGNED");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    void* samples = nullptr;
    int32_t width = 0, height = 0, bits = 0, perPixel = 0;
    ASSERT_NE(
        ImageFile_Read((directory / "frame_0002.tif").c_str(), &samples, &width, &height, &bits, &perPixel),
        0);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 64);
    EXPECT_EQ(bits, 16);
    const auto* pixels = static_cast<const uint16_t*>(samples);
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[size_t(63) * 256 + 255], 63 + 255);
    ImageFile_Release(samples);
}

TEST_F(GrabTool, RefusesAnUnknownFormatAndAnUnknownParameter) {
    ToolRun run = kestrel("grab -n 1 --format bmp -o " + directory.string());
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.output.find("png or tiff"), std::string::npos) << run.output;
    run = kestrel("grab -n 1 --set FG_NO_SUCH_THING=1 -o " + directory.string());
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.output.find("FG_NO_SUCH_THING"), std::string::npos) << run.output;
}

} // namespace
