// The pipeline as plain whole-frame stages: the yardstick the fast version is checked against.
#pragma once

#include "pipeline/pixel_pipeline.h"

namespace kestrel::board {

// Each stage takes the whole previous frame and makes the next, in simple loops, so that every
// step can be read against the board's definition. Slow on purpose.
class ReferencePipeline final : public PixelPipeline {
public:
    ReferencePipeline() = default;
    explicit ReferencePipeline(const PipelineSettings& settings) { configure(settings); }

    void configure(const PipelineSettings& settings) override;
    const PipelineSettings& settings() const override { return settings_; }
    void process(const SensorRows& sensor, std::span<std::byte> out) override;

private:
    PipelineSettings settings_;
};

} // namespace kestrel::board
