// Reference images through the image-file library.
#include "correction/reference_image.h"

#include <utility>

#include "core/error_codes.h"
#include "regiort.h"

namespace kestrel {

ReferenceImage::ReferenceImage(const char* path) {
    void* samples = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bits = 0;
    int32_t samplesPerPixel = 0;
    if (ImageFile_Read(path, &samples, &width, &height, &bits, &samplesPerPixel) == 0)
        raise(kErrFileRead);
    samples_ = samples; // owned from here, so every refusal below releases it
    width_ = width;
    height_ = height;
    bits_ = bits;
    if (samplesPerPixel != 1 || (bits != 8 && bits != 16) || width <= 0 || height <= 0) {
        release();
        raise(kErrFileRead);
    }
}

ReferenceImage::~ReferenceImage() {
    release();
}

ReferenceImage::ReferenceImage(ReferenceImage&& other) noexcept
    : samples_(std::exchange(other.samples_, nullptr)), width_(other.width_), height_(other.height_),
      bits_(other.bits_) {}

ReferenceImage& ReferenceImage::operator=(ReferenceImage&& other) noexcept {
    if (this != &other) {
        release();
        samples_ = std::exchange(other.samples_, nullptr);
        width_ = other.width_;
        height_ = other.height_;
        bits_ = other.bits_;
    }
    return *this;
}

void ReferenceImage::release() {
    if (samples_ != nullptr)
        ImageFile_Release(samples_);
    samples_ = nullptr;
}

} // namespace kestrel
