// Configuration files end to end: a board set up through the applet's exports, saved with
// Fg_saveConfig, and a fresh board loaded with Fg_loadConfig deliver the same frames byte for byte.
#include "e2e_frames.h"

#include "regiort.h"

#include <cstring>
#include <optional>
#include <vector>

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

using Frames = std::vector<std::vector<uint8_t>>;

size_t differingBytes(const Frames& a, const Frames& b) {
    size_t differing = 0;
    for (size_t n = 0; n < std::min(a.size(), b.size()); ++n) {
        if (a[n].size() != b[n].size())
            return SIZE_MAX;
        for (size_t i = 0; i < a[n].size(); ++i)
            differing += a[n][i] != b[n][i];
    }
    return a.size() == b.size() ? differing : SIZE_MAX;
}

class Configuration : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        ASSERT_EQ(gh5_clock_select(GH5_CLOCK_SIMULATED), GH5_OK);
        freshBoard();
    }
    void TearDown() override {
        applet.reset();
        gh5_clock_select(GH5_CLOCK_REAL);
    }

    // Frees the grabber and the board, then opens both anew: nothing of the old set-up survives.
    void freshBoard() {
        applet.reset();
        applet.emplace();
        grabber.emplace(*applet);
    }
    void save() { ASSERT_EQ(applet->exports().Fg_saveConfig(applet->fg(), file().c_str()), 0); }
    void load() { ASSERT_EQ(applet->exports().Fg_loadConfig(applet->fg(), file().c_str()), 0); }
    std::string file() const { return folder.file("setup.scf"); }

    // Black and gray references of the whole sensor, acquired from the lens-capped and the evenly
    // lit camera and written as 16-bit left-aligned TIFF; the scene is the synthetic one again after.
    void acquireShadingReferences() {
        grabber->window(0, 0, 1024, 1024);
        grabber->format(kGray16, kLeftAligned);
        ASSERT_EQ(Board_SetCameraScene(applet->boardDevice(), BOARD_SCENE_LENS_CAP, 0), 0);
        const Image black = grabber->grabMean(2);
        ASSERT_EQ(Board_SetCameraScene(applet->boardDevice(), BOARD_SCENE_FLAT_FIELD, 2500), 0);
        const Image gray = grabber->grabMean(2);
        ASSERT_EQ(Board_SetCameraScene(applet->boardDevice(), BOARD_SCENE_SYNTHETIC, 0), 0);
        ASSERT_EQ(ImageFile_Write(folder.file("black.tif").c_str(), black.samples.data(), 1024, 1024, 16, 1),
                  0);
        ASSERT_EQ(ImageFile_Write(folder.file("gray.tif").c_str(), gray.samples.data(), 1024, 1024, 16, 1),
                  0);
        ASSERT_EQ(applet->setText(FG_SHADING_BLACK_FILENAME, folder.file("black.tif").c_str()), 0);
        ASSERT_EQ(applet->setText(FG_SHADING_GRAY_FILENAME, folder.file("gray.tif").c_str()), 0);
    }

    ScratchFolder folder;
    std::optional<AppletOnBoard> applet;
    std::optional<FrameGrabber> grabber;
};

TEST_F(Configuration, CorrectedFilteredSceneComesBackByteForByteOnAFreshBoard) {
    ASSERT_EQ(applet->set<int32_t>(FG_CAMERA_LINK_CAMTYPE, kMediumTwelveBitCamera), 0);
    acquireShadingReferences();
    ASSERT_EQ(applet->set<uint32_t>(FG_SHADING_GAIN_CORRECTION_MODE, 1), 0); // to the mean
    ASSERT_EQ(applet->set<int32_t>(FG_SHADING_APPLY_SETTINGS, 1), 0);
    ASSERT_EQ(applet->set<int32_t>(FG_SHADING_OFFSET_ENABLE, 1), 0);
    ASSERT_EQ(applet->set<int32_t>(FG_SHADING_GAIN_ENABLE, 1), 0);
    ASSERT_EQ(applet->set<int32_t>(FG_NOISEFILTER, 1), 0);
    ASSERT_EQ(applet->set<uint32_t>(FG_IMG_SELECT_PERIOD, 3), 0);
    ASSERT_EQ(applet->set<uint32_t>(FG_IMG_SELECT, 1), 0);
    ASSERT_EQ(applet->set<double>(FG_PROCESSING_GAMMA, 1.6), 0);
    ASSERT_EQ(applet->set<double>(FG_PROCESSING_OFFSET, 0.02), 0);
    ASSERT_EQ(applet->set<double>(FG_PROCESSING_GAIN, 1.1), 0);
    grabber->window(64, 32, 512, 256);
    grabber->format(kGray8, kRightAligned);
    save();
    const Frames saved = grabber->grabBytes(3);

    freshBoard();
    const Frames unconfigured = grabber->grabBytes(3);
    EXPECT_TRUE(unconfigured != saved)
        << "a fresh board must not match by itself, or the test proves nothing";
    load();
    const Frames loaded = grabber->grabBytes(3);
    EXPECT_EQ(differingBytes(loaded, saved), 0u);
}

