// The lookup table and shading correction of the applet created on the virtual board, reached
// through its exports: what the board holds after each parameter change, LUT files through the
// parameters, line access, the automatic correction and the coefficient upload.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "api/error_codes.h"
#include "applet_on_board.h"
#include "grabhost5_host.h"
#include "params/parameter_ids.h"
#include "regiort.h"

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

// A private temporary directory for the test's files and the applet's coefficient files.
class CorrectionOnBoard : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-correction-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        tempDir_ = dir_ / "tmp";
        std::filesystem::create_directory(tempDir_);
        const char* old = std::getenv("TMPDIR");
        if (old != nullptr)
            oldTmpDir_ = old;
        hadTmpDir_ = old != nullptr;
        setenv("TMPDIR", tempDir_.c_str(), 1);
        applet_ = std::make_unique<AppletOnBoard>();
    }
    void TearDown() override {
        applet_.reset();
        if (hadTmpDir_)
            setenv("TMPDIR", oldTmpDir_.c_str(), 1);
        else
            unsetenv("TMPDIR");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    AppletOnBoard& applet() { return *applet_; }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::string writeText(const std::string& name, const std::string& content) const {
        std::ofstream(path(name), std::ios::binary) << content;
        return path(name);
    }

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
    // Files the applet left in its temporary directory.
    std::size_t leftoverTempFiles() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(tempDir_))
            ++count;
        return count;
    }
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

    std::filesystem::path dir_;
    std::filesystem::path tempDir_;
    std::string oldTmpDir_;
    bool hadTmpDir_ = false;
    std::unique_ptr<AppletOnBoard> applet_;
};

// ---- lookup table ----

TEST_F(CorrectionOnBoard, ProcessingSettingsReachTheBoard) {
    ASSERT_EQ(applet().set<double>(FG_PROCESSING_GAMMA, 2.0), 0);
    EXPECT_EQ(boardLut()[1024], 2048u);
    ASSERT_EQ(applet().set<double>(FG_PROCESSING_GAMMA, 1.0), 0);
    ASSERT_EQ(applet().set<double>(FG_PROCESSING_OFFSET, 1.0), 0);
    ASSERT_EQ(applet().set<double>(FG_PROCESSING_GAIN, 4096.0), 0);
    const std::vector<uint32_t> clipped = boardLut();
    EXPECT_EQ(clipped[0], 4095u);
    EXPECT_EQ(clipped[4095], 4095u);
    ASSERT_EQ(applet().set<double>(FG_PROCESSING_OFFSET, -1.0), 0);
    ASSERT_EQ(applet().set<double>(FG_PROCESSING_GAIN, 1.0), 0);
    const std::vector<uint32_t> zero = boardLut();
    EXPECT_EQ(zero[0], 0u);
    EXPECT_EQ(zero[4095], 0u);
}

TEST_F(CorrectionOnBoard, LutValueSetsOneEntry) {
    ASSERT_EQ(applet().set(FG_LUT_VALUE, LutField{77, 10}), 0);
    EXPECT_EQ(boardLut()[10], 77u);
    LutField field{0, 10};
    ASSERT_EQ(applet().exports().Fg_getParameterWithType(applet().fg(), FG_LUT_VALUE, &field, 0, 0), 0);
    EXPECT_EQ(field.value, 77u);
    EXPECT_EQ(field.index, 10u);
}

TEST_F(CorrectionOnBoard, LutValueIndex4096IsRefusedOnSetAndGet) {
    EXPECT_EQ(applet().set(FG_LUT_VALUE, LutField{1, 4096}), kestrel::kErrOutOfRange);
    EXPECT_EQ(applet().set(FG_LUT_VALUE, LutField{4096, 0}), kestrel::kErrOutOfRange);
    LutField field{0, 4096};
    EXPECT_EQ(applet().exports().Fg_getParameterWithType(applet().fg(), FG_LUT_VALUE, &field, 0, 0),
              kestrel::kErrInvalidArgument);
    EXPECT_EQ(boardLut()[0], 0u);
}

