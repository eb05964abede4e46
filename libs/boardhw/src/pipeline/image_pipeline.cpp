// Frame counting and the image selector in front of the pixel stages.
#include "pipeline/image_pipeline.h"

#include <stdexcept>

namespace kestrel::board {

ImagePipeline::ImagePipeline(std::unique_ptr<PixelPipeline> pixels) : pixels_(std::move(pixels)) {
    if (!pixels_)
        throw std::invalid_argument("image pipeline needs a pixel pipeline");
}

void ImagePipeline::configure(const PipelineSettings& settings) {
    // The acquisition configures for every frame, nearly always with what it had.
    if (settings == pixels_->settings())
        return;
    pixels_->configure(settings);
}

bool ImagePipeline::process(const SensorRows& sensor, std::span<std::byte> out) {
    // Counted before the pixel work: a frame whose processing fails has still reached the selector.
    if (!admit())
        return false;
    render(sensor, out);
    return true;
}

} // namespace kestrel::board
