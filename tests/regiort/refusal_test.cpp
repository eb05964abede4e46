// Files the reader must refuse: every layout but single-sample 8/16-bit grey, damage, absence.
#include "tiff_test_support.h"

#include <gtest/gtest.h>

namespace kestrel::regiort::test {
namespace {

// Reads and checks the failure contract: 0, outputs untouched, nothing printed.
void expectRefused(const std::string& path) {
    void* samples = reinterpret_cast<void*>(0x1);
    int32_t width = -7, height = -7, bits = -7, spp = -7;
    testing::internal::CaptureStderr();
    const int32_t ok = ImageFile_Read(path.c_str(), &samples, &width, &height, &bits, &spp);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ok, 0) << path;
    EXPECT_EQ(samples, reinterpret_cast<void*>(0x1));
    EXPECT_EQ(width, -7);
    EXPECT_EQ(height, -7);
    EXPECT_EQ(bits, -7);
    EXPECT_EQ(spp, -7);
    EXPECT_EQ(printed, "");
}

void expectLayoutRefused(const TiffLayout& l) {
    const TemporaryDirectory dir;
    const std::vector<uint8_t> data(
        std::size_t{l.width} * l.height * l.samplesPerPixel * l.bitsPerSample / 8 + 16, 0x33);
    ASSERT_TRUE(writeWithLibtiff(dir.file("r.tiff"), l, data.data()));
    expectRefused(dir.file("r.tiff"));
}

struct LayoutCase {
    const char* name;
    TiffLayout layout;
};

class ImageFileLayoutRefusal : public testing::TestWithParam<LayoutCase> {};

// Only single-sample grey of 8 or 16 unsigned bits, black at zero, is read.
TEST_P(ImageFileLayoutRefusal, RefusesLayoutsOtherThanUnsignedGrey) {
    expectLayoutRefused(GetParam().layout);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ImageFileLayoutRefusal,
    testing::Values(
        LayoutCase{"RgbImage", {.samplesPerPixel = 3, .photometric = PHOTOMETRIC_RGB}},
        LayoutCase{"GreyWithAlpha", {.samplesPerPixel = 2}},
        LayoutCase{"ThirtyTwoBitSamples", {.bitsPerSample = 32}},
        LayoutCase{"FloatingPointSamples", {.bitsPerSample = 32, .sampleFormat = SAMPLEFORMAT_IEEEFP}},
        LayoutCase{"SignedSixteenBitSamples", {.bitsPerSample = 16, .sampleFormat = SAMPLEFORMAT_INT}},
        LayoutCase{"PaletteImage", {.photometric = PHOTOMETRIC_PALETTE}},
        LayoutCase{"MinIsWhiteImage", {.photometric = PHOTOMETRIC_MINISWHITE}},
        LayoutCase{"OneBitSamples", {.bitsPerSample = 1}}, LayoutCase{"FourBitSamples", {.bitsPerSample = 4}},
        LayoutCase{"TwelveBitSamples", {.bitsPerSample = 12}}),
    [](const auto& row) { return row.param.name; });

TEST(ImageFileRefusal, ZeroWidthOrHeight) {
    const TemporaryDirectory dir;
    writeBytes(dir.file("w0.tiff"), handMadeTiff(0, 4));
    writeBytes(dir.file("h0.tiff"), handMadeTiff(4, 0));
    expectRefused(dir.file("w0.tiff"));
    expectRefused(dir.file("h0.tiff"));
}

TEST(ImageFileRefusal, MissingEmptyAndForeignFiles) {
    const TemporaryDirectory dir;
    expectRefused(dir.file("missing.tiff"));
    writeBytes(dir.file("empty.tiff"), {});
    expectRefused(dir.file("empty.tiff"));
    writeBytes(dir.file("png.tiff"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13});
    expectRefused(dir.file("png.tiff"));
    expectRefused(dir.file(""));
}

TEST(ImageFileRefusal, FileWhosePixelDataIsCutOff) {
    const TemporaryDirectory dir;
    auto bytes = handMadeTiff(64, 64);
    bytes.resize(bytes.size() - 100);
    writeBytes(dir.file("cut.tiff"), bytes);
    expectRefused(dir.file("cut.tiff"));
}

TEST(ImageFileRefusal, TruncatedCompressedFile) {
    const TemporaryDirectory dir;
    TiffLayout l;
    l.compression = COMPRESSION_LZW;
    const auto samples = pattern8(l.width, l.height);
    ASSERT_TRUE(writeWithLibtiff(dir.file("lzw.tiff"), l, samples.data()));
    const auto size = std::filesystem::file_size(dir.file("lzw.tiff"));
    std::filesystem::resize_file(dir.file("lzw.tiff"), size / 2);
    expectRefused(dir.file("lzw.tiff"));
}

TEST(ImageFileRefusal, NullPathOrOutputs) {
    void* samples = nullptr;
    int32_t width = 0, height = 0, bits = 0, spp = 0;
    EXPECT_EQ(ImageFile_Read(nullptr, &samples, &width, &height, &bits, &spp), 0);
    const TemporaryDirectory dir;
    const auto pixels = pattern8(4, 4);
    ASSERT_EQ(ImageFile_Write(dir.file("ok.tiff").c_str(), pixels.data(), 4, 4, 8, 1), 0);
    EXPECT_EQ(ImageFile_Read(dir.file("ok.tiff").c_str(), nullptr, &width, &height, &bits, &spp), 0);
    EXPECT_EQ(ImageFile_Read(dir.file("ok.tiff").c_str(), &samples, &width, &height, &bits, nullptr), 0);
}

} // namespace
} // namespace kestrel::regiort::test
