// The C functions of libregiort: argument checks and the mapping of results; TIFF work lives in
// the reader and the writer.
#include "regiort.h"

#include "tiff_reader.h"
#include "tiff_writer.h"

using kestrel::regiort::SampleImageView;

extern "C" {

REGIORT_API int32_t ImageFile_Write(const char* path, const void* samples, int32_t width, int32_t height,
                                    int32_t bitsPerSample, int32_t samplesPerPixel) {
    if (width <= 0 || height <= 0 || samplesPerPixel != 1 || (bitsPerSample != 8 && bitsPerSample != 16))
        return 1;
    const SampleImageView image{samples, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                static_cast<uint16_t>(bitsPerSample)};
    try {
        return kestrel::regiort::writeTiff(path, image) ? 0 : 1;
    } catch (...) {
        return 1;
    }
}

REGIORT_API int32_t ImageFile_Read(const char* path, void** samples, int32_t* width, int32_t* height,
                                   int32_t* bitsPerSample, int32_t* samplesPerPixel) {
    if (samples == nullptr || width == nullptr || height == nullptr || bitsPerSample == nullptr ||
        samplesPerPixel == nullptr)
        return 0;
    try {
        auto image = kestrel::regiort::readTiff(path);
        if (!image)
            return 0;
        *width = static_cast<int32_t>(image->width);
        *height = static_cast<int32_t>(image->height);
        *bitsPerSample = image->bitsPerSample;
        *samplesPerPixel = 1;
        // Ownership passes to the caller, who hands it back to ImageFile_Release.
        *samples = image->samples.release();
        return 1;
    } catch (...) {
        return 0;
    }
}

REGIORT_API void ImageFile_Release(void* samples) {
    kestrel::memory::releaseHugePageBlock(samples);
}

} // extern "C"
