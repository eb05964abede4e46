/* Test double of libregiort.so: no image files here. */
#include "fake_state.h"

FAKE_EXPORT int32_t ImageFile_Write(const char* path, const void* samples, int32_t width, int32_t height,
                                    int32_t bitsPerSample, int32_t samplesPerPixel) {
    return -1;
}

FAKE_EXPORT int32_t ImageFile_Read(const char* path, void** samples, int32_t* width, int32_t* height,
                                   int32_t* bitsPerSample, int32_t* samplesPerPixel) {
    return 0;
}

FAKE_EXPORT void ImageFile_Release(void* samples) {}
