// PNG references copied to TIFF through libpng and libregiort; TIFF references passed on as they are.
#include "reference_file.h"

#include "image_header.h"
#include "interrupt.h"

#include "regiort.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace kestrel::tool {
namespace {

// Far beyond the 4096 x 4096 the coefficients cover: a header claiming more is refused before
// anything is allocated.
constexpr uint32_t kMaxSide = 16384;

bool isPng(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    png_byte signature[8] = {};
    const bool png = std::fread(signature, 1, sizeof signature, file) == sizeof signature &&
                     png_sig_cmp(signature, 0, sizeof signature) == 0;
    std::fclose(file);
    return png;
}

} // namespace

ReferenceFile::ReferenceFile(const std::string& path, const std::string& keptAs) : appletPath_(path) {
    if (path.empty())
        return;
    if (!isPng(path)) {
        if (const auto header = readImageHeader(path)) {
            width_ = header->width;
            height_ = header->height;
            bits_ = header->bits;
        }
        return;
    }
    if (keptAs.empty()) {
        temporary_ = std::make_unique<TemporaryFile>(".tif");
        appletPath_ = temporary_->path();
    } else {
        appletPath_ = keptAs;
    }
    copyPng(path, appletPath_);
    converted_ = true;
}

// libpng's simplified reader turns any colour type to grey. It takes 8-bit files as sRGB and 16-bit
// ones as linear, so each is read in its own depth to keep the stored values as they are.
void ReferenceFile::copyPng(const std::string& path, const std::string& to) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0)
        throw std::runtime_error(path + ": not a PNG file libpng can read: " + png.message);
    if (png.width > kMaxSide || png.height > kMaxSide) {
        png_image_free(&png);
        throw std::runtime_error(path + ": " + std::to_string(png.width) + " x " +
                                 std::to_string(png.height) + " pixels; a reference has at most " +
                                 std::to_string(kMaxSide) + " a side");
    }
    const bool sixteenBit = (png.format & PNG_FORMAT_FLAG_LINEAR) != 0;
    png.format = sixteenBit ? PNG_FORMAT_LINEAR_Y : PNG_FORMAT_GRAY;
    const size_t bytes = PNG_IMAGE_SIZE(png);
    std::vector<uint8_t> samples(bytes);
    const bool read = png_image_finish_read(&png, nullptr, samples.data(), 0, nullptr) != 0;
    const std::string message = png.message;
    png_image_free(&png);
    if (!read)
        throw std::runtime_error(path + ": " + message);
    width_ = int32_t(png.width);
    height_ = int32_t(png.height);
    bits_ = sixteenBit ? 16 : 8;
    errno = 0;
    const RemovedOnForcedStop inWork(to);
    if (ImageFile_Write(to.c_str(), samples.data(), width_, height_, bits_, 1) != 0)
        throw std::runtime_error("cannot write " + to + ", the TIFF copy of " + path + ": " +
                                 (errno != 0 ? osReason(errno) : std::string("write failed")));
}

} // namespace kestrel::tool
