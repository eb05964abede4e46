/* libregiort: single-sample 8- and 16-bit image files (TIFF). */
#ifndef KESTREL_REGIORT_H
#define KESTREL_REGIORT_H

#include <stdint.h>

#if defined(__GNUC__)
#define REGIORT_API __attribute__((visibility("default")))
#else
#define REGIORT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Writes an uncompressed grey TIFF (min-is-black, in strips of about 1 MiB). samples: width x
   height row-major samples of bitsPerSample (8 or 16) bits, 16-bit samples in host byte order;
   samplesPerPixel must be 1; width and height at least 1. An existing file is replaced. Returns 0
   on success, non-zero on failure; a partly written file is removed. The buffer is only read. */
REGIORT_API int32_t ImageFile_Write(const char* path, const void* samples, int32_t width, int32_t height,
                                    int32_t bitsPerSample, int32_t samplesPerPixel);
/* Reads the first image of a TIFF file: one unsigned sample per pixel of 8 or 16 bits, min-is-black,
   in strips or tiles and any compression libtiff decodes. 16-bit samples come in host byte order.
   Returns non-zero on success; *samples is then owned by the caller and released with
   ImageFile_Release. Returns 0 (outputs untouched) on failure: missing or damaged file, zero size,
   or any other layout (several samples, palette, min-is-white, signed, floating point, other
   depths). Never prints. */
REGIORT_API int32_t ImageFile_Read(const char* path, void** samples, int32_t* width, int32_t* height,
                                   int32_t* bitsPerSample, int32_t* samplesPerPixel);
/* Frees a buffer from ImageFile_Read; NULL is ignored. */
REGIORT_API void ImageFile_Release(void* samples);

#ifdef __cplusplus
}
#endif

#endif
