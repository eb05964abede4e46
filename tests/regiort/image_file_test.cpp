// Image files: what ImageFile_Write puts on disk, the layouts other programs write that the reader
// takes, and the files it must refuse.
#include "regiort.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace kestrel::regiort::test {
namespace {

class TemporaryDirectory {
public:
    TemporaryDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "regiort-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TemporaryDirectory() { std::filesystem::remove_all(path_); }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Samples of `bits` 8 or 16 in host order, differing in every sample of a row and between rows.
std::vector<uint8_t> pattern(uint32_t width, uint32_t height, int bits) {
    std::vector<uint8_t> bytes(std::size_t{width} * height * static_cast<std::size_t>(bits / 8));
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const std::size_t i = std::size_t{y} * width + x;
            if (bits == 8)
                bytes[i] = static_cast<uint8_t>(x * 7 + y * 13);
            else
                reinterpret_cast<uint16_t*>(bytes.data())[i] =
                    static_cast<uint16_t>(x * 257 + y * 31 + 0x8000);
        }
    return bytes;
}

// The outputs of one ImageFile_Read, released when done.
struct ReadResult {
    int32_t ok = 0;
    void* samples = nullptr;
    int32_t width = -1, height = -1, bits = -1, samplesPerPixel = -1;

    explicit ReadResult(const std::string& path) {
        ok = ImageFile_Read(path.c_str(), &samples, &width, &height, &bits, &samplesPerPixel);
    }
    ~ReadResult() { ImageFile_Release(samples); }
    ReadResult(const ReadResult&) = delete;
    ReadResult& operator=(const ReadResult&) = delete;

    std::vector<uint8_t> bytes() const {
        const auto* begin = static_cast<const uint8_t*>(samples);
        return ok == 0 ? std::vector<uint8_t>{}
                       : std::vector<uint8_t>(begin, begin + std::size_t(width) * height * bits / 8);
    }
};

// A TIFF layout written straight through libtiff, to feed the reader files it did not write.
struct TiffLayout {
    uint32_t width = 64;
    uint32_t height = 48;
    uint16_t bitsPerSample = 8;
    uint16_t samplesPerPixel = 1;
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t compression = COMPRESSION_NONE;
    uint32_t rowsPerStrip = 16;
    uint32_t tileWidth = 0; // 0: strips
    uint32_t tileHeight = 0;
    const char* mode = "w"; // "wb" for big-endian
    int pages = 1;
};

// data: samples of the whole image in host order, width * height * samplesPerPixel * bits / 8 bytes.
bool writeWithLibtiff(const std::string& path, const TiffLayout& l, const void* data) {
    TIFF* tif = TIFFOpen(path.c_str(), l.mode);
    if (tif == nullptr)
        return false;
    const std::size_t pixelBytes = std::size_t{l.samplesPerPixel} * l.bitsPerSample / 8;
    const std::size_t rowBytes = l.width * pixelBytes;
    const auto* bytes = static_cast<const uint8_t*>(data);
    bool ok = true;
    for (int page = 0; page < l.pages && ok; ++page) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, l.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, l.height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bitsPerSample);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samplesPerPixel);
        TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, l.sampleFormat);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, l.compression);
        if (l.photometric == PHOTOMETRIC_PALETTE) {
            std::vector<uint16_t> map(std::size_t{1} << l.bitsPerSample, 0);
            TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data(), map.data());
        }
        if (l.tileWidth != 0) {
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, l.tileWidth);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, l.tileHeight);
            std::vector<uint8_t> tile(l.tileWidth * l.tileHeight * pixelBytes);
            for (uint32_t y = 0; y < l.height; y += l.tileHeight) {
                for (uint32_t x = 0; x < l.width; x += l.tileWidth) {
                    std::fill(tile.begin(), tile.end(), 0xEE);
                    for (uint32_t r = 0; r < l.tileHeight && y + r < l.height; ++r) {
                        const uint32_t columns = std::min(l.tileWidth, l.width - x);
                        std::memcpy(tile.data() + r * l.tileWidth * pixelBytes,
                                    bytes + (y + r) * rowBytes + x * pixelBytes, columns * pixelBytes);
                    }
                    ok = ok && TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, x, y, 0, 0), tile.data(),
                                                    static_cast<tmsize_t>(tile.size())) >= 0;
                }
            }
        } else {
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, l.rowsPerStrip);
            for (uint32_t s = 0; s * l.rowsPerStrip < l.height; ++s) {
                const uint32_t rows = std::min(l.rowsPerStrip, l.height - s * l.rowsPerStrip);
                std::vector<uint8_t> strip(bytes + s * l.rowsPerStrip * rowBytes,
                                           bytes + (s * l.rowsPerStrip + rows) * rowBytes);
                ok = ok &&
                     TIFFWriteEncodedStrip(tif, s, strip.data(), static_cast<tmsize_t>(strip.size())) >= 0;
            }
        }
        ok = ok && TIFFWriteDirectory(tif) == 1;
    }
    TIFFClose(tif);
    return ok;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A minimal little-endian 8-bit grey TIFF assembled byte by byte, so that dimensions libtiff
