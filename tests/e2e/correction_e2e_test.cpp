// Image correction through the applet's exports: the lookup table's gamma on the simulator's ramp,
// flat-field correction from black and gray references the applet acquired itself, and dead-pixel
// interpolation of the pixels those references mark.
#include "e2e_frames.h"
#include "scratch_dir.h"

#include "regiort.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

// The lookup table's processing formula for 12 bits in and out, written out plainly.
uint16_t processed(uint32_t input, double offset, double gain, double gamma, bool invert) {
    const double base = (double(input) / 4095.0 + offset) * gain;
    double v = 0;
    if (base >= 0)
        v = std::trunc(std::pow(base, 1.0 / gamma) * 4095.0 + 0.5);
    if (invert)
        v = 4095.0 - v;
    return uint16_t(std::clamp(v, 0.0, 4095.0));
}

// Writes an image as a single-sample TIFF of `bits` (8 or 16) bits per sample.
void writeReference(const std::string& path, const Image& image, int32_t bits) {
    if (bits == 8) {
        std::vector<uint8_t> bytes(image.samples.begin(), image.samples.end());
        ASSERT_EQ(
            ImageFile_Write(path.c_str(), bytes.data(), int32_t(image.width), int32_t(image.height), 8, 1),
            0);
    } else {
        ASSERT_EQ(ImageFile_Write(path.c_str(), image.samples.data(), int32_t(image.width),
                                  int32_t(image.height), 16, 1),
                  0);
    }
}

struct Spread {
    double mean = 0;
    double deviation = 0;
    uint16_t lowest = 0;
    uint16_t highest = 0;
    size_t pixels = 0;
};

// Mean, standard deviation and range of the pixels `use` admits.
template <class Use> Spread spreadOf(const Image& image, Use use) {
    Spread s;
    s.lowest = UINT16_MAX;
    double sum = 0, squares = 0;
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x) {
            if (!use(x, y))
                continue;
            const double v = image.at(x, y);
            sum += v;
            squares += v * v;
            s.lowest = std::min(s.lowest, image.at(x, y));
            s.highest = std::max(s.highest, image.at(x, y));
            ++s.pixels;
        }
    if (s.pixels > 0) {
        s.mean = sum / double(s.pixels);
        s.deviation = std::sqrt(std::max(0.0, squares / double(s.pixels) - s.mean * s.mean));
    }
    return s;
}

Image meanOf(const std::vector<Image>& frames, size_t first, size_t count) {
    Image mean = frames[first];
    for (size_t i = 0; i < mean.samples.size(); ++i) {
        uint64_t sum = 0;
        for (size_t k = first; k < first + count; ++k)
            sum += frames[k].samples[i];
        mean.samples[i] = uint16_t((sum + count / 2) / count);
    }
    return mean;
}

class Correction : public ScratchDirTest {
protected:
    void SetUp() override {
        ScratchDirTest::SetUp();
        ASSERT_EQ(gh5_clock_select(GH5_CLOCK_SIMULATED), GH5_OK);
        ASSERT_EQ(applet.set<int32_t>(FG_CAMERA_LINK_CAMTYPE, kMediumTwelveBitCamera), 0);
    }
    void TearDown() override {
        gh5_clock_select(GH5_CLOCK_REAL);
        ScratchDirTest::TearDown();
    }

    void scene(int32_t content, double level = 0) {
        ASSERT_EQ(Board_SetCameraScene(applet.boardDevice(), content, level), 0);
    }
    // Hands the two reference files to the automatic correction and runs it.
    void applyReferences(const std::string& black, const std::string& gray) {
        ASSERT_EQ(applet.setText(FG_SHADING_BLACK_FILENAME, black.c_str()), 0);
        ASSERT_EQ(applet.setText(FG_SHADING_GRAY_FILENAME, gray.c_str()), 0);
        ASSERT_EQ(applet.set<int32_t>(FG_SHADING_APPLY_SETTINGS, 1), 0);
    }

    AppletOnBoard applet;
    FrameGrabber grabber{applet};
};

// ---- lookup table processing ----

struct GammaRow {
    const char* name;
    double offset, gain, gamma;
    int32_t invert;
};

// By name: gtest would otherwise print the row's bytes, padding included.
void PrintTo(const GammaRow& row, std::ostream* os) {
    *os << row.name;
}

class GammaOnTheRamp : public Correction, public ::testing::WithParamInterface<GammaRow> {};