TEST_F(CorrectionOnBoard, CustomFileWith100ValuesChangesOnlyTheFirst100Entries) {
    ASSERT_EQ(applet().set<int32_t>(FG_PROCESSING_INVERT, 1), 0);
    ASSERT_EQ(applet().set<int32_t>(FG_LUT_TYPE, 0), 0);
    std::string content = "[gray]\nnrOfElements=100;\n";
    for (int i = 0; i < 100; ++i)
        content += std::to_string(i) + "," + std::to_string(7) + ";\n";
    ASSERT_EQ(applet().setText(FG_LUT_CUSTOM_FILE, writeText("short.lut", content).c_str()), 0);
    const std::vector<uint32_t> lut = boardLut();
    EXPECT_EQ(lut[0], 7u);
    EXPECT_EQ(lut[99], 7u);
    EXPECT_EQ(lut[100], 4095u - 100);
    EXPECT_EQ(lut[4095], 0u);
}

TEST_F(CorrectionOnBoard, MissingCustomFileIsAReadErrorAndKeepsTheOldName) {
    ASSERT_EQ(applet().set<int32_t>(FG_LUT_TYPE, 0), 0);
    const std::string good = writeText("good.lut", "[gray]\nnrOfElements=1;\n0,3;\n");
    ASSERT_EQ(applet().setText(FG_LUT_CUSTOM_FILE, good.c_str()), 0);
    EXPECT_EQ(applet().setText(FG_LUT_CUSTOM_FILE, path("missing.lut").c_str()), kestrel::kErrFileRead);
    EXPECT_EQ(applet().lastError(), kestrel::kErrFileRead);
    EXPECT_EQ(textOf(FG_LUT_CUSTOM_FILE), good);
}

TEST_F(CorrectionOnBoard, HostileCustomFilesGiveClearCodes) {
    ASSERT_EQ(applet().set<int32_t>(FG_LUT_TYPE, 0), 0);
    EXPECT_EQ(applet().setText(FG_LUT_CUSTOM_FILE,
                               writeText("huge.lut", "[gray]\nnrOfElements=2000000000;\n0,1;\n").c_str()),
              kestrel::kErrFileWrite);
    EXPECT_EQ(
        applet().setText(FG_LUT_CUSTOM_FILE, writeText("negative.lut", "[gray]\nnrOfElements=-5;\n").c_str()),
        kestrel::kErrFileWrite);
    // Values the 12-bit table cannot hold: the board refuses the transfer and its code comes back.
    EXPECT_EQ(applet().setText(FG_LUT_CUSTOM_FILE,
                               writeText("wide.lut", "[gray]\nnrOfElements=2;\n0,5000;\n1,-1;\n").c_str()),
              BOARD_ERR_OUT_OF_RANGE);
    EXPECT_EQ(applet().setText(FG_LUT_CUSTOM_FILE,
                               writeText("garbage.lut", "[gray]\nnrOfElements=3;\n0,abc;\n1,;\n2\n").c_str()),
              0);
    EXPECT_EQ(boardLut()[0], 0u); // atoi of "abc"
    EXPECT_EQ(textOf(FG_LUT_CUSTOM_FILE), path("garbage.lut"));
}

