// The virtual camera showing attached images.
#include "pipeline/image_sequence_source.h"

#include <stdexcept>
#include <utility>

namespace kestrel::board {

CameraImages::CameraImages(uint32_t widthPixels, uint32_t heightLines, std::vector<uint16_t> samples)
    : width_(widthPixels), height_(heightLines), count_(0), samples_(std::move(samples)) {
    const size_t imagePixels = size_t{width_} * height_;
    if (imagePixels == 0 || samples_.empty() || samples_.size() % imagePixels != 0)
        throw std::invalid_argument("camera images: samples do not fill whole images of the given size");
    const size_t count = samples_.size() / imagePixels;
    if (count > UINT32_MAX)
        throw std::invalid_argument("camera images: too many images");
    count_ = static_cast<uint32_t>(count);
}

ImageSequenceSource::ImageSequenceSource(std::shared_ptr<const CameraImages> images, uint32_t bitDepth)
    : images_(std::move(images)), bitDepth_(bitDepth) {
    if (!images_)
        throw std::invalid_argument("image sequence: no images");
    if (bitDepth_ != 8 && bitDepth_ != 10 && bitDepth_ != 12)
        throw std::invalid_argument("image sequence: the camera's bit depth must be 8, 10 or 12");
}

void ImageSequenceSource::renderLine(uint64_t frameNumber, uint32_t y, uint16_t* line) const {
    const CameraImages& images = *images_;
    const size_t width = images.widthPixels();
    const uint16_t* image = images.image(static_cast<uint32_t>(frameNumber % images.imageCount()));
    const uint16_t* row = image + size_t{y} * width;
    // Keep the camera's top bits, then place them as the top bits of the 12-bit sample.
    const unsigned dropBits = 16 - bitDepth_;
    const unsigned placeBits = 12 - bitDepth_;
    for (size_t x = 0; x < width; ++x)
        line[x] = static_cast<uint16_t>((row[x] >> dropBits) << placeBits);
}

} // namespace kestrel::board