TEST_F(Configuration, SimulatorSetUpComesBackByteForByteOnAFreshBoard) {
    ASSERT_EQ(applet->set<uint32_t>(FG_GEN_ENABLE, 1), 0);
    ASSERT_EQ(applet->set<uint32_t>(FG_GEN_START, 1), 0);
    ASSERT_EQ(applet->set<uint32_t>(FG_GEN_ROLL, 7), 0);
    ASSERT_EQ(applet->set<int32_t>(FG_GEN_TAP2, 0), 0);
    ASSERT_EQ(applet->set<int32_t>(FG_NOISEFILTER, 1), 0);
    ASSERT_EQ(applet->set<uint32_t>(FG_IMG_SELECT_PERIOD, 2), 0);
    ASSERT_EQ(applet->set<uint32_t>(FG_IMG_SELECT, 1), 0);
    ASSERT_EQ(applet->set<double>(FG_PROCESSING_GAMMA, 0.8), 0);
    ASSERT_EQ(applet->set<int32_t>(FG_PROCESSING_INVERT, 1), 0);
    grabber->window(128, 64, 256, 128);
    grabber->format(kGray16, kLeftAligned);
    save();
    const Frames saved = grabber->grabBytes(4);

    freshBoard();
    EXPECT_TRUE(grabber->grabBytes(4) != saved);
    load();
    EXPECT_EQ(differingBytes(grabber->grabBytes(4), saved), 0u);
}

TEST_F(Configuration, CustomLookupTableFileComesBackOnAFreshBoard) {
    // A table of the processing functions, saved to a LUT file, then the processing back to its
    // identity and the file loaded in custom mode: only the file can bring the curve back.
    ASSERT_EQ(applet->set<double>(FG_PROCESSING_GAMMA, 0.7), 0);
    ASSERT_EQ(applet->set<double>(FG_PROCESSING_OFFSET, -0.1), 0);
    ASSERT_EQ(applet->setText(FG_LUT_SAVE_FILE, folder.file("curve.lut").c_str()), 0);
    ASSERT_EQ(applet->set<double>(FG_PROCESSING_GAMMA, 1.0), 0);
    ASSERT_EQ(applet->set<double>(FG_PROCESSING_OFFSET, 0.0), 0);
    ASSERT_EQ(applet->setText(FG_LUT_CUSTOM_FILE, folder.file("curve.lut").c_str()), 0);
    ASSERT_EQ(applet->set<int32_t>(FG_LUT_TYPE, 0), 0);
    ASSERT_EQ(applet->set<uint32_t>(FG_GEN_ENABLE, 1), 0);
    ASSERT_EQ(applet->set<uint32_t>(FG_GEN_START, 1), 0);
    ASSERT_EQ(applet->set<uint32_t>(FG_GEN_ROLL, 100), 0);
    grabber->window(0, 0, 1024, 64);
    grabber->format(kGray16, kRightAligned);
    save();
    const Frames saved = grabber->grabBytes(3);
    uint16_t ramp1023 = 0; // the ramp's input 1023 at (1023, 0) of the first frame
    std::memcpy(&ramp1023, saved[0].data() + 2 * 1023, 2);
    EXPECT_NE(ramp1023, 1023) << "the curve must not be the identity";

    freshBoard();
    load();
    EXPECT_EQ(applet->get<int32_t>(FG_LUT_TYPE), 0);
    EXPECT_EQ(differingBytes(grabber->grabBytes(3), saved), 0u);
}

// A load stages the dead-pixel enable for the automatic correction, which marks the defects again,
// but leaves the board's replacement switch as its setter last wrote it: on a fresh board, off. The
// application turns it on itself, and then the frames match.
TEST_F(Configuration, DeadPixelReplacementOnAFreshBoardWaitsForItsOwnSetting) {
    ASSERT_EQ(applet->set<int32_t>(FG_CAMERA_LINK_CAMTYPE, kMediumTwelveBitCamera), 0);
    acquireShadingReferences();
    // A black sample above 4095 (12-bit 255) marks a hot pixel; every gray sample of this 16-bit
    // reference lies below 65535 - 4095 as well, so the whole referenced area is marked.
    ASSERT_EQ(applet->set<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD, 4095), 0);
    ASSERT_EQ(applet->set<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, 1), 0);
    ASSERT_EQ(applet->set<int32_t>(FG_SHADING_APPLY_SETTINGS, 1), 0);
    grabber->window(0, 0, 1024, 16);
    grabber->format(kGray16, kRightAligned);
    save();
    const Frames saved = grabber->grabBytes(1);

    freshBoard();
    load();
    EXPECT_EQ(applet->get<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE), 1u);
    EXPECT_EQ(applet->reg("Device1_Process0_NoiseFilter_EnableDeadPixelReplacement_Value"), 0u);
    EXPECT_GT(differingBytes(grabber->grabBytes(1), saved), 0u);
    ASSERT_EQ(applet->set<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, 1), 0);
    EXPECT_EQ(differingBytes(grabber->grabBytes(1), saved), 0u);
}

} // namespace
} // namespace kestrel::test