TEST_F(CorrectionOnBoard, SavingWithAnEmptyNameWritesNothingAndUnwritablePathsFail) {
    ASSERT_EQ(applet().setText(FG_LUT_SAVE_FILE, ""), 0);
    EXPECT_EQ(textOf(FG_LUT_SAVE_FILE), "");
    const std::string good = path("saved.lut");
    ASSERT_EQ(applet().setText(FG_LUT_SAVE_FILE, good.c_str()), 0);
    EXPECT_EQ(applet().setText(FG_LUT_SAVE_FILE, path("no/such/dir/x.lut").c_str()), kestrel::kErrFileWrite);
    EXPECT_EQ(textOf(FG_LUT_SAVE_FILE), good);
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
    EXPECT_EQ(applet().set<uint32_t>(FG_SHADING_GAIN_CORRECTION_MODE, 4), kestrel::kErrOutOfRange);
    EXPECT_EQ(applet().set<double>(FG_SHADING_GAIN_NORMALIZATION_VALUE, 4095.5), kestrel::kErrOutOfRange);
    EXPECT_EQ(applet().set<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD, 4096),
              kestrel::kErrOutOfRange);
    EXPECT_EQ(applet().set<int32_t>(FG_SHADING_APPLY_SETTINGS, 0), kestrel::kErrOutOfRange);
    EXPECT_EQ(applet().get<uint32_t>(FG_SHADING_GAIN_CORRECTION_MODE), 3u);
}

// ---- automatic correction and upload ----

TEST_F(CorrectionOnBoard, ApplyUploadsExactlyTheComputedCoefficientsAndDeletesItsFiles) {
    constexpr int32_t kWidth = 40;
    constexpr int32_t kHeight = 30;
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
    for (std::size_t y = 0; y < kSide; ++y) {
        for (std::size_t x = 0; x < kSide; ++x) {
            uint16_t offset = 0;
            uint16_t gain = 4096;
            if (x < static_cast<std::size_t>(kWidth) && y < static_cast<std::size_t>(kHeight)) {
                const std::size_t i = y * kWidth + x;
                offset = static_cast<uint16_t>(black[i] * 256);
                const double d = gray[i] / 65535.0 - black[i] / 255.0;
                gain = static_cast<uint16_t>(1.0 / d * 4096.0 + 0.5);
            }
            ASSERT_EQ(offsets[y * kSide + x], offset) << x << "," << y;
            ASSERT_EQ(gains[y * kSide + x], gain) << x << "," << y;
        }
    }
    EXPECT_EQ(leftoverTempFiles(), 0u);
    // The design was handed two names from the temporary directory, now gone.
    const std::string offsetName = boardText(kOffsetFileRegister);
    const std::string gainName = boardText(kGainFileRegister);
    EXPECT_EQ(offsetName.rfind(tempDir_.string() + "/coef-", 0), 0u) << offsetName;
    EXPECT_TRUE(offsetName.ends_with(".tiff"));
    EXPECT_NE(offsetName, gainName);
    EXPECT_FALSE(std::filesystem::exists(offsetName));
    EXPECT_EQ(applet().reg(kOffsetLoadRegister), 1u);
}

TEST_F(CorrectionOnBoard, MaxValueModePublishesTheTargetAsNormalizationValue) {
    const std::vector<uint8_t> gray = {51, 102, 204, 255};
    ASSERT_EQ(applyWith("", image("gray.tif", 2, 2, gray)), 0);
    EXPECT_DOUBLE_EQ(applet().get<double>(FG_SHADING_GAIN_NORMALIZATION_VALUE), 4095.0);
    const std::vector<uint16_t> gains = boardCoefficients(BOARD_COEFFICIENT_GAIN);
    EXPECT_EQ(gains[0], 20480); // 1 / 0.2
    EXPECT_EQ(gains[kSide + 1], 4096);
    EXPECT_EQ(boardCoefficients(BOARD_COEFFICIENT_OFFSET)[0], 0);
}

TEST_F(CorrectionOnBoard, NegativeMeanFailsTheApplyAndUploadsNothing) {
    ASSERT_EQ(applet().set<uint32_t>(FG_SHADING_GAIN_CORRECTION_MODE, 1), 0);
    const std::vector<uint8_t> black = {200, 200};
    const std::vector<uint8_t> gray = {100, 100};
    EXPECT_EQ(applyWith(image("black.tif", 2, 1, black), image("gray.tif", 2, 1, gray)),
              kestrel::kErrOutOfRange);
    EXPECT_EQ(boardCoefficients(BOARD_COEFFICIENT_OFFSET)[0], 0);
    EXPECT_EQ(boardText(kOffsetFileRegister), "");
    EXPECT_EQ(leftoverTempFiles(), 0u);
}

