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

#include "test_system.h"

namespace kestrel::regiort::test {
namespace {

// Paths in the temporary folder, apart for each process so that tests may run side by side, and
// removed when the process ends.
std::string prefix() {
    return "regiort-" + std::to_string(kestrel::test::processId()) + "-";
}
std::string file(const char* name) {
    return testing::TempDir() + prefix() + name;
}
const struct Sweep {
    ~Sweep() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(testing::TempDir(), ignored))
            if (entry.path().filename().string().starts_with(prefix()))
                std::filesystem::remove(entry.path(), ignored);
    }
} sweep;

// Samples of `bits` 8 or 16 in host order: every byte differs from its neighbours, so that the two
// halves of a 16-bit sample differ too and a swapped or shifted sample shows.
std::vector<uint8_t> pattern(uint32_t width, uint32_t height, int bits) {
    std::vector<uint8_t> bytes(std::size_t{width} * height * static_cast<std::size_t>(bits / 8));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 509);
    return bytes;
}

// The outputs of one ImageFile_Read, the samples copied out and released.
struct ReadResult {
    int32_t width = -1, height = -1, bits = -1, samplesPerPixel = -1;
    std::vector<uint8_t> samples;
};
ReadResult read(const std::string& path) {
    ReadResult r;
    void* samples = nullptr;
    if (ImageFile_Read(path.c_str(), &samples, &r.width, &r.height, &r.bits, &r.samplesPerPixel) != 0) {
        const auto* begin = static_cast<const uint8_t*>(samples);
        r.samples.assign(begin, begin + std::size_t(r.width) * r.height * r.bits / 8);
    }
    ImageFile_Release(samples);
    return r;
}

// A TIFF layout written straight through libtiff, to feed the reader files it did not write.
struct TiffLayout {
    uint32_t width = 64;
    uint32_t height = 48;
    uint16_t bitsPerSample = 8;
    uint16_t samplesPerPixel = 1;
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    uint32_t rowsPerStrip = 16;
    uint32_t tileWidth = 0; // 0: strips
    uint32_t tileHeight = 0;
    const char* mode = "w"; // "wb" for big-endian
};

// data: samples of the whole image in host order, width * height * samplesPerPixel * bits / 8 bytes.
bool writeWithLibtiff(const std::string& path, const TiffLayout& l, const void* data) {
    TIFF* tif = TIFFOpen(path.c_str(), l.mode);
    if (tif == nullptr)
        return false;
    const std::size_t pixelBytes = std::size_t{l.samplesPerPixel} * l.bitsPerSample / 8;
    // Rows of 12-bit samples pack them, so a row is counted in bits.
    const std::size_t rowBytes = (std::size_t{l.width} * l.samplesPerPixel * l.bitsPerSample + 7) / 8;
    const auto* bytes = static_cast<const uint8_t*>(data);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, l.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, l.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samplesPerPixel);
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, l.sampleFormat);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    bool ok = true;
    if (l.tileWidth != 0) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, l.tileWidth);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, l.tileHeight);
        std::vector<uint8_t> tile(l.tileWidth * l.tileHeight * pixelBytes);
        for (uint32_t y = 0; y < l.height; y += l.tileHeight)
            for (uint32_t x = 0; x < l.width; x += l.tileWidth) {
                std::fill(tile.begin(), tile.end(), 0xEE);
                for (uint32_t r = 0; r < l.tileHeight && y + r < l.height; ++r)
                    std::memcpy(tile.data() + r * l.tileWidth * pixelBytes,
                                bytes + (y + r) * rowBytes + x * pixelBytes,
                                std::min(l.tileWidth, l.width - x) * pixelBytes);
                ok = ok && TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, x, y, 0, 0), tile.data(),
                                                static_cast<tmsize_t>(tile.size())) >= 0;
            }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, l.rowsPerStrip);
        std::vector<uint8_t> row(rowBytes);
        for (uint32_t y = 0; y < l.height; ++y) {
            std::memcpy(row.data(), bytes + y * rowBytes, rowBytes);
            ok = ok && TIFFWriteScanline(tif, row.data(), y, 0) == 1;
        }
    }
    ok = ok && TIFFWriteDirectory(tif) == 1;
    TIFFClose(tif);
    return ok;
}

TEST(ImageFileWrite, ReadsBackUnchangedInHostOrder) {
    // The third is 1.2 MB per row: wider than a strip, so one row each. The last, 9 MB, is read
    // into a block of whole huge pages.
    const std::tuple<uint32_t, uint32_t, int32_t> images[] = {
        {123, 45, 8}, {77, 31, 16}, {600000, 3, 16}, {3001, 1500, 16}};
    for (const auto& [width, height, bits] : images) {
        const auto samples = pattern(width, height, bits);
        ASSERT_EQ(
            ImageFile_Write(file("a.tiff").c_str(), samples.data(), int32_t(width), int32_t(height), bits, 1),
            0);
        const ReadResult r = read(file("a.tiff"));
        EXPECT_EQ(std::tuple(r.width, r.height, r.bits, r.samplesPerPixel),
                  std::tuple(int32_t(width), int32_t(height), bits, 1));
        EXPECT_TRUE(r.samples == samples) << width;
    }
}