TEST_P(GammaOnTheRamp, EveryGreyLevelLeavesAsTheProcessingFormulaSays) {
    const GammaRow row = GetParam();
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ENABLE, 1), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_START, 1), 0);
    ASSERT_EQ(applet.set<double>(FG_PROCESSING_OFFSET, row.offset), 0);
    ASSERT_EQ(applet.set<double>(FG_PROCESSING_GAIN, row.gain), 0);
    ASSERT_EQ(applet.set<double>(FG_PROCESSING_GAMMA, row.gamma), 0);
    ASSERT_EQ(applet.set<int32_t>(FG_PROCESSING_INVERT, row.invert), 0);
    // A line of the 4096-pixel wide ramp shows every 12-bit input once.
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_WIDTH, 4096), 0);
    grabber.window(0, 0, 4096, 2);
    grabber.format(kGray16, kRightAligned);
    const Image frame = grabber.grab(1)[0];

    std::vector<int> seen(4096, -1);
    size_t wrong = 0;
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4096; ++x) {
            const uint32_t input = (x + y) % 4096;
            const uint16_t v = frame.at(x, y);
            wrong += v != processed(input, row.offset, row.gain, row.gamma, row.invert != 0);
            seen[input] = v;
        }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), -1), 0) << "not every input level was acquired";
}