TEST_F(CorrectionOnBoard, DeadPixelsAreMarkedWithThresholdZero) {
    ASSERT_EQ(applet().set<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, 1), 0);
    ASSERT_EQ(applet().set<uint32_t>(FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD, 0), 0);
    const std::vector<uint8_t> black = {0, 3, 0, 0};
    const std::vector<uint8_t> gray = {255, 255, 255, 255};
    ASSERT_EQ(applyWith(image("black.tif", 4, 1, black), image("gray.tif", 4, 1, gray)), 0);
    const std::vector<uint16_t> offsets = boardCoefficients(BOARD_COEFFICIENT_OFFSET);
    EXPECT_EQ(offsets[0], 0);
    EXPECT_EQ(offsets[1], 65535);
    EXPECT_EQ(offsets[2], 0);
}

// Writes a TIFF with libtiff directly, in layouts the image-file library does not write.
std::string writeTiff(const std::string& file, uint32_t width, uint32_t height, uint16_t bits,
                      uint16_t samples, uint16_t format = SAMPLEFORMAT_UINT) {
    TIFF* tif = TIFFOpen(file.c_str(), "w");
    EXPECT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, format);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height > 0 ? height : 1);
    std::vector<uint8_t> row(static_cast<std::size_t>(width) * samples * bits / 8, 1);
    for (uint32_t y = 0; y < height; ++y)
        TIFFWriteScanline(tif, row.data(), y, 0);
    TIFFClose(tif);
    return file;
}

