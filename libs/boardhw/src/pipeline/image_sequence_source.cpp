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

void ImageSequenceSource::render(uint64_t frameNumber, Frame12& frame) const {
    const CameraImages& images = *images_;
    frame.resize(images.widthPixels(), images.heightLines());
    const uint16_t* image = images.image(static_cast<uint32_t>(frameNumber % images.imageCount()));
    // Keep the camera's top bits, then place them as the top bits of the 12-bit sample.
    const unsigned dropBits = 16 - bitDepth_;
    const unsigned placeBits = 12 - bitDepth_;
    uint16_t* out = frame.pixels().data();
    const size_t count = frame.pixelCount();
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<uint16_t>((image[i] >> dropBits) << placeBits);
}

} // namespace kestrel::board