// would refuse to write (zero) can still be put on disk. Pixel data is width * height bytes of 0x5A.
std::vector<uint8_t> handMadeTiff(uint32_t width, uint32_t height) {
    std::vector<uint8_t> b{'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.push_back((v >> (8 * i)) & 0xFF);
    };
    const uint16_t entries = 9;
    put(entries, 2);
    const uint32_t dataOffset = 8 + 2 + entries * 12 + 4;
    const uint32_t tags[entries][3] = {{256, 4, width}, {257, 4, height}, {258, 3, 8},
                                       {259, 3, 1},     {262, 3, 1},      {273, 4, dataOffset},
                                       {277, 3, 1},     {278, 4, height}, {279, 4, width * height}};
    for (const auto& [tag, type, value] : tags) {
        put(tag, 2);
        put(type, 2);
        put(1, 4);
        put(type == 3 ? value & 0xFFFF : value, 4);
    }
    put(0, 4);
    b.insert(b.end(), std::size_t{width} * height, 0x5A);
    return b;
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TEST(ImageFileWrite, ReadsBackUnchangedInHostOrder) {
    // The last is 1.2 MB per row: wider than a strip, so one row each.
    const std::tuple<uint32_t, uint32_t, int32_t> images[] = {{123, 45, 8}, {77, 31, 16}, {600000, 3, 16}};
    const TemporaryDirectory dir;
    for (const auto& [width, height, bits] : images) {
        const auto samples = pattern(width, height, bits);
        ASSERT_EQ(ImageFile_Write(dir.file("a.tiff").c_str(), samples.data(), int32_t(width), int32_t(height),
                                  bits, 1),
                  0);
        const ReadResult r(dir.file("a.tiff"));
        EXPECT_EQ(std::tuple(r.width, r.height, r.bits, r.samplesPerPixel),
                  std::tuple(int32_t(width), int32_t(height), bits, 1));
        EXPECT_TRUE(r.bytes() == samples) << width;
    }
}

TEST(ImageFileWrite, CoefficientSizedImageIsUncompressedMinIsBlack) {
    // The shading upload writes 8192 x 4096 single bytes holding 16-bit coefficients.
    const TemporaryDirectory dir;
    const auto samples = pattern(8192, 4096, 8);
    ASSERT_EQ(ImageFile_Write(dir.file("coef.tiff").c_str(), samples.data(), 8192, 4096, 8, 1), 0);
    {
        const TiffHandle tif(TIFFOpen(dir.file("coef.tiff").c_str(), "r"));
        ASSERT_NE(tif, nullptr);
        uint16_t compression = 0, photometric = 0;
        TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &compression);
        TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
        EXPECT_EQ(compression, COMPRESSION_NONE);
        EXPECT_EQ(photometric, PHOTOMETRIC_MINISBLACK);
    }
    EXPECT_TRUE(ReadResult(dir.file("coef.tiff")).bytes() == samples);
}

