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

/* Writes an uncompressed image; samples are row-major, 16-bit samples in host byte order.
   Returns 0 on success, non-zero on failure. */
REGIORT_API int32_t ImageFile_Write(const char* path, const void* samples, int32_t width, int32_t height,
                                    int32_t bitsPerSample, int32_t samplesPerPixel);
/* Reads an 8- or 16-bit single-sample image. Returns non-zero on success; *samples is then owned
   by the caller and released with ImageFile_Release. Returns 0 (outputs untouched) on failure. */
REGIORT_API int32_t ImageFile_Read(const char* path, void** samples, int32_t* width, int32_t* height,
                                   int32_t* bitsPerSample, int32_t* samplesPerPixel);
REGIORT_API void ImageFile_Release(void* samples);

#ifdef __cplusplus
}
#endif

#endif