TEST_F(CorrectionOnBoard, HostileReferenceImagesAreReadErrorsWithoutUpload) {
    const std::vector<uint8_t> good(64 * 64, 100);
    const std::string goodFile = image("good.tif", 64, 64, good);
    std::ifstream in(goodFile, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string corrupt = bytes;
    for (std::size_t i = 4; i < 16 && i < corrupt.size(); ++i)
        corrupt[i] = static_cast<char>(0xFF);

    const std::vector<std::string> files = {
        path("missing.tif"),
        writeText("truncated.tif", bytes.substr(0, bytes.size() / 2)),
        writeText("header-only.tif", bytes.substr(0, 8)),
        writeText("corrupt.tif", corrupt),
        writeText("empty.tif", ""),
        writeText("text.tif", "not an image at all"),
        writeTiff(path("rgb.tif"), 8, 8, 8, 3),
        writeTiff(path("wide.tif"), 8, 8, 32, 1),
        writeTiff(path("float.tif"), 8, 8, 32, 1, SAMPLEFORMAT_IEEEFP),
        writeTiff(path("zero.tif"), 0, 0, 8, 1),
    };
    for (const std::string& file : files) {
        EXPECT_EQ(applyWith(file, ""), kestrel::kErrFileRead) << file;
        EXPECT_EQ(applyWith("", file), kestrel::kErrFileRead) << file;
        EXPECT_EQ(applyWith(goodFile, file), kestrel::kErrFileRead) << file;
    }
    EXPECT_EQ(boardText(kOffsetFileRegister), "");
    EXPECT_EQ(leftoverTempFiles(), 0u);
}

TEST_F(CorrectionOnBoard, RefusedFileHandOverPassesTheCodeAndLeavesNoFiles) {
    applet().failWrites(kGainFileRegister, -7777);
    const std::vector<uint8_t> black(4, 1);
    EXPECT_EQ(applyWith(image("black.tif", 2, 2, black), ""), -7777);
    EXPECT_EQ(leftoverTempFiles(), 0u);
    // The offsets were already loaded when the gain name was refused.
    EXPECT_EQ(boardCoefficients(BOARD_COEFFICIENT_OFFSET)[0], 256);
}

// ---- line access through the exports ----

TEST_F(CorrectionOnBoard, LineAccessUploadsWhenAccessIsWithdrawn) {
    const Gh5AppletExports& ex = applet().exports();
    Gh5Grabber* fg = applet().fg();
    void* shading = ex.Fg_AllocShading(fg, 0, 0);
    ASSERT_NE(shading, nullptr);
    EXPECT_EQ(applet().lastError(), 0);
    EXPECT_EQ(ex.Shad_SetSubValueLine(fg, shading, 0, 0, 1.0f), kestrel::kErrInvalidArgument);
    EXPECT_EQ(applet().lastError(), kestrel::kErrInvalidArgument);
    ASSERT_EQ(ex.Shad_GetAccess(fg, shading), 0);
    EXPECT_EQ(ex.Shad_GetMaxLine(fg, shading), 4096);
    EXPECT_EQ(applet().lastError(), 4096);
    ASSERT_EQ(ex.Shad_SetSubValueLine(fg, shading, 5, 0, 4095.0f), 0);
    ASSERT_EQ(ex.Shad_SetMultValueLine(fg, shading, 5, 0, 2.0f), 0);
    ASSERT_EQ(ex.Shad_SetFixedPatternNoiseLine(fg, shading, 6, 0, 1), 0);
    ASSERT_EQ(ex.Shad_WriteActLine(fg, shading, 4095), 0);
    ASSERT_EQ(ex.Shad_FreeAccess(fg, shading), 0);
    EXPECT_EQ(leftoverTempFiles(), 0u);

    const std::vector<uint16_t> offsets = boardCoefficients(BOARD_COEFFICIENT_OFFSET);
    const std::vector<uint16_t> gains = boardCoefficients(BOARD_COEFFICIENT_GAIN);
    EXPECT_EQ(offsets[4095 * kSide + 5], 65520);
    EXPECT_EQ(offsets[4095 * kSide + 6], 65535);
    EXPECT_EQ(gains[4095 * kSide + 5], 8192);
    EXPECT_EQ(offsets[4095 * kSide + 7], 0);
    EXPECT_EQ(gains[0], 4096);
    EXPECT_EQ(ex.Fg_FreeShading(fg, shading), 0);
    EXPECT_EQ(ex.Fg_FreeShading(fg, shading), kestrel::kErrInvalidArgument);
    EXPECT_EQ(ex.Fg_AllocShading(fg, 0, 1), nullptr);
    EXPECT_EQ(applet().lastError(), -1);
}

// ---- the board's coefficient loader, driven through the host ----

TEST_F(CorrectionOnBoard, BoardRefusesBadCoefficientFilesAndKeepsItsCoefficients) {
    // Put known coefficients on the board first.
    const std::vector<uint8_t> black(4, 2);
    ASSERT_EQ(applyWith(image("black.tif", 2, 2, black), ""), 0);
    ASSERT_EQ(boardCoefficients(BOARD_COEFFICIENT_OFFSET)[0], 512);

    void* host = gh5_grabber_host(applet().fg());
    const int32_t fileId = Fg_getParameterIdByName(host, kOffsetFileRegister);
    const int32_t loadId = Fg_getParameterIdByName(host, kOffsetLoadRegister);
    const uint32_t one = 1;
    const std::vector<uint8_t> small(16, 0);
    for (const std::string& file :
         {path("missing.tiff"), image("small.tif", 4, 4, small), writeText("junk.tiff", "junk")}) {
        ASSERT_EQ(Fg_setParameterWithType(host, fileId, file.c_str(), 0, GH5_TYPE_FILE_NAME), 0);
        EXPECT_EQ(Fg_setParameterWithType(host, loadId, &one, 0, GH5_TYPE_UINT32),
                  GH5_ERR_BAD_COEFFICIENT_FILE)
            << file;
        EXPECT_EQ(boardCoefficients(BOARD_COEFFICIENT_OFFSET)[0], 512);
    }
    // A zero command loads nothing.
    const uint32_t zero = 0;
    EXPECT_EQ(Fg_setParameterWithType(host, loadId, &zero, 0, GH5_TYPE_UINT32), 0);
}

} // namespace
