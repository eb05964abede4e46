// The whole pipeline for one acquisition: frame counting, the image selector and the pixel work.
#pragma once

#include "pipeline/pixel_pipeline.h"

#include <cstdint>
#include <memory>

namespace kestrel::board {

// Owns a PixelPipeline (reference or streaming) and counts the frames that reach the selector.
// A frame the selector drops costs nothing: the stages before it have no lasting effect, so they
// are skipped rather than run and thrown away.
class ImagePipeline {
public:
    // `pixels` must not be null (std::invalid_argument).
    explicit ImagePipeline(std::unique_ptr<PixelPipeline> pixels);

    // As PixelPipeline::configure (settings equal to the current ones cost nothing). The frame
    // count carries on.
    void configure(const PipelineSettings& settings);
    const PipelineSettings& settings() const { return pixels_->settings(); }
    size_t outputBytes() const { return outputFrameBytes(settings()); }

    // Acquisition start: the next frame is frame 0 again.
    void restart() { framesSeen_ = 0; }
    uint64_t framesSeen() const { return framesSeen_; }

    // Counts the frame; when the selector passes it, fills `out` (as PixelPipeline::process) and
    // returns true. A dropped frame leaves `out` untouched and returns false.
    bool process(const SensorRows& sensor, std::span<std::byte> out);
    // The two halves of process(), for a frame whose pixels are made later or not at all (the
    // on-board buffer is full): admit() counts the frame and tells whether the selector passes
    // it, so the selector's phase stays where the hardware's would; render() does the pixel work
    // with the settings configured then.
    bool admit() { return settings().selector.passes(framesSeen_++); }
    void render(const SensorRows& sensor, std::span<std::byte> out) { pixels_->process(sensor, out); }

private:
    std::unique_ptr<PixelPipeline> pixels_;
    uint64_t framesSeen_ = 0;
};

} // namespace kestrel::board
