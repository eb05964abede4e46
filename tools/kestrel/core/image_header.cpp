#include "image_header.h"

#include "regiort.h"

#include <png.h>

namespace kestrel::tool {

std::optional<ImageHeader> readImageHeader(const std::string& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) != 0) {
        const ImageHeader header{int32_t(png.width), int32_t(png.height),
                                 (png.format & PNG_FORMAT_FLAG_LINEAR) != 0 ? 16 : 8, true};
        png_image_free(&png);
        return header;
    }
    ImageHeader header;
    void* samples = nullptr;
    int32_t perPixel = 0;
    if (ImageFile_Read(path.c_str(), &samples, &header.width, &header.height, &header.bits, &perPixel) == 0)
        return std::nullopt;
    ImageFile_Release(samples);
    return header;
}

} // namespace kestrel::tool
