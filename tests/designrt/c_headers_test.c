/* Proves that the library headers are valid C and usable from C: opens the built design image and
   round-trips a tiny image file. Exit status 0 on success. */
#include "designrt.h"
#include "regiort.h"

#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    unsigned char pixels[6] = {1, 2, 3, 4, 5, 6};
    void* samples = NULL;
    int32_t width = 0, height = 0, bits = 0, spp = 0, ok;
    char path[4096];
    void* image;

    if (argc != 3)
        return 2;
    image = DesignImage_OpenFile(argv[1], DESIGNRT_FORMAT_REVISION, DESIGNRT_OPEN_VERIFY);
    ok = DesignImage_GetRegisterId(image, DesignImage_GetRegisterName(image, 1)) != 0 &&
         DesignImage_GetProperty(image, 0) != NULL;
    DesignImage_Close(image);

    snprintf(path, sizeof path, "%s/c-headers-test.tiff", argv[2]);
    ok = ok && ImageFile_Write(path, pixels, 3, 2, 8, 1) == 0 &&
         ImageFile_Read(path, &samples, &width, &height, &bits, &spp) != 0 && width == 3 && height == 2 &&
         bits == 8 && spp == 1 && memcmp(samples, pixels, sizeof pixels) == 0;
    ImageFile_Release(samples);
    remove(path);
    if (!ok)
        fprintf(stderr, "the libraries answered wrongly through their C headers\n");
    return ok ? 0 : 1;
}