TEST(ImageFileWrite, RefusesLayoutsItCannotWriteWithoutPrinting) {
    const auto samples = pattern(8, 8, 16);
    const std::string path = file("bad.tiff");
    const std::tuple<int32_t, int32_t, int32_t, int32_t> layouts[] = {
        {0, 8, 8, 1}, {-8, 8, 8, 1}, {8, 8, 12, 1}, {8, 8, 8, 3}};
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

// Layouts other programs write in single-sample 8/16-bit grey read back sample for sample.
TEST(ImageFileRead, ReadsTheSamplesLibtiffWrote) {
    const std::pair<const char*, TiffLayout> layouts[] = {
        {"tiled, partial edge tiles", {.width = 100, .height = 70, .tileWidth = 32, .tileHeight = 16}},
        {"strips not dividing the height", {.height = 47, .rowsPerStrip = 5}},
        {"big-endian into host order", {.bitsPerSample = 16, .mode = "wb"}},
        {"untyped samples", {.sampleFormat = SAMPLEFORMAT_VOID}},
    };
    for (const auto& [name, l] : layouts) {
        const auto samples = pattern(l.width, l.height, l.bitsPerSample);
        ASSERT_TRUE(writeWithLibtiff(file("t.tiff"), l, samples.data())) << name;
        const ReadResult r = read(file("t.tiff"));
        EXPECT_EQ(std::tuple(r.width, r.height, r.bits, r.samplesPerPixel),
                  std::tuple(int32_t(l.width), int32_t(l.height), int32_t(l.bitsPerSample), 1))
            << name;
        EXPECT_TRUE(r.samples == samples) << name;
    }
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
        {"signed 16-bit", {.bitsPerSample = 16, .sampleFormat = SAMPLEFORMAT_INT}},
        {"min is white", {.photometric = PHOTOMETRIC_MINISWHITE}},
        {"12-bit", {.bitsPerSample = 12}},
    };
    for (const auto& [name, l] : layouts) {
        const std::vector<uint8_t> data(
            std::size_t{l.width} * l.height * l.samplesPerPixel * l.bitsPerSample / 8 + 16, 0x33);
        ASSERT_TRUE(writeWithLibtiff(file("r.tiff"), l, data.data())) << name;
        expectRefused(file("r.tiff"), name);
    }
}

TEST(ImageFileRefusal, DamagedMissingAndForeignFilesAndNullArguments) {
    std::ofstream(file("png"), std::ios::binary) << "\x89PNG\r\n\x1a\n";
    std::ofstream(file("empty"), std::ios::binary).flush();
    for (const char* name : {"png", "empty", "missing"})
        expectRefused(file(name), name);
    expectRefused("", "no name");
    const TiffLayout plain;
    ASSERT_TRUE(writeWithLibtiff(file("cut.tiff"), plain, pattern(plain.width, plain.height, 8).data()));
    std::filesystem::resize_file(file("cut.tiff"), std::filesystem::file_size(file("cut.tiff")) / 2);
    expectRefused(file("cut.tiff"), "pixel data cut off");
    // A directory whose strips were never written: libtiff would make up an image of zeros.
    TIFF* sparse = TIFFOpen(file("sparse.tiff").c_str(), "w");
    for (const auto& [tag, value] : {std::pair{TIFFTAG_IMAGEWIDTH, 8},
                                     {TIFFTAG_IMAGELENGTH, 8},
                                     {TIFFTAG_BITSPERSAMPLE, 8},
                                     {TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK},
                                     {TIFFTAG_ROWSPERSTRIP, 1}})
        TIFFSetField(sparse, tag, value);
    ASSERT_EQ(TIFFWriteDirectory(sparse), 1);
    TIFFClose(sparse);
    expectRefused(file("sparse.tiff"), "strips without data");

    void* samples = nullptr;
    int32_t width = 0, height = 0, bits = 0, spp = 0;
    EXPECT_EQ(ImageFile_Read(nullptr, &samples, &width, &height, &bits, &spp), 0);
    ASSERT_EQ(ImageFile_Write(file("ok.tiff").c_str(), pattern(4, 4, 8).data(), 4, 4, 8, 1), 0);
    EXPECT_EQ(ImageFile_Read(file("ok.tiff").c_str(), nullptr, &width, &height, &bits, &spp), 0);
    EXPECT_EQ(ImageFile_Read(file("ok.tiff").c_str(), &samples, &width, &height, &bits, nullptr), 0);
}

} // namespace
} // namespace kestrel::regiort::test
