// The virtual camera showing images the application attached instead of its built-in scene.
#pragma once

#include "pipeline/frame_source.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kestrel::board {

// Images of one size, kept at 16-bit full scale whatever depth their files had, so that the
// camera's bit depth can change between acquisitions without reloading them.
class CameraImages {
public:
    // Throws std::invalid_argument for a zero size or image count, or a sample count that is not
    // width x height x count.
    CameraImages(uint32_t widthPixels, uint32_t heightLines, std::vector<uint16_t> samples);

    uint32_t widthPixels() const { return width_; }
    uint32_t heightLines() const { return height_; }
    uint32_t imageCount() const { return count_; }
    const uint16_t* image(uint32_t index) const { return samples_.data() + size_t{index} * width_ * height_; }

private:
    uint32_t width_;
    uint32_t height_;
    uint32_t count_;
    std::vector<uint16_t> samples_;
};

// Frame n shows image n mod count, quantised to the camera's bit depth (its top bits) and handed
// on as a 12-bit sample, as a real camera of that depth would.
class ImageSequenceSource final : public FrameSource {
public:
    // Throws std::invalid_argument for missing images or a bit depth other than 8, 10 or 12.
    ImageSequenceSource(std::shared_ptr<const CameraImages> images, uint32_t bitDepth);

    const std::shared_ptr<const CameraImages>& images() const { return images_; }
    uint32_t bitDepth() const { return bitDepth_; }

    uint32_t widthPixels() const override { return images_->widthPixels(); }
    uint32_t heightLines() const override { return images_->heightLines(); }
    void renderLine(uint64_t frameNumber, uint32_t y, uint16_t* line) const override;

private:
    std::shared_ptr<const CameraImages> images_;
    uint32_t bitDepth_;
};

} // namespace kestrel::board
