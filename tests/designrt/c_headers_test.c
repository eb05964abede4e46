/* Proves that the library headers are valid C and usable from C: opens the built design image and
   round-trips a tiny image file. Exit status 0 on success. */
#include "designrt.h"
#include "regiort.h"

#include <stdio.h>
#include <string.h>

static int check(int condition, const char* what) {
    if (!condition)
        fprintf(stderr, "failed: %s\n", what);
    return condition ? 0 : 1;
}

int main(int argc, char** argv) {
    int failures = 0;
    void* image;
    const void* record;
    const char* name;
    unsigned char pixels[6] = {1, 2, 3, 4, 5, 6};
    void* samples = NULL;
    int32_t width = 0, height = 0, bits = 0, spp = 0;
    char path[4096];

    if (argc != 3)
        return 2;
    image = DesignImage_OpenFile(argv[1], DESIGNRT_FORMAT_REVISION, DESIGNRT_OPEN_VERIFY);
    failures += check(image != NULL, "open design image");
    failures += check(DesignImage_GetRegisterCount(image) > 0, "register count");
    name = DesignImage_GetRegisterName(image, 1);
    failures += check(name != NULL && DesignImage_GetRegisterId(image, name) != 0, "first register");
    record = DesignImage_GetProperty(image, 0);
    failures += check(record != NULL && *(const int32_t*)((const char*)record + 20) == 1, "first event");
    DesignImage_Close(image);

    snprintf(path, sizeof path, "%s/c-headers-test.tiff", argv[2]);
    failures += check(ImageFile_Write(path, pixels, 3, 2, 8, 1) == 0, "write image file");
    failures += check(ImageFile_Read(path, &samples, &width, &height, &bits, &spp) != 0, "read image file");
    failures += check(width == 3 && height == 2 && bits == 8 && spp == 1, "image size");
    failures += check(samples != NULL && memcmp(samples, pixels, sizeof pixels) == 0, "image samples");
    ImageFile_Release(samples);
    remove(path);
    return failures == 0 ? 0 : 1;
}
