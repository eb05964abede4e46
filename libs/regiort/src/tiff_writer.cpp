// Writes single-sample 8- and 16-bit grey images as uncompressed TIFF.
#include "tiff_writer.h"

#include "tiff_file.h"

#include <algorithm>
#include <cstdio>
#include <tiffio.h>

namespace kestrel::regiort {
namespace {

bool writeAll(TIFF* tif, const SampleImageView& image) {
    const std::size_t rowBytes = std::size_t{image.width} * (image.bitsPerSample / 8);
    const auto rowsPerStrip =
        static_cast<uint32_t>(std::clamp<std::size_t>(kStripTargetBytes / rowBytes, 1, image.height));
    if (!TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, image.width) ||
        !TIFFSetField(tif, TIFFTAG_IMAGELENGTH, image.height) ||
        !TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, image.bitsPerSample) ||
        !TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1) ||
        !TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT) ||
        !TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) ||
        !TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) ||
        !TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE) ||
        !TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip))
        return false;

    // The file takes the host's byte order, so uncompressed samples go out unchanged as raw
    // strips: one write per strip, no encoder copy. libtiff only reads the buffer here.
    auto* samples = static_cast<std::byte*>(const_cast<void*>(image.samples));
    const uint32_t strips = (image.height - 1) / rowsPerStrip + 1;
    for (uint32_t s = 0; s < strips; ++s) {
        const uint32_t firstRow = s * rowsPerStrip;
        const uint32_t rows = std::min(rowsPerStrip, image.height - firstRow);
        const auto bytes = static_cast<tmsize_t>(rows * rowBytes);
        if (TIFFWriteRawStrip(tif, s, samples + firstRow * rowBytes, bytes) != bytes)
            return false;
    }
    return TIFFFlush(tif) == 1;
}

} // namespace

bool writeTiff(const char* path, const SampleImageView& image) {
    if (path == nullptr || image.samples == nullptr || image.width == 0 || image.height == 0 ||
        (image.bitsPerSample != 8 && image.bitsPerSample != 16))
        return false;
    const uint64_t imageBytes = uint64_t{image.width} * image.height * (image.bitsPerSample / 8);
    // Classic TIFF addresses 4 GiB; leave room for the directory and go to BigTIFF beyond.
    const char* mode = imageBytes < (uint64_t{0xF} << 28) ? "w" : "w8";

    bool ok = false;
    {
        const TiffPtr tif = openTiff(path, mode);
        if (!tif)
            return false;
        ok = writeAll(tif.get(), image);
    }
    if (!ok)
        std::remove(path);
    return ok;
}

} // namespace kestrel::regiort
