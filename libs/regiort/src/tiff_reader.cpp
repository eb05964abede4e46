// Reads single-sample 8- and 16-bit grey TIFF images, stripped or tiled, in any compression libtiff
// decodes.
#include "tiff_reader.h"

#include "tiff_file.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <tiffio.h>
#include <vector>

namespace kestrel::regiort {
namespace {

struct Layout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitsPerSample = 0;
    std::size_t rowBytes = 0;
    std::size_t imageBytes = 0;
};

std::optional<Layout> readLayout(TIFF* tif) {
    Layout l;
    uint16_t samplesPerPixel = 0;
    uint16_t sampleFormat = 0;
    uint16_t photometric = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height) ||
        !TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bitsPerSample) ||
        !TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel) ||
        !TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &sampleFormat) ||
        !TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        return std::nullopt;
    if (samplesPerPixel != 1 || (l.bitsPerSample != 8 && l.bitsPerSample != 16))
        return std::nullopt;
    // Only plain grey levels: a min-is-white or palette image would need its values mapped first.
    if (photometric != PHOTOMETRIC_MINISBLACK ||
        (sampleFormat != SAMPLEFORMAT_UINT && sampleFormat != SAMPLEFORMAT_VOID))
        return std::nullopt;
    constexpr auto kMaxDimension = static_cast<uint32_t>(std::numeric_limits<int32_t>::max());
    if (l.width == 0 || l.height == 0 || l.width > kMaxDimension || l.height > kMaxDimension)
        return std::nullopt;
    const uint64_t rowBytes = uint64_t{l.width} * (l.bitsPerSample / 8);
    const uint64_t imageBytes = rowBytes * l.height;
    if (imageBytes > kMaxImageBytes || static_cast<uint64_t>(TIFFScanlineSize64(tif)) != rowBytes)
        return std::nullopt;
    l.rowBytes = static_cast<std::size_t>(rowBytes);
    l.imageBytes = static_cast<std::size_t>(imageBytes);
    return l;
}

// Whether each of the first `count` strips or tiles has data of its own and all together claim no
// more bytes than the file holds. Anything else is damage (libtiff would make up a strip without
// data as zeros), and refusing it up front spares a hostile header's thousands of reads of the
// same few bytes.
bool dataWithinFile(TIFF* tif, uint32_t count) {
    const uint64_t fileBytes = TIFFGetSizeProc(tif)(TIFFClientdata(tif));
    uint64_t claimed = 0;
    for (uint32_t i = 0; i < count && claimed <= fileBytes; ++i) {
        const uint64_t bytes = TIFFGetStrileByteCount(tif, i);
        if (bytes == 0)
            return false;
        claimed += bytes;
    }
    return claimed <= fileBytes;
}

// Strips decode straight into the destination: no staging copy for the common case.
bool readStrips(TIFF* tif, const Layout& l, std::byte* out) {
    uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = rowsPerStrip == 0 ? l.height : std::min(rowsPerStrip, l.height);
    const uint32_t strips = (l.height - 1) / rowsPerStrip + 1;
    if (TIFFNumberOfStrips(tif) < strips || !dataWithinFile(tif, strips))
        return false;
    for (uint32_t s = 0; s < strips; ++s) {
        const uint32_t firstRow = s * rowsPerStrip;
        const uint32_t rows = std::min(rowsPerStrip, l.height - firstRow);
        const auto bytes = static_cast<tmsize_t>(rows * l.rowBytes);
        if (TIFFReadEncodedStrip(tif, s, out + firstRow * l.rowBytes, bytes) != bytes)
            return false;
    }
    return true;
}

// Tiles overhang the right and bottom edges; only their inside part is copied.
bool readTiles(TIFF* tif, const Layout& l, std::byte* out) {
    uint32_t tileWidth = 0;
    uint32_t tileHeight = 0;
    if (!TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth) ||
        !TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight) || tileWidth == 0 || tileHeight == 0)
        return false;
    const std::size_t bytesPerSample = l.bitsPerSample / 8;
    const uint64_t tileRowBytes = uint64_t{tileWidth} * bytesPerSample;
    const uint64_t tileBytes = tileRowBytes * tileHeight;
    if (tileBytes > kMaxImageBytes || static_cast<uint64_t>(TIFFTileSize64(tif)) != tileBytes)
        return false;
    if (!dataWithinFile(tif, TIFFNumberOfTiles(tif)))
        return false;
    std::vector<std::byte> tile(static_cast<std::size_t>(tileBytes));
    for (uint32_t y = 0; y < l.height; y += tileHeight) {
        for (uint32_t x = 0; x < l.width; x += tileWidth) {
            const auto read = TIFFReadEncodedTile(tif, TIFFComputeTile(tif, x, y, 0, 0), tile.data(),
                                                  static_cast<tmsize_t>(tileBytes));
            if (read != static_cast<tmsize_t>(tileBytes))
                return false;
            const std::size_t rows = std::min(tileHeight, l.height - y);
            const std::size_t columnBytes = std::min(tileWidth, l.width - x) * bytesPerSample;
            for (std::size_t r = 0; r < rows; ++r)
                std::memcpy(out + (y + r) * l.rowBytes + x * bytesPerSample,
                            tile.data() + r * static_cast<std::size_t>(tileRowBytes), columnBytes);
        }
    }
    return true;
}

} // namespace

std::optional<SampleImage> readTiff(const char* path) {
    if (path == nullptr)
        return std::nullopt;
    const TiffPtr tif = openTiff(path, "rm");
    if (!tif)
        return std::nullopt;
    const auto layout = readLayout(tif.get());
    if (!layout)
        return std::nullopt;

    SampleImage image;
    image.samples.reset(static_cast<std::byte*>(memory::reserveHugePageBlock(layout->imageBytes)));
    if (!image.samples)
        return std::nullopt;
    const bool ok = TIFFIsTiled(tif.get()) ? readTiles(tif.get(), *layout, image.samples.get())
                                           : readStrips(tif.get(), *layout, image.samples.get());
    if (!ok)
        return std::nullopt;
    image.width = layout->width;
    image.height = layout->height;
    image.bitsPerSample = layout->bitsPerSample;
    return image;
}

} // namespace kestrel::regiort
