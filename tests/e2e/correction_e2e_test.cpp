// Image correction through the applet's exports, bit-exact: the lookup table's gamma on the
// simulator's ramp, and dead-pixel interpolation of the pixels that black and gray references the
// applet acquired itself mark. (The tool's flat-field run checks the whole shading chain.)
#include "e2e_frames.h"
#include "regiort.h"
#include "scratch_dir.h"

#include <algorithm>
#include <cmath>

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

// The lookup table's processing formula for 12 bits in and out, written out plainly.
uint16_t processed(uint32_t input, double offset, double gain, double gamma, bool invert) {
    const double base = (double(input) / 4095.0 + offset) * gain;
    const double v = base >= 0 ? std::trunc(std::pow(base, 1.0 / gamma) * 4095.0 + 0.5) : 0.0;
    return uint16_t(std::clamp(invert ? 4095.0 - v : v, 0.0, 4095.0));
}

class Correction : public ScratchDirTest {
protected:
    void SetUp() override {
        ScratchDirTest::SetUp();
        ASSERT_EQ(gh5_clock_select(GH5_CLOCK_SIMULATED), GH5_OK);
        ASSERT_EQ(applet.set<int32_t>(FG_CAMERA_LINK_CAMTYPE, 212), 0); // medium, 12 bits
    }
    void TearDown() override {
        gh5_clock_select(GH5_CLOCK_REAL);
        ScratchDirTest::TearDown();
    }

    // The mean of four 8-bit pictures of a scene, also written as a TIFF file.
    Image reference(int32_t content, double level, const char* name) {
        EXPECT_EQ(Board_SetCameraScene(applet.boardDevice(), content, level), 0);
        const std::vector<Image> grabbed = grabber.grab(4);
        Image mean = grabbed[0];
        for (size_t i = 0; i < mean.samples.size(); ++i) {
            uint32_t sum = 0;
            for (const Image& frame : grabbed)
                sum += frame.samples[i];
            mean.samples[i] = uint16_t((sum + 2) / 4);
        }
        const std::vector<uint8_t> bytes(mean.samples.begin(), mean.samples.end());
        EXPECT_EQ(ImageFile_Write(path(name).c_str(), bytes.data(), int32_t(mean.width), int32_t(mean.height),
                                  8, 1),
                  0);
        return mean;
    }
    // Hands the two reference files to the automatic correction and runs it.
    void applyReferences() {
        ASSERT_EQ(applet.setText(FG_SHADING_BLACK_FILENAME, path("black.tif").c_str()), 0);
        ASSERT_EQ(applet.setText(FG_SHADING_GRAY_FILENAME, path("gray.tif").c_str()), 0);
        ASSERT_EQ(applet.set<int32_t>(FG_SHADING_APPLY_SETTINGS, 1), 0);
    }

    AppletOnBoard applet;
    FrameGrabber grabber{applet};
};

TEST_F(Correction, EveryGreyLevelLeavesTheLookupTableAsTheProcessingFormulaSays) {
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ENABLE, 1), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_START, 1), 0);
    // A line of the 4096-pixel wide ramp shows every 12-bit input once.
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_WIDTH, 4096), 0);
    grabber.shape(0, 0, 4096, 2, kGray16, kRightAligned);
    const struct {
        double offset, gain, gamma;
        int32_t invert;
    } rows[] = {{0.0, 1.0, 2.0, 0}, {0.0, 1.0, 0.5, 0}, {-0.05, 1.25, 2.2, 1}};
    for (const auto& row : rows) {
        ASSERT_EQ(applet.set<double>(FG_PROCESSING_OFFSET, row.offset), 0);
        ASSERT_EQ(applet.set<double>(FG_PROCESSING_GAIN, row.gain), 0);
        ASSERT_EQ(applet.set<double>(FG_PROCESSING_GAMMA, row.gamma), 0);
        ASSERT_EQ(applet.set<int32_t>(FG_PROCESSING_INVERT, row.invert), 0);
        const Image frame = grabber.grab(1)[0];
        size_t wrong = 0;
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t x = 0; x < 4096; ++x)
                wrong +=
                    frame.at(x, y) != processed((x + y) % 4096, row.offset, row.gain, row.gamma, row.invert);
        EXPECT_EQ(wrong, 0u) << "gamma " << row.gamma;
    }
}

// The threshold T is compared with the reference samples at the files' own depth: a black sample
// above T, or a gray sample below 2^bits - 1 - T, marks the pixel. With 8-bit references and T = 120,
// the hot pixels (black 255) and the dead ones (gray 0) are marked, while the dark offset (black 0
// or 1) and the darkest corner of a field lit at full scale (gray about 160) are not. A marked pixel
// takes the rounded mean of the nearest unmarked pixels left and right in its line, the one of them
// there is, or 0.
TEST_F(Correction, InterpolationReplacesThePixelsTheReferencesMarkWithTheMeanOfTheirNeighbours) {
    constexpr uint32_t kThreshold = 120, kSide = 1024;
    grabber.shape(0, 0, kSide, kSide, kGray8, kRightAligned);
    const Image black = reference(BOARD_SCENE_LENS_CAP, 0, "black.tif");
    const Image gray = reference(BOARD_SCENE_FLAT_FIELD, 4095.0, "gray.tif");
    const auto marked = [&](int64_t x, uint32_t y) {
        return black.at(uint32_t(x), y) > kThreshold || gray.at(uint32_t(x), y) < 255 - kThreshold;
    };
    ASSERT_EQ(Board_SetCameraScene(applet.boardDevice(), BOARD_SCENE_SYNTHETIC, 0), 0);
    grabber.format(kGray16, kRightAligned);
    const Image raw = grabber.grab(1)[0];
    ASSERT_EQ(applet.set<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD, kThreshold), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, 1), 0);
    applyReferences();
    const Image repaired = grabber.grab(1)[0];
    size_t replaced = 0;
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x) {
            uint16_t expected = raw.at(x, y);
            if (marked(x, y)) {
                ++replaced;
                int64_t left = int64_t{x} - 1, right = int64_t{x} + 1;
                while (left >= 0 && marked(left, y))
                    --left;
                while (right < kSide && marked(right, y))
                    ++right;
                const int hasLeft = left >= 0, hasRight = right < kSide;
                const uint32_t sum =
                    (hasLeft ? raw.at(uint32_t(left), y) : 0) + (hasRight ? raw.at(uint32_t(right), y) : 0);
                expected = uint16_t(hasLeft + hasRight == 2 ? (sum + 1) >> 1 : sum);
                // The defect is gone: a hot pixel no longer sits at full scale, a dead one no longer at 0.
                EXPECT_NE(repaired.at(x, y), raw.at(x, y)) << "pixel (" << x << ", " << y << ")";
            }
            ASSERT_EQ(repaired.at(x, y), expected) << "pixel (" << x << ", " << y << ")";
        }
    EXPECT_EQ(replaced, 12u) << "the camera has six hot and six dead pixels, nothing else looks defective";

    // Off again: the defects are back, the marks stay in the coefficients for the next time.
    ASSERT_EQ(applet.set<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, 0), 0);
    EXPECT_TRUE(grabber.grab(1)[0] == raw);
}

} // namespace
} // namespace kestrel::test
