// The pixel work of the pipeline, behind one interface with a reference and a fast version.
#pragma once

#include "pipeline/frame.h"
#include "pipeline/frame_source.h"
#include "pipeline/settings.h"

#include <cstddef>
#include <span>

namespace kestrel::board {

// Every stage that changes pixels: window, shading, dead-pixel replacement, median, lookup table
// and output format. The image selector is not here: it decides whether a frame gets this work
// at all (see ImagePipeline), and running these stages has no effect that outlives the frame.
// Implementations produce identical bytes for identical settings and input. One object serves
// one caller at a time.
class PixelPipeline {
public:
    virtual ~PixelPipeline() = default;

    // Adopts `settings` for the following frames. Throws std::invalid_argument when validate()
    // refuses them (the old settings stay). Coefficient images must not change while in use.
    virtual void configure(const PipelineSettings& settings) = 0;
    virtual const PipelineSettings& settings() const = 0;

    // Runs one sensor frame into `out`, which holds at least outputFrameBytes(settings())
    // bytes (std::invalid_argument otherwise): window rows top to bottom, packed.
    virtual void process(const SensorRows& sensor, std::span<std::byte> out) = 0;
};

} // namespace kestrel::board
