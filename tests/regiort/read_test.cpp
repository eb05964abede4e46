// Reading images other programs wrote: tiles, compression, strip shapes, byte order, several pages.
#include "tiff_test_support.h"

#include <gtest/gtest.h>

namespace kestrel::regiort::test {
namespace {

struct ReadCase {
    const char* name;
    TiffLayout layout;
};

class ImageFileRead : public testing::TestWithParam<ReadCase> {};

// Every layout libtiff can write in single-sample 8/16-bit grey reads back sample for sample.
TEST_P(ImageFileRead, ReadsTheSamplesLibtiffWrote) {
    const TiffLayout& l = GetParam().layout;
    const TemporaryDirectory dir;
    const auto s8 = pattern8(l.width, l.height);
    const auto s16 = pattern16(l.width, l.height);
    const void* data = l.bitsPerSample == 8 ? static_cast<const void*>(s8.data()) : s16.data();
    ASSERT_TRUE(writeWithLibtiff(dir.file("t.tiff"), l, data));
    const ReadResult r(dir.file("t.tiff"));
    ASSERT_NE(r.ok, 0);
    EXPECT_EQ(r.width, int32_t(l.width));
    EXPECT_EQ(r.height, int32_t(l.height));
    EXPECT_EQ(r.bits, l.bitsPerSample);
    EXPECT_EQ(r.samplesPerPixel, 1);
    if (l.bitsPerSample == 8)
        EXPECT_EQ(r.as<uint8_t>(), s8);
    else
        EXPECT_EQ(r.as<uint16_t>(), s16);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ImageFileRead,
    testing::Values(
        ReadCase{"TiledEightBitWithPartialEdgeTiles",
                 {.width = 100, .height = 70, .tileWidth = 32, .tileHeight = 16}},
        ReadCase{"TiledSixteenBitDeflate",
                 {.width = 80,
                  .height = 50,
                  .bitsPerSample = 16,
                  .compression = COMPRESSION_ADOBE_DEFLATE,
                  .tileWidth = 16,
                  .tileHeight = 16}},
        ReadCase{"LzwStripsEightBit", {.compression = COMPRESSION_LZW}},
        ReadCase{"LzwStripsSixteenBit", {.bitsPerSample = 16, .compression = COMPRESSION_LZW}},
        ReadCase{"DeflateStripsEightBit", {.compression = COMPRESSION_ADOBE_DEFLATE}},
        ReadCase{"DeflateStripsSixteenBit", {.bitsPerSample = 16, .compression = COMPRESSION_ADOBE_DEFLATE}},
        ReadCase{"PackBitsStripsEightBit", {.compression = COMPRESSION_PACKBITS}},
        ReadCase{"PackBitsStripsSixteenBit", {.bitsPerSample = 16, .compression = COMPRESSION_PACKBITS}},
        ReadCase{"StripsThatDoNotDivideTheHeight", {.height = 47, .rowsPerStrip = 5}},
        ReadCase{"BigEndianSixteenBitIntoHostOrder", {.bitsPerSample = 16, .mode = "wb"}},
        ReadCase{"FirstPageOfSeveral", {.pages = 3}},
        ReadCase{"UntypedSamples", {.sampleFormat = SAMPLEFORMAT_VOID}}),
    [](const auto& row) { return row.param.name; });

TEST(ImageFileReadHandMade, ReadsAFileLibtiffDidNotWrite) {
    const TemporaryDirectory dir;
    writeBytes(dir.file("h.tiff"), handMadeTiff(3, 2));
    const ReadResult r(dir.file("h.tiff"));
    ASSERT_NE(r.ok, 0);
    EXPECT_EQ(r.width, 3);
    EXPECT_EQ(r.height, 2);
    EXPECT_EQ(r.as<uint8_t>(), std::vector<uint8_t>(6, 0x5A));
}

TEST(ImageFileRelease, AcceptsNull) {
    ImageFile_Release(nullptr);
}

} // namespace
} // namespace kestrel::regiort::test
