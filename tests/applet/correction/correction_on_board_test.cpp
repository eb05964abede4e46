// The lookup table and shading correction of the applet created on the virtual board, reached
// through its exports: what the board holds after each parameter change, LUT files through the
// parameters, the automatic correction, line access and the coefficient upload.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "applet_on_board.h"
#include "core/error_codes.h"
#include "grabhost5_host.h"
#include "params/parameter_ids.h"
#include "regiort.h"
#include "scoped_environment.h"
#include "scratch_dir.h"
#include "test_system.h"

namespace {

using namespace kestrel::ids;
using kestrel::test::AppletOnBoard;

constexpr const char* kOffsetFileRegister = "Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile 0";
constexpr const char* kGainFileRegister = "Device1_Process0_Shading_ShadingBuffer_1_CoefficientFile 0";
constexpr const char* kOffsetLoadRegister = "Device1_Process0_Shading_ShadingBuffer_0_LoadCoefficients";
constexpr std::size_t kSide = 4096;

struct LutField {
    uint32_t value;
    uint32_t index;
};

// The applet's coefficient files go to a temporary directory of the test's own, so leftovers show.
class CorrectionOnBoard : public kestrel::test::ScratchDirTest {
protected:
    void SetUp() override {
        ScratchDirTest::SetUp();
        tempDir_ = path("tmp");
        std::filesystem::create_directory(tempDir_);
        tmpdir_ = std::make_unique<kestrel::test::ScopedEnvironment>(
            kestrel::test::temporaryDirectoryVariable(), tempDir_.c_str());
        applet_ = std::make_unique<AppletOnBoard>();
    }
    void TearDown() override {
        applet_.reset();
        tmpdir_.reset();
        ScratchDirTest::TearDown();
    }

    AppletOnBoard& applet() { return *applet_; }
    std::vector<uint32_t> boardLut() {
        std::vector<uint32_t> lut(4096);
        EXPECT_EQ(Board_ReadLut(applet().boardDevice(), 0, lut.data(), 4096), 0);
        return lut;
    }
    std::vector<uint16_t> boardCoefficients(int32_t memory) {
        std::vector<uint16_t> samples(kSide * kSide);
        EXPECT_EQ(Board_ReadCoefficientLines(applet().boardDevice(), memory, 0, kSide, samples.data()), 0);
        return samples;
    }
    std::string boardText(const char* name) {
        std::vector<char> text(4096);
        EXPECT_EQ(Board_GetRegisterText(applet().boardDevice(), applet().registerId(name), text.data(), 4096),
                  0);
        return text.data();
    }
    bool tempDirEmpty() const { return std::filesystem::is_empty(tempDir_); }
    std::string textOf(int32_t id) {
        std::vector<char> text(4096, 'x');
        EXPECT_EQ(applet().exports().Fg_getParameterWithType(applet().fg(), id, text.data(), 0, 0), 0);
        return text.data();
    }
    template <class T>
    std::string image(const std::string& name, int32_t width, int32_t height, const std::vector<T>& samples) {
        EXPECT_EQ(ImageFile_Write(path(name).c_str(), samples.data(), width, height, 8 * sizeof(T), 1), 0);
        return path(name);
    }
    int32_t applyWith(const std::string& black, const std::string& gray) {
        EXPECT_EQ(applet().setText(FG_SHADING_BLACK_FILENAME, black.c_str()), 0);
        EXPECT_EQ(applet().setText(FG_SHADING_GRAY_FILENAME, gray.c_str()), 0);
        return applet().set<int32_t>(FG_SHADING_APPLY_SETTINGS, 1);
    }