TEST(ImageFileWrite, ReplacesAnExistingFile) {
    const TemporaryDirectory dir;
    ASSERT_EQ(ImageFile_Write(dir.file("x.tiff").c_str(), pattern(200, 200, 8).data(), 200, 200, 8, 1), 0);
    ASSERT_EQ(ImageFile_Write(dir.file("x.tiff").c_str(), pattern(10, 10, 8).data(), 10, 10, 8, 1), 0);
    const ReadResult r(dir.file("x.tiff"));
    EXPECT_EQ(r.width, 10);
    EXPECT_EQ(r.bytes(), pattern(10, 10, 8));
}

TEST(ImageFileWrite, RefusesLayoutsItCannotWriteWithoutPrinting) {
    const TemporaryDirectory dir;
    const auto samples = pattern(8, 8, 16);
    const std::string path = dir.file("bad.tiff");
    const std::tuple<int32_t, int32_t, int32_t, int32_t> layouts[] = {
        {0, 8, 8, 1}, {8, 0, 8, 1}, {-8, 8, 8, 1}, {8, 8, 12, 1}, {8, 8, 32, 1}, {8, 8, 8, 3}, {8, 8, 8, 0}};
    for (const auto& [width, height, bits, spp] : layouts)
        EXPECT_NE(ImageFile_Write(path.c_str(), samples.data(), width, height, bits, spp), 0)
            << width << height << bits << spp;
    EXPECT_NE(ImageFile_Write(path.c_str(), nullptr, 8, 8, 8, 1), 0);
    EXPECT_NE(ImageFile_Write(nullptr, samples.data(), 8, 8, 8, 1), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    testing::internal::CaptureStderr();
    EXPECT_NE(ImageFile_Write("/nonexistent-dir/x.tiff", samples.data(), 8, 8, 8, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// Every layout libtiff can write in single-sample 8/16-bit grey reads back sample for sample.
TEST(ImageFileRead, ReadsTheSamplesLibtiffWrote) {
    const std::pair<const char*, TiffLayout> layouts[] = {
        {"tiled, partial edge tiles", {.width = 100, .height = 70, .tileWidth = 32, .tileHeight = 16}},
        {"lzw 16", {.bitsPerSample = 16, .compression = COMPRESSION_LZW}},
        {"strips not dividing the height", {.height = 47, .rowsPerStrip = 5}},
        {"big-endian into host order", {.bitsPerSample = 16, .mode = "wb"}},
        {"first page of several", {.pages = 3}},
        {"untyped samples", {.sampleFormat = SAMPLEFORMAT_VOID}},
    };
    const TemporaryDirectory dir;
    for (const auto& [name, l] : layouts) {
        const auto samples = pattern(l.width, l.height, l.bitsPerSample);
        ASSERT_TRUE(writeWithLibtiff(dir.file("t.tiff"), l, samples.data())) << name;
        const ReadResult r(dir.file("t.tiff"));
        EXPECT_EQ(std::tuple(r.width, r.height, r.bits, r.samplesPerPixel),
                  std::tuple(int32_t(l.width), int32_t(l.height), int32_t(l.bitsPerSample), 1))
            << name;
        EXPECT_TRUE(r.bytes() == samples) << name;
    }
    writeBytes(dir.file("h.tiff"), handMadeTiff(3, 2));
    const ReadResult r(dir.file("h.tiff"));
    EXPECT_EQ(std::pair(r.width, r.height), std::pair(3, 2));
    EXPECT_EQ(r.bytes(), std::vector<uint8_t>(6, 0x5A));
    ImageFile_Release(nullptr);
}

// Reads and checks the failure contract: 0, outputs untouched, nothing printed.
void expectRefused(const std::string& path, const char* what) {
    void* samples = reinterpret_cast<void*>(0x1);
    int32_t width = -7, height = -7, bits = -7, spp = -7;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ImageFile_Read(path.c_str(), &samples, &width, &height, &bits, &spp), 0) << what;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << what;
    EXPECT_EQ(samples, reinterpret_cast<void*>(0x1)) << what;
    EXPECT_EQ(std::tuple(width, height, bits, spp), std::tuple(-7, -7, -7, -7)) << what;
}

// Only single-sample grey of 8 or 16 unsigned bits, black at zero, is read.
TEST(ImageFileRefusal, LayoutsOtherThanUnsignedGrey) {
    const std::pair<const char*, TiffLayout> layouts[] = {
        {"rgb", {.samplesPerPixel = 3, .photometric = PHOTOMETRIC_RGB}},
        {"grey with alpha", {.samplesPerPixel = 2}},
        {"32-bit", {.bitsPerSample = 32}},
        {"signed 16-bit", {.bitsPerSample = 16, .sampleFormat = SAMPLEFORMAT_INT}},
        {"palette", {.photometric = PHOTOMETRIC_PALETTE}},
        {"min is white", {.photometric = PHOTOMETRIC_MINISWHITE}},
        {"1-bit", {.bitsPerSample = 1}},
        {"12-bit", {.bitsPerSample = 12}},
    };
    const TemporaryDirectory dir;
    for (const auto& [name, l] : layouts) {
        const std::vector<uint8_t> data(
            std::size_t{l.width} * l.height * l.samplesPerPixel * l.bitsPerSample / 8 + 16, 0x33);
        ASSERT_TRUE(writeWithLibtiff(dir.file("r.tiff"), l, data.data())) << name;
        expectRefused(dir.file("r.tiff"), name);
    }
}

TEST(ImageFileRefusal, DamagedMissingAndForeignFilesAndNullArguments) {
    const TemporaryDirectory dir;
    auto cut = handMadeTiff(64, 64);
    cut.resize(cut.size() - 100);
    const std::pair<const char*, std::vector<uint8_t>> files[] = {
        {"zero width", handMadeTiff(0, 4)},
        {"zero height", handMadeTiff(4, 0)},
        {"empty", {}},
        {"png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}},
        {"pixel data cut off", cut},
    };
    for (const auto& [name, bytes] : files) {
        writeBytes(dir.file(name), bytes);
        expectRefused(dir.file(name), name);
    }
    expectRefused(dir.file("missing.tiff"), "missing");
    expectRefused("", "no name");
    TiffLayout lzw;
    lzw.compression = COMPRESSION_LZW;
    ASSERT_TRUE(writeWithLibtiff(dir.file("lzw.tiff"), lzw, pattern(lzw.width, lzw.height, 8).data()));
    std::filesystem::resize_file(dir.file("lzw.tiff"), std::filesystem::file_size(dir.file("lzw.tiff")) / 2);
    expectRefused(dir.file("lzw.tiff"), "truncated compressed");

    void* samples = nullptr;
    int32_t width = 0, height = 0, bits = 0, spp = 0;
    EXPECT_EQ(ImageFile_Read(nullptr, &samples, &width, &height, &bits, &spp), 0);
    ASSERT_EQ(ImageFile_Write(dir.file("ok.tiff").c_str(), pattern(4, 4, 8).data(), 4, 4, 8, 1), 0);
    EXPECT_EQ(ImageFile_Read(dir.file("ok.tiff").c_str(), nullptr, &width, &height, &bits, &spp), 0);
    EXPECT_EQ(ImageFile_Read(dir.file("ok.tiff").c_str(), &samples, &width, &height, &bits, nullptr), 0);
}

} // namespace
} // namespace kestrel::regiort::test
