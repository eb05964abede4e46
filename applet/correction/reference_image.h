// A shading reference image read from a file: 8- or 16-bit grey samples, released when it goes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

class ReferenceImage {
public:
    // No image (an empty file name).
    ReferenceImage() = default;
    // Reads `path`; raises kErrFileRead when the file cannot be read or is not one sample per
    // pixel of 8 or 16 bits.
    explicit ReferenceImage(const char* path);
    ~ReferenceImage();
    ReferenceImage(ReferenceImage&& other) noexcept;
    ReferenceImage& operator=(ReferenceImage&& other) noexcept;
    ReferenceImage(const ReferenceImage&) = delete;
    ReferenceImage& operator=(const ReferenceImage&) = delete;

    bool exists() const { return samples_ != nullptr; }
    // Rows of width samples, uint8_t or uint16_t by bits().
    const void* samples() const { return samples_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t bits() const { return bits_; }
    // 2^bits - 1.
    uint32_t maxValue() const { return (1u << bits_) - 1u; }
    // Sample (x, y) with row stride width.
    uint32_t at(int32_t x, int32_t y) const {
        const std::size_t index =
            static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
        return bits_ == 8 ? static_cast<const uint8_t*>(samples_)[index]
                          : static_cast<const uint16_t*>(samples_)[index];
    }

private:
    void release();

    void* samples_ = nullptr; // owned; from ImageFile_Read
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t bits_ = 0;
};

} // namespace kestrel
