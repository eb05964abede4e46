// Writing images: what ImageFile_Write puts on disk, and what it refuses.
#include "tiff_test_support.h"

#include <gtest/gtest.h>

namespace kestrel::regiort::test {
namespace {

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

struct WriteCase {
    const char* name;
    uint32_t width;
    uint32_t height;
    int32_t bits;
};

class ImageFileWriteRoundTrip : public testing::TestWithParam<WriteCase> {};

TEST_P(ImageFileWriteRoundTrip, ReadsBackUnchangedInHostOrder) {
    const WriteCase& c = GetParam();
    const TemporaryDirectory dir;
    const auto s8 = pattern8(c.width, c.height);
    const auto s16 = pattern16(c.width, c.height);
    const void* data = c.bits == 8 ? static_cast<const void*>(s8.data()) : s16.data();
    ASSERT_EQ(
        ImageFile_Write(dir.file("a.tiff").c_str(), data, int32_t(c.width), int32_t(c.height), c.bits, 1), 0);
    const ReadResult r(dir.file("a.tiff"));
    ASSERT_NE(r.ok, 0);
    EXPECT_EQ(r.width, int32_t(c.width));
    EXPECT_EQ(r.height, int32_t(c.height));
    EXPECT_EQ(r.bits, c.bits);
    EXPECT_EQ(r.samplesPerPixel, 1);
    if (c.bits == 8)
        EXPECT_TRUE(r.as<uint8_t>() == s8);
    else
        EXPECT_TRUE(r.as<uint16_t>() == s16);
}

INSTANTIATE_TEST_SUITE_P(Images, ImageFileWriteRoundTrip,
                         testing::Values(WriteCase{"EightBit", 123, 45, 8},
                                         WriteCase{"SixteenBit", 77, 31, 16},
                                         // 1.2 MB per row: wider than a strip, so one row each.
                                         WriteCase{"RowsWiderThanAStrip", 600000, 3, 16}),
                         [](const auto& row) { return row.param.name; });

TEST(ImageFileWrite, CoefficientSizedImageIsUncompressedMinIsBlackInLargeStrips) {
    // The shading upload writes 8192 x 4096 single bytes holding 16-bit coefficients.
    const TemporaryDirectory dir;
    const auto samples = pattern8(8192, 4096);
    ASSERT_EQ(ImageFile_Write(dir.file("coef.tiff").c_str(), samples.data(), 8192, 4096, 8, 1), 0);
    {
        const TiffHandle tif(TIFFOpen(dir.file("coef.tiff").c_str(), "r"));
        ASSERT_NE(tif, nullptr);
        uint16_t compression = 0;
        uint16_t photometric = 0;
        uint32_t rowsPerStrip = 0;
        TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &compression);
        TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetField(tif.get(), TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        EXPECT_EQ(compression, COMPRESSION_NONE);
        EXPECT_EQ(photometric, PHOTOMETRIC_MINISBLACK);
        const uint64_t stripBytes = uint64_t{rowsPerStrip} * 8192;
        EXPECT_GE(stripBytes, 512u * 1024);
        EXPECT_LE(stripBytes, 2u * 1024 * 1024);
    }
    // Uncompressed: the samples plus a header, a directory and the strip tables.
    const auto fileBytes = std::filesystem::file_size(dir.file("coef.tiff"));
    EXPECT_GT(fileBytes, 8192u * 4096);
    EXPECT_LT(fileBytes, 8192u * 4096 + 4096);
    const ReadResult r(dir.file("coef.tiff"));
    ASSERT_NE(r.ok, 0);
    EXPECT_TRUE(r.as<uint8_t>() == samples);
}

TEST(ImageFileWrite, SmallImageIsOneStrip) {
    const TemporaryDirectory dir;
    const auto samples = pattern16(16, 16);
    ASSERT_EQ(ImageFile_Write(dir.file("s.tiff").c_str(), samples.data(), 16, 16, 16, 1), 0);
    const TiffHandle tif(TIFFOpen(dir.file("s.tiff").c_str(), "r"));
    ASSERT_NE(tif, nullptr);
    EXPECT_EQ(TIFFNumberOfStrips(tif.get()), 1u);
}

TEST(ImageFileWrite, ReplacesAnExistingFile) {
    const TemporaryDirectory dir;
    const auto big = pattern8(200, 200);
    const auto small = pattern8(10, 10);
    ASSERT_EQ(ImageFile_Write(dir.file("x.tiff").c_str(), big.data(), 200, 200, 8, 1), 0);
    ASSERT_EQ(ImageFile_Write(dir.file("x.tiff").c_str(), small.data(), 10, 10, 8, 1), 0);
    const ReadResult r(dir.file("x.tiff"));
    ASSERT_NE(r.ok, 0);
    EXPECT_EQ(r.width, 10);
    EXPECT_EQ(r.as<uint8_t>(), small);
}

TEST(ImageFileWrite, RefusesLayoutsItCannotWrite) {
    const TemporaryDirectory dir;
    const auto samples = pattern16(8, 8);
    const std::string path = dir.file("bad.tiff");
    EXPECT_NE(ImageFile_Write(path.c_str(), samples.data(), 0, 8, 8, 1), 0);
    EXPECT_NE(ImageFile_Write(path.c_str(), samples.data(), 8, 0, 8, 1), 0);
    EXPECT_NE(ImageFile_Write(path.c_str(), samples.data(), -8, 8, 8, 1), 0);
    EXPECT_NE(ImageFile_Write(path.c_str(), samples.data(), 8, 8, 12, 1), 0);
    EXPECT_NE(ImageFile_Write(path.c_str(), samples.data(), 8, 8, 32, 1), 0);
    EXPECT_NE(ImageFile_Write(path.c_str(), samples.data(), 8, 8, 8, 3), 0);
    EXPECT_NE(ImageFile_Write(path.c_str(), samples.data(), 8, 8, 8, 0), 0);
    EXPECT_NE(ImageFile_Write(path.c_str(), nullptr, 8, 8, 8, 1), 0);
    EXPECT_NE(ImageFile_Write(nullptr, samples.data(), 8, 8, 8, 1), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ImageFileWrite, FailsIntoAMissingDirectoryWithoutPrinting) {
    const auto samples = pattern8(8, 8);
    testing::internal::CaptureStderr();
    const int32_t result = ImageFile_Write("/nonexistent-dir/x.tiff", samples.data(), 8, 8, 8, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(result, 0);
}

} // namespace
} // namespace kestrel::regiort::test
