// Image files shown to the virtual camera, acquired through the applet's exports.
#include "applet_on_board.h"
#include "params/parameter_ids.h"
#include "regiort.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

constexpr uint32_t kWidth = 64;
constexpr uint32_t kHeight = 32;

// Sixteen-bit samples that use every bit somewhere in the image.
std::vector<uint16_t> ramp16() {
    std::vector<uint16_t> samples(kWidth * kHeight);
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x)
            samples[y * kWidth + x] = static_cast<uint16_t>(x * 1021u + y * 2039u + 7u);
    return samples;
}

std::vector<uint8_t> ramp8() {
    std::vector<uint8_t> samples(kWidth * kHeight);
    for (uint32_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<uint8_t>(255 - i % 256);
    return samples;
}

class CameraImages : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(gh5_clock_select(GH5_CLOCK_SIMULATED), GH5_OK);
        directory_ =
            std::filesystem::temp_directory_path() / ("kestrel_camera_images_" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory_);
        tiff_ = (directory_ / "ramp16.tif").string();
        png_ = (directory_ / "ramp8.png").string();
        ASSERT_EQ(ImageFile_Write(tiff_.c_str(), ramp16().data(), kWidth, kHeight, 16, 1), 0);
        writePng(png_, ramp8(), kWidth, kHeight);
        ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, kWidth), 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_HEIGHT, kHeight), 0);
        ASSERT_EQ(applet.set<int32_t>(FG_FORMAT, 1), 0);       // 16 bit
        ASSERT_EQ(applet.set<int32_t>(FG_BITALIGNMENT, 0), 0); // right aligned: the 12-bit value
    }
    void TearDown() override {
        gh5_clock_select(GH5_CLOCK_REAL);
        std::filesystem::remove_all(directory_);
    }

    static void writePng(const std::string& path, const std::vector<uint8_t>& samples, uint32_t width,
                         uint32_t height) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = width;
        image.height = height;
        image.format = PNG_FORMAT_GRAY;
        ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, samples.data(), 0, nullptr), 0);
    }

    int32_t attach(const std::vector<std::string>& files) {
        std::vector<const char*> paths;
        for (const std::string& file : files)
            paths.push_back(file.c_str());
        return gh5_camera_attach_images(applet.board(), paths.data(), static_cast<uint32_t>(paths.size()));
    }

    // The 12-bit values of `count` acquired pictures.
    std::vector<std::vector<uint16_t>> grab(uint32_t count) {
        const uint64_t bytes = uint64_t{kWidth} * kHeight * 2;
        uint64_t memory = 0;
        EXPECT_EQ(gh5_memory_alloc(applet.fg(), count, bytes, &memory), GH5_OK);
        const auto& x = applet.exports();
        EXPECT_EQ(x.Fg_AcquireEx(applet.fg(), 0, count, GH5_ACQ_STANDARD, memory), 0);
        EXPECT_EQ(x.Fg_getLastPicNumberBlockingEx(applet.fg(), count, 0, kestrel::test::pictureWaitSeconds(),
                                                  memory),
                  int64_t{count});
        std::vector<std::vector<uint16_t>> frames;
        for (uint32_t i = 0; i < count; ++i) {
            std::vector<uint16_t> frame(kWidth * kHeight);
            std::memcpy(frame.data(), gh5_memory_buffer(applet.fg(), memory, i), bytes);
            frames.push_back(std::move(frame));
        }
        EXPECT_EQ(gh5_memory_free(applet.fg(), memory), GH5_OK);
        return frames;
    }

    AppletOnBoard applet;
    std::filesystem::path directory_;
    std::string tiff_;
    std::string png_;
};

TEST_F(CameraImages, TheCameraShowsTheFilesInTurnAtItsBitDepth) {
    ASSERT_EQ(attach({tiff_, png_}), GH5_OK);
    const struct {
        int32_t cameraFormat;
        uint32_t depth;
    } rows[] = {{212, 12}, {208, 8}};
    const std::vector<uint16_t> sixteen = ramp16();
    const std::vector<uint8_t> eight = ramp8();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.depth);
        ASSERT_EQ(applet.set<int32_t>(FG_CAMERA_LINK_CAMTYPE, row.cameraFormat), 0);
        const auto frames = grab(3);
        // The camera keeps its top bits and places them at the top of the 12-bit sample.
        const auto camera = [&](uint16_t full) {
            return static_cast<uint16_t>((full >> (16 - row.depth)) << (12 - row.depth));
        };
        for (size_t i = 0; i < sixteen.size(); ++i) {
            ASSERT_EQ(frames[0][i], camera(sixteen[i])) << "pixel " << i;
            ASSERT_EQ(frames[1][i], camera(static_cast<uint16_t>(eight[i] * 257))) << "pixel " << i;
        }
        EXPECT_EQ(frames[2], frames[0]);
    }
}

TEST_F(CameraImages, RefusedFilesLeaveTheCameraAsItWasAndNoneBringsTheSceneBack) {
    ASSERT_EQ(attach({tiff_}), GH5_OK);
    const auto shown = grab(1);

    const std::string missing = (directory_ / "missing.png").string();
    EXPECT_EQ(attach({png_, missing}), GH5_ERR_BAD_IMAGE_FILE);
    EXPECT_NE(std::string(gh5_error_detail()).find(missing), std::string::npos);
    const std::string small = (directory_ / "small.png").string();
    writePng(small, std::vector<uint8_t>(16 * 16, 9), 16, 16);
    EXPECT_EQ(attach({png_, small}), GH5_ERR_BAD_IMAGE_FILE);
    EXPECT_NE(std::string(gh5_error_detail()).find("but the first image is 64 x 32"), std::string::npos);
    EXPECT_EQ(grab(1), shown);

    EXPECT_EQ(gh5_camera_attach_images(applet.board(), nullptr, 0), GH5_OK);
    EXPECT_NE(grab(1), shown);
    EXPECT_EQ(gh5_camera_attach_images(nullptr, nullptr, 0), GH5_ERR_INVALID_HANDLE);
    EXPECT_EQ(gh5_camera_attach_images(applet.board(), nullptr, 1), GH5_ERR_INVALID_ARGUMENT);
}

} // namespace
} // namespace kestrel::test
