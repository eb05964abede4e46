// Image files shown to the virtual camera, acquired through the applet's exports.
#include "e2e_frames.h"
#include "regiort.h"
#include "scratch_dir.h"

#include <png.h>

#include <filesystem>

#include <string>
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

class CameraImages : public ScratchDirTest {
protected:
    void SetUp() override {
        ScratchDirTest::SetUp();
        ASSERT_EQ(gh5_clock_select(GH5_CLOCK_SIMULATED), GH5_OK);
        tiff_ = path("ramp16.tif");
        png_ = path("ramp8.png");
        ASSERT_EQ(ImageFile_Write(tiff_.c_str(), ramp16().data(), kWidth, kHeight, 16, 1), 0);
        writePng(png_, ramp8(), kWidth, kHeight);
        grabber.window(0, 0, kWidth, kHeight);
        grabber.format(kGray16, kRightAligned); // the 12-bit value
    }
    void TearDown() override {
        gh5_clock_select(GH5_CLOCK_REAL);
        ScratchDirTest::TearDown();
    }

    template <class Sample>
    static void writePng(const std::string& path, const std::vector<Sample>& samples, uint32_t width,
                         uint32_t height) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = width;
        image.height = height;
        image.format = sizeof(Sample) == 2 ? PNG_FORMAT_LINEAR_Y : PNG_FORMAT_GRAY;
        ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, samples.data(), 0, nullptr), 0);
    }

    int32_t attach(const std::vector<std::string>& files) {
        std::vector<const char*> paths;
        for (const std::string& file : files)
            paths.push_back(file.c_str());
        return gh5_camera_attach_images(applet.board(), paths.data(), static_cast<uint32_t>(paths.size()));
    }

    AppletOnBoard applet;
    FrameGrabber grabber{applet};
    std::string tiff_;
    std::string png_;
};

TEST_F(CameraImages, TheCameraShowsTheFilesInTurnAtItsBitDepth) {
    const std::string png16 = path("ramp16.png");
    writePng(png16, ramp16(), kWidth, kHeight);
    ASSERT_EQ(attach({tiff_, png_, png16}), GH5_OK);
    const struct {
        int32_t cameraFormat;
        uint32_t depth;
    } rows[] = {{212, 12}, {208, 8}};
    const std::vector<uint16_t> sixteen = ramp16();
    const std::vector<uint8_t> eight = ramp8();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.depth);
        ASSERT_EQ(applet.set<int32_t>(FG_CAMERA_LINK_CAMTYPE, row.cameraFormat), 0);
        const auto frames = grabber.grab(4);
        // The camera keeps its top bits and places them at the top of the 12-bit sample.
        const auto camera = [&](uint16_t full) {
            return static_cast<uint16_t>((full >> (16 - row.depth)) << (12 - row.depth));
        };
        for (size_t i = 0; i < sixteen.size(); ++i) {
            ASSERT_EQ(frames[0].samples[i], camera(sixteen[i])) << "pixel " << i;
            ASSERT_EQ(frames[1].samples[i], camera(static_cast<uint16_t>(eight[i] * 257))) << "pixel " << i;
        }
        EXPECT_EQ(frames[2], frames[0]) << "a 16-bit PNG reads as the 16-bit TIFF";
        EXPECT_EQ(frames[3], frames[0]) << "and round again";
    }
}

TEST_F(CameraImages, RefusedFilesLeaveTheCameraAsItWasAndNoneBringsTheSceneBack) {
    ASSERT_EQ(attach({tiff_}), GH5_OK);
    const auto shown = grabber.grab(1);

    const std::string missing = path("missing.png");
    EXPECT_EQ(attach({png_, missing}), GH5_ERR_BAD_IMAGE_FILE);
    EXPECT_NE(std::string(gh5_error_detail()).find(missing), std::string::npos);
    const std::string small = path("small.png");
    writePng(small, std::vector<uint8_t>(16 * 16, 9), 16, 16);
    EXPECT_EQ(attach({png_, small}), GH5_ERR_BAD_IMAGE_FILE);
    EXPECT_NE(std::string(gh5_error_detail()).find("but the first image is 64 x 32"), std::string::npos);
    const std::string cut = path("cut.png");
    std::filesystem::copy_file(png_, cut);
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) - 20);
    EXPECT_EQ(attach({cut}), GH5_ERR_BAD_IMAGE_FILE) << "pixel data cut off";
    EXPECT_EQ(grabber.grab(1), shown);

    EXPECT_EQ(gh5_camera_attach_images(applet.board(), nullptr, 0), GH5_OK);
    EXPECT_NE(grabber.grab(1), shown);
    EXPECT_EQ(gh5_camera_attach_images(nullptr, nullptr, 0), GH5_ERR_INVALID_HANDLE);
    EXPECT_EQ(gh5_camera_attach_images(applet.board(), nullptr, 1), GH5_ERR_INVALID_ARGUMENT);
}

} // namespace
} // namespace kestrel::test
