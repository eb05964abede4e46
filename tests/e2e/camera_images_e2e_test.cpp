// Image files shown to the virtual camera, acquired through the applet's exports.
#include "e2e_frames.h"
#include "regiort.h"
#include "scratch_dir.h"

#include <png.h>

#include <filesystem>
#include <vector>

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

class CameraImages : public ScratchDirTest {
protected:
    void SetUp() override {
        ScratchDirTest::SetUp();
        ASSERT_EQ(gh5_clock_select(GH5_CLOCK_SIMULATED), GH5_OK);
        for (uint32_t i = 0; i < sixteen.size(); ++i) { // every bit used somewhere
            sixteen[i] = uint16_t((i % 64) * 1021u + (i / 64) * 2039u + 7u);
            eight[i] = uint8_t(255 - i % 256);
        }
        ASSERT_EQ(ImageFile_Write(path("16.tif").c_str(), sixteen.data(), 64, 32, 16, 1), 0);
        writePng("8.png", eight.data(), PNG_FORMAT_GRAY, 64, 32);
        writePng("16.png", sixteen.data(), PNG_FORMAT_LINEAR_Y, 64, 32);
        grabber.shape(0, 0, 64, 32, kGray16, kRightAligned); // the 12-bit value
    }
    void TearDown() override {
        gh5_clock_select(GH5_CLOCK_REAL);
        ScratchDirTest::TearDown();
    }

    void writePng(const std::string& name, const void* samples, uint32_t format, uint32_t width,
                  uint32_t height) {
        png_image image{nullptr, PNG_IMAGE_VERSION, width, height, format, 0, 0, 0, {}};
        ASSERT_NE(png_image_write_to_file(&image, path(name).c_str(), 0, samples, 0, nullptr), 0);
    }
    int32_t attach(std::vector<std::string> names) {
        std::vector<const char*> paths;
        for (std::string& name : names)
            paths.push_back((name = path(name)).c_str());
        return gh5_camera_attach_images(applet.board(), paths.data(), uint32_t(paths.size()));
    }

    std::vector<uint16_t> sixteen = std::vector<uint16_t>(64 * 32);
    std::vector<uint8_t> eight = std::vector<uint8_t>(64 * 32);
    AppletOnBoard applet;
    FrameGrabber grabber{applet};
};

TEST_F(CameraImages, TheCameraShowsTheFilesInTurnAtItsBitDepth) {
    ASSERT_EQ(attach({"16.tif", "8.png", "16.png"}), GH5_OK);
    for (const auto& [cameraFormat, depth] : {std::pair{212, 12u}, std::pair{208, 8u}}) {
        ASSERT_EQ(applet.set<int32_t>(FG_CAMERA_LINK_CAMTYPE, cameraFormat), 0);
        const auto frames = grabber.grab(4);
        // The camera keeps its top bits and places them at the top of the 12-bit sample.
        const auto camera = [bits = depth](uint16_t full) {
            return uint16_t((full >> (16 - bits)) << (12 - bits));
        };
        for (size_t i = 0; i < sixteen.size(); ++i) {
            ASSERT_EQ(frames[0].samples[i], camera(sixteen[i])) << depth << " bits, pixel " << i;
            ASSERT_EQ(frames[1].samples[i], camera(uint16_t(eight[i] * 257)))
                << depth << " bits, pixel " << i;
        }
        EXPECT_EQ(frames[2], frames[0]) << "a 16-bit PNG reads as the 16-bit TIFF";
        EXPECT_EQ(frames[3], frames[0]) << "and round again";
    }
}

TEST_F(CameraImages, RefusedFilesLeaveTheCameraAsItWasAndNoneBringsTheSceneBack) {
    ASSERT_EQ(attach({"16.tif"}), GH5_OK);
    const auto shown = grabber.grab(1);
    writePng("small.png", eight.data(), PNG_FORMAT_GRAY, 16, 16);
    std::filesystem::copy_file(path("8.png"), path("cut.png"));
    std::filesystem::resize_file(path("cut.png"), std::filesystem::file_size(path("cut.png")) - 20);
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"8.png", "missing.png"}, path("missing.png")},
        {{"8.png", "small.png"}, "but the first image is 64 x 32"},
        {{"cut.png"}, "cut.png"}, // pixel data cut off
    };
    for (const auto& [names, detail] : refused) {
        EXPECT_EQ(attach(names), GH5_ERR_BAD_IMAGE_FILE) << detail;
        EXPECT_NE(std::string(gh5_error_detail()).find(detail), std::string::npos) << gh5_error_detail();
    }
    EXPECT_EQ(grabber.grab(1), shown);
    EXPECT_EQ(gh5_camera_attach_images(applet.board(), nullptr, 0), GH5_OK);
    EXPECT_NE(grabber.grab(1), shown);
    EXPECT_EQ(gh5_camera_attach_images(nullptr, nullptr, 0), GH5_ERR_INVALID_HANDLE);
    EXPECT_EQ(gh5_camera_attach_images(applet.board(), nullptr, 1), GH5_ERR_INVALID_ARGUMENT);
}

} // namespace
} // namespace kestrel::test