INSTANTIATE_TEST_SUITE_P(
    Processing, GammaOnTheRamp,
    ::testing::Values(GammaRow{"SquareRoot", 0.0, 1.0, 2.0, 0}, GammaRow{"Square", 0.0, 1.0, 0.5, 0},
                      GammaRow{"DisplayGammaWithOffsetGainAndInvert", -0.05, 1.25, 2.2, 1}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- flat-field correction ----

// The camera's optics darken the corners by 35 % and every pixel has its own gain (+/-3 %) and dark
// offset (12..28 grey levels), with temporal noise of 4 grey levels. Black and gray references,
// each the mean of eight frames of the lens-capped and the uniformly lit sensor written as 16-bit
// left-aligned TIFF (the automatic correction reads a 16-bit black sample as 1/16 grey level), give
// coefficients that leave only the temporal noise. Pixels the references show as defective (a hot
// black pixel or a dead gray one) come out 0 and are left out of the spread.
TEST_F(Correction, FlatFieldFromAcquiredReferencesFlattensAUniformlyLitScene) {
    grabber.window(0, 0, 1024, 1024);
    grabber.format(kGray16, kLeftAligned);
    scene(BOARD_SCENE_LENS_CAP);
    const Image black = grabber.grabMean(8);
    scene(BOARD_SCENE_FLAT_FIELD, 3000.0);
    const Image gray = grabber.grabMean(8);
    writeReference(path("black.tif"), black, 16);
    writeReference(path("gray.tif"), gray, 16);
    const auto good = [&](uint32_t x, uint32_t y) {
        return black.at(x, y) >> 4 < 200 && gray.at(x, y) >> 4 > 1000;
    };

    // Frames 8 .. 15 carry noise the references never saw.
    grabber.format(kGray16, kRightAligned);
    const auto raw = grabber.grab(16);
    ASSERT_EQ(applet.set<uint32_t>(FG_SHADING_GAIN_CORRECTION_MODE, 0), 0); // to the brightest pixel
    applyReferences(path("black.tif"), path("gray.tif"));
    ASSERT_EQ(applet.set<int32_t>(FG_SHADING_OFFSET_ENABLE, 1), 0);
    ASSERT_EQ(applet.set<int32_t>(FG_SHADING_GAIN_ENABLE, 1), 0);
    const auto corrected = grabber.grab(16);

    const Spread before = spreadOf(raw[8], good);
    const Spread after = spreadOf(corrected[8], good);
    const Spread afterMean = spreadOf(meanOf(corrected, 8, 8), good);
    const double target = applet.get<double>(FG_SHADING_GAIN_NORMALIZATION_VALUE);
    ASSERT_GT(after.pixels, 1024u * 1024u - 20u);

    // Vignetting alone spreads the raw frame over hundreds of grey levels.
    EXPECT_GT(before.deviation, 150.0);
    EXPECT_GT(before.highest - before.lowest, 900);
    // Maximum-value mode scales every pixel to the brightest reference pixel less its black level.
    EXPECT_NEAR(after.mean, target, 3.0);
    // One corrected frame: the temporal noise (4) times the largest gain the corners need (about
    // 1 / (0.65 x 0.97) = 1.6) is 6.4, plus rounding; the range is that noise's tails (+/-5 sigma).
    EXPECT_LT(after.deviation, 7.0);
    EXPECT_LT(after.highest - after.lowest, 80);
    // Eight corrected frames averaged: their noise drops by sqrt(8) to about 1.8. What stays fixed
    // is the references' own noise (their mean of eight frames, 1.4 grey levels, turned into gain
    // errors of 1.4 / (G - B) scaled to the target: 1.4 to 2.3); together about 2.4, so no fixed
    // pattern of the camera (+/-3 % gain, 16 levels of dark offset, 35 % vignetting) survives.
    EXPECT_LT(afterMean.deviation, 3.0);
    EXPECT_LT(afterMean.highest - afterMean.lowest, 40);
    EXPECT_LT(after.deviation * 20, before.deviation);
}

// ---- dead-pixel interpolation ----

// Pixels of a reference the automatic correction marks defective, at sensor coordinates.
struct Marks {
    uint32_t width = 0;
    std::vector<bool> defective;
    bool at(uint32_t x, uint32_t y) const { return defective[size_t{y} * width + x]; }
};

// The replacement of a marked pixel: the rounded mean of the nearest unmarked pixels to its left
// and right in its line, the one of them there is, or 0.
uint16_t interpolated(const Image& frame, const Marks& marks, uint32_t x, uint32_t y) {
    int64_t left = int64_t{x} - 1, right = int64_t{x} + 1;
    while (left >= 0 && marks.at(uint32_t(left), y))
        --left;
    while (right < int64_t{frame.width} && marks.at(uint32_t(right), y))
        ++right;
    const bool hasLeft = left >= 0, hasRight = right < int64_t{frame.width};
    if (hasLeft && hasRight)
        return uint16_t((frame.at(uint32_t(left), y) + frame.at(uint32_t(right), y) + 1) >> 1);
    if (hasLeft)
        return frame.at(uint32_t(left), y);
    if (hasRight)
        return frame.at(uint32_t(right), y);
    return 0;
}

// The threshold T is compared with the reference samples at the files' own depth: a black sample
// above T, or a gray sample below 2^bits - 1 - T, marks the pixel. With 8-bit references and T = 120,
// the hot pixels (black 255) and the dead ones (gray 0) are marked, while the dark offset (black 0
// or 1) and the darkest corner of a field lit at full scale (gray about 160) are not.
TEST_F(Correction, InterpolationReplacesThePixelsTheReferencesMarkWithTheMeanOfTheirNeighbours) {
    constexpr uint32_t kThreshold = 120;
    grabber.window(0, 0, 1024, 1024);
    grabber.format(kGray8, kRightAligned);
    scene(BOARD_SCENE_LENS_CAP);
    const Image black = grabber.grabMean(4);
    scene(BOARD_SCENE_FLAT_FIELD, 4095.0);
    const Image gray = grabber.grabMean(4);
    writeReference(path("black.tif"), black, 8);
    writeReference(path("gray.tif"), gray, 8);
    Marks marks{1024, std::vector<bool>(size_t{1024} * 1024)};
    size_t hot = 0, dead = 0;
    for (uint32_t y = 0; y < 1024; ++y)
        for (uint32_t x = 0; x < 1024; ++x) {
            const bool isHot = black.at(x, y) > kThreshold;
            const bool isDead = gray.at(x, y) < 255 - kThreshold;
            hot += isHot;
            dead += isDead && !isHot;
            marks.defective[size_t{y} * 1024 + x] = isHot || isDead;
        }
    // The camera has six hot and six dead pixels; nothing else may look defective.
    EXPECT_EQ(hot, 6u);
    EXPECT_EQ(dead, 6u);

    scene(BOARD_SCENE_SYNTHETIC);
    grabber.format(kGray16, kRightAligned);
    const Image raw = grabber.grab(1)[0];
    ASSERT_EQ(applet.set<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD, kThreshold), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, 1), 0);
    applyReferences(path("black.tif"), path("gray.tif"));
    const Image repaired = grabber.grab(1)[0];

    size_t replaced = 0, wrong = 0, disturbed = 0;
    for (uint32_t y = 0; y < 1024; ++y)
        for (uint32_t x = 0; x < 1024; ++x) {
            if (!marks.at(x, y)) {
                disturbed += repaired.at(x, y) != raw.at(x, y);
                continue;
            }
            ++replaced;
            const uint16_t expected = interpolated(raw, marks, x, y);
            if (repaired.at(x, y) != expected) {
                ++wrong;
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << repaired.at(x, y)
                              << ", neighbours give " << expected;
            }
            // The defect is gone: a hot pixel no longer sits at full scale, a dead one no longer at 0.
            EXPECT_NE(repaired.at(x, y), raw.at(x, y)) << "pixel (" << x << ", " << y << ")";
        }
    EXPECT_EQ(replaced, 12u);
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(disturbed, 0u) << "only the marked pixels change";

    // Off again: the defects are back, the marks stay in the coefficients for the next time.
    ASSERT_EQ(applet.set<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, 0), 0);
    EXPECT_TRUE(grabber.grab(1)[0] == raw);
}

} // namespace
} // namespace kestrel::test
