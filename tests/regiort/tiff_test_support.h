// Helpers of the image-file tests: temporary files, sample patterns, TIFFs of chosen layouts.
#ifndef KESTREL_TESTS_REGIORT_TIFF_TEST_SUPPORT_H
#define KESTREL_TESTS_REGIORT_TIFF_TEST_SUPPORT_H

#include "regiort.h"

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

// A pattern that differs in every sample of a row and between neighbouring rows.
inline std::vector<uint8_t> pattern8(uint32_t width, uint32_t height) {
    std::vector<uint8_t> s(std::size_t{width} * height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            s[std::size_t{y} * width + x] = static_cast<uint8_t>(x * 7 + y * 13);
    return s;
}

inline std::vector<uint16_t> pattern16(uint32_t width, uint32_t height) {
    std::vector<uint16_t> s(std::size_t{width} * height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            s[std::size_t{y} * width + x] = static_cast<uint16_t>(x * 257 + y * 31 + 0x8000);
    return s;
}

// The outputs of one ImageFile_Read, released when done.
struct ReadResult {
    int32_t ok = 0;
    void* samples = nullptr;
    int32_t width = -1;
    int32_t height = -1;
    int32_t bits = -1;
    int32_t samplesPerPixel = -1;

    explicit ReadResult(const std::string& path) {
        ok = ImageFile_Read(path.c_str(), &samples, &width, &height, &bits, &samplesPerPixel);
    }
    ~ReadResult() { ImageFile_Release(samples); }
    ReadResult(const ReadResult&) = delete;
    ReadResult& operator=(const ReadResult&) = delete;

    template <typename T> std::vector<T> as() const {
        std::vector<T> out(std::size_t(width) * height);
        std::memcpy(out.data(), samples, out.size() * sizeof(T));
        return out;
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
inline bool writeWithLibtiff(const std::string& path, const TiffLayout& l, const void* data) {
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

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A minimal little-endian 8-bit grey TIFF assembled byte by byte, so that dimensions libtiff
// would refuse to write (zero) can still be put on disk. Pixel data is width * height bytes of 0x5A.
inline std::vector<uint8_t> handMadeTiff(uint32_t width, uint32_t height) {
    std::vector<uint8_t> b{'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto put16 = [&](uint16_t v) {
        b.push_back(v & 0xFF);
        b.push_back(v >> 8);
    };
    const auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back((v >> (8 * i)) & 0xFF);
    };
    const uint16_t entries = 9;
    const uint32_t dataOffset = 8 + 2 + entries * 12 + 4;
    const auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        put16(tag);
        put16(type);
        put32(1);
        put32(type == 3 ? value & 0xFFFF : value);
    };
    put16(entries);
    entry(256, 4, width);
    entry(257, 4, height);
    entry(258, 3, 8);
    entry(259, 3, 1);
    entry(262, 3, 1);
    entry(273, 4, dataOffset);
    entry(277, 3, 1);
    entry(278, 4, height);
    entry(279, 4, width * height);
    put32(0);
    b.insert(b.end(), std::size_t{width} * height, 0x5A);
    return b;
}

} // namespace kestrel::regiort::test

#endif
