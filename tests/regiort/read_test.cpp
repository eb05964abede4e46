// Reading images other programs wrote: tiles, compression, strip shapes, byte order, several pages.
#include "tiff_test_support.h"

#include <gtest/gtest.h>

namespace kestrel::regiort::test {
namespace {

TEST(ImageFileRead, ReadsTiledEightBitWithPartialEdgeTiles) {
    const TemporaryDirectory dir;
    TiffLayout l;
    l.width = 100;
    l.height = 70;
    l.tileWidth = 32;
    l.tileHeight = 16;
    const auto samples = pattern8(l.width, l.height);
    ASSERT_TRUE(writeWithLibtiff(dir.file("t.tiff"), l, samples.data()));
    const ReadResult r(dir.file("t.tiff"));
    ASSERT_NE(r.ok, 0);
    EXPECT_EQ(r.width, 100);
    EXPECT_EQ(r.height, 70);
    EXPECT_EQ(r.as<uint8_t>(), samples);
}

TEST(ImageFileRead, ReadsTiledSixteenBitDeflate) {
    const TemporaryDirectory dir;
    TiffLayout l;
    l.width = 80;
    l.height = 50;
    l.bitsPerSample = 16;
    l.tileWidth = 16;
    l.tileHeight = 16;
    l.compression = COMPRESSION_ADOBE_DEFLATE;
    const auto samples = pattern16(l.width, l.height);
    ASSERT_TRUE(writeWithLibtiff(dir.file("t.tiff"), l, samples.data()));
    const ReadResult r(dir.file("t.tiff"));
    ASSERT_NE(r.ok, 0);
    EXPECT_EQ(r.bits, 16);
    EXPECT_EQ(r.as<uint16_t>(), samples);
}

TEST(ImageFileRead, ReadsCompressedStrips) {
    for (uint16_t compression : {COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE, COMPRESSION_PACKBITS}) {
        for (uint16_t bits : {8, 16}) {
            const TemporaryDirectory dir;
            TiffLayout l;
            l.bitsPerSample = bits;
            l.compression = compression;
            const auto s8 = pattern8(l.width, l.height);
            const auto s16 = pattern16(l.width, l.height);
            const void* data = bits == 8 ? static_cast<const void*>(s8.data()) : s16.data();
            ASSERT_TRUE(writeWithLibtiff(dir.file("c.tiff"), l, data));
            const ReadResult r(dir.file("c.tiff"));
            ASSERT_NE(r.ok, 0) << compression << "/" << bits;
            if (bits == 8)
                EXPECT_EQ(r.as<uint8_t>(), s8) << compression;
            else
                EXPECT_EQ(r.as<uint16_t>(), s16) << compression;
        }
    }
}

TEST(ImageFileRead, ReadsStripsThatDoNotDivideTheHeight) {
    const TemporaryDirectory dir;
    TiffLayout l;
    l.height = 47;
    l.rowsPerStrip = 5;
    const auto samples = pattern8(l.width, l.height);
    ASSERT_TRUE(writeWithLibtiff(dir.file("s.tiff"), l, samples.data()));
    const ReadResult r(dir.file("s.tiff"));
    ASSERT_NE(r.ok, 0);
    EXPECT_EQ(r.as<uint8_t>(), samples);
}

TEST(ImageFileRead, ReadsBigEndianSixteenBitIntoHostOrder) {
    const TemporaryDirectory dir;
    TiffLayout l;
    l.bitsPerSample = 16;
    l.mode = "wb";
    const auto samples = pattern16(l.width, l.height);
    ASSERT_TRUE(writeWithLibtiff(dir.file("be.tiff"), l, samples.data()));
    const ReadResult r(dir.file("be.tiff"));
    ASSERT_NE(r.ok, 0);
    EXPECT_EQ(r.as<uint16_t>(), samples);
}

TEST(ImageFileRead, ReadsTheFirstPageOfSeveral) {
    const TemporaryDirectory dir;
    TiffLayout l;
    l.pages = 3;
    const auto samples = pattern8(l.width, l.height);
    ASSERT_TRUE(writeWithLibtiff(dir.file("p.tiff"), l, samples.data()));
    const ReadResult r(dir.file("p.tiff"));
    ASSERT_NE(r.ok, 0);
    EXPECT_EQ(r.as<uint8_t>(), samples);
}

TEST(ImageFileRead, AcceptsUntypedSamples) {
    const TemporaryDirectory dir;
    TiffLayout l;
    l.sampleFormat = SAMPLEFORMAT_VOID;
    const auto samples = pattern8(l.width, l.height);
    ASSERT_TRUE(writeWithLibtiff(dir.file("v.tiff"), l, samples.data()));
    const ReadResult r(dir.file("v.tiff"));
    EXPECT_NE(r.ok, 0);
}

TEST(ImageFileRead, ReadsAHandMadeFile) {
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