    std::string tempDir_;
    std::unique_ptr<kestrel::test::ScopedEnvironment> tmpdir_;
    std::unique_ptr<AppletOnBoard> applet_;
};

// ---- lookup table ----

TEST_F(CorrectionOnBoard, SingleLookupValuesReachTheBoard) {
    ASSERT_EQ(applet().set(FG_LUT_VALUE, LutField{77, 10}), 0);
    EXPECT_EQ(boardLut()[10], 77u);
    LutField field{0, 10};
    ASSERT_EQ(applet().exports().Fg_getParameterWithType(applet().fg(), FG_LUT_VALUE, &field, 0, 0), 0);
    EXPECT_EQ(field.value, 77u);
    EXPECT_EQ(applet().set(FG_LUT_VALUE, LutField{1, 4096}), kestrel::kErrOutOfRange);
    EXPECT_EQ(applet().set(FG_LUT_VALUE, LutField{4096, 0}), kestrel::kErrOutOfRange);
    field.index = 4096;
    EXPECT_EQ(applet().exports().Fg_getParameterWithType(applet().fg(), FG_LUT_VALUE, &field, 0, 0),
              kestrel::kErrInvalidArgument);
    EXPECT_EQ(boardLut()[0], 0u);
}

// A file that cannot be read keeps the old name; one that reads but cannot be used takes the new.
TEST_F(CorrectionOnBoard, BadCustomFilesGiveClearCodes) {
    ASSERT_EQ(applet().set<int32_t>(FG_LUT_TYPE, 0), 0);
    const std::string good = writeFile("good.lut", "[gray]\nnrOfElements=1;\n0,3;\n");
    ASSERT_EQ(applet().setText(FG_LUT_CUSTOM_FILE, good.c_str()), 0);
    EXPECT_EQ(applet().setText(FG_LUT_CUSTOM_FILE, path("missing.lut").c_str()), kestrel::kErrFileRead);
    EXPECT_EQ(applet().lastError(), kestrel::kErrFileRead);
    EXPECT_EQ(textOf(FG_LUT_CUSTOM_FILE), good);
    const std::pair<const char*, int32_t> rows[] = {
        {"[gray]\nnrOfElements=2000000000;\n0,1;\n", kestrel::kErrFileWrite},
        // Values the 12-bit table cannot hold: the board refuses the transfer and its code comes back.
        {"[gray]\nnrOfElements=2;\n0,5000;\n1,-1;\n", BOARD_ERR_OUT_OF_RANGE},
        {"[gray]\nnrOfElements=3;\n0,abc;\n1,;\n2\n", 0},
    };
    for (const auto& [content, code] : rows)
        EXPECT_EQ(applet().setText(FG_LUT_CUSTOM_FILE, writeFile("bad.lut", content).c_str()), code)
            << content;
    EXPECT_EQ(boardLut()[0], 0u); // atoi of "abc"
}

// ---- shading parameters ----

TEST_F(CorrectionOnBoard, GainCorrectionModeSetsTheNormalizationValue) {
    ASSERT_EQ(applet().set<double>(FG_SHADING_GAIN_NORMALIZATION_VALUE, 1000.0), 0);
    ASSERT_EQ(applet().set<uint32_t>(FG_SHADING_GAIN_CORRECTION_MODE, 2), 0);
    EXPECT_EQ(applet().get<double>(FG_SHADING_GAIN_NORMALIZATION_VALUE), 4095.0);
    ASSERT_EQ(applet().set<uint32_t>(FG_SHADING_GAIN_CORRECTION_MODE, 1), 0);
    EXPECT_EQ(applet().get<double>(FG_SHADING_GAIN_NORMALIZATION_VALUE), 0.0);
    ASSERT_EQ(applet().set<double>(FG_SHADING_GAIN_NORMALIZATION_VALUE, 1234.0), 0);
    ASSERT_EQ(applet().set<uint32_t>(FG_SHADING_GAIN_CORRECTION_MODE, 3), 0);
    EXPECT_EQ(applet().get<double>(FG_SHADING_GAIN_NORMALIZATION_VALUE), 1234.0);
    EXPECT_EQ(applet().set<int32_t>(FG_SHADING_APPLY_SETTINGS, 0), kestrel::kErrOutOfRange);
}

// ---- automatic correction and upload ----

TEST_F(CorrectionOnBoard, ApplyUploadsExactlyTheComputedCoefficientsAndDeletesItsFiles) {
    constexpr int32_t kWidth = 40, kHeight = 30;
    std::vector<uint8_t> black(kWidth * kHeight);
    std::vector<uint16_t> gray(kWidth * kHeight);
    for (int32_t i = 0; i < kWidth * kHeight; ++i) {
        black[i] = static_cast<uint8_t>(i % 7);
        gray[i] = static_cast<uint16_t>(30000 + 20 * i);
    }
    ASSERT_EQ(applet().set<uint32_t>(FG_SHADING_GAIN_CORRECTION_MODE, 2), 0);
    ASSERT_EQ(applyWith(image("black.tif", kWidth, kHeight, black), image("gray.tif", kWidth, kHeight, gray)),
              0);
    const std::vector<uint16_t> offsets = boardCoefficients(BOARD_COEFFICIENT_OFFSET);
    const std::vector<uint16_t> gains = boardCoefficients(BOARD_COEFFICIENT_GAIN);
    const std::size_t i = 2 * kWidth + 3;
    EXPECT_EQ(offsets[2 * kSide + 3], black[i] * 256);
    EXPECT_EQ(gains[2 * kSide + 3], uint16_t(1.0 / (gray[i] / 65535.0 - black[i] / 255.0) * 4096.0 + 0.5));
    EXPECT_EQ(std::pair(offsets[kWidth], gains[kWidth]), std::pair(uint16_t{0}, uint16_t{4096})) << "neutral";
    EXPECT_TRUE(tempDirEmpty());
    // The design was handed two names from the temporary directory, now gone.
    const std::string offsetName = boardText(kOffsetFileRegister);
    const std::string gainName = boardText(kGainFileRegister);
    EXPECT_EQ(std::filesystem::path(offsetName).parent_path(), std::filesystem::path(tempDir_)) << offsetName;
    EXPECT_TRUE(std::filesystem::path(offsetName).filename().string().starts_with("coef-")) << offsetName;
    EXPECT_TRUE(offsetName.ends_with(".tiff"));
    EXPECT_NE(offsetName, gainName);
    EXPECT_FALSE(std::filesystem::exists(offsetName));
    EXPECT_EQ(applet().reg(kOffsetLoadRegister), 1u);
}

TEST_F(CorrectionOnBoard, NegativeMeanFailsTheApplyAndUploadsNothing) {
    ASSERT_EQ(applet().set<uint32_t>(FG_SHADING_GAIN_CORRECTION_MODE, 1), 0);
    EXPECT_EQ(applyWith(image("black.tif", 2, 1, std::vector<uint8_t>(2, 200)),
                        image("gray.tif", 2, 1, std::vector<uint8_t>(2, 100))),
              kestrel::kErrOutOfRange);
    EXPECT_EQ(boardCoefficients(BOARD_COEFFICIENT_OFFSET)[0], 0);
    EXPECT_EQ(boardText(kOffsetFileRegister), "");
    EXPECT_TRUE(tempDirEmpty());
}

TEST_F(CorrectionOnBoard, RefusedFileHandOverPassesTheCodeAndLeavesNoFiles) {
    applet().failWrites(kGainFileRegister, -7777);
    EXPECT_EQ(applyWith(image("black.tif", 2, 2, std::vector<uint8_t>(4, 1)), ""), -7777);
    EXPECT_TRUE(tempDirEmpty());
    // The offsets were already loaded when the gain name was refused.
    EXPECT_EQ(boardCoefficients(BOARD_COEFFICIENT_OFFSET)[0], 256);
}

// Line access through the exports reaches the board when access is withdrawn.
TEST_F(CorrectionOnBoard, LineAccessUploadsWhenAccessIsWithdrawn) {
    const Gh5AppletExports& ex = applet().exports();
    Gh5Grabber* fg = applet().fg();
    void* shading = ex.Fg_AllocShading(fg, 0, 0);
    ASSERT_EQ(ex.Shad_GetAccess(fg, shading), 0);
    EXPECT_EQ(ex.Shad_GetMaxLine(fg, shading), 4096);
    ASSERT_EQ(ex.Shad_SetSubValueLine(fg, shading, 5, 0, 4095.0f), 0);
    ASSERT_EQ(ex.Shad_SetMultValueLine(fg, shading, 5, 0, 2.0f), 0);
    ASSERT_EQ(ex.Shad_SetFixedPatternNoiseLine(fg, shading, 6, 0, 1), 0);
    ASSERT_EQ(ex.Shad_WriteActLine(fg, shading, 4095), 0);
    ASSERT_EQ(ex.Shad_FreeAccess(fg, shading), 0);
    const std::vector<uint16_t> offsets = boardCoefficients(BOARD_COEFFICIENT_OFFSET);
    EXPECT_EQ(std::pair(offsets[4095 * kSide + 5], offsets[4095 * kSide + 6]),
              std::pair(uint16_t{65520}, uint16_t{65535}));
    EXPECT_EQ(boardCoefficients(BOARD_COEFFICIENT_GAIN)[4095 * kSide + 5], 8192);
    EXPECT_EQ(ex.Fg_FreeShading(fg, shading), 0);
}

} // namespace
