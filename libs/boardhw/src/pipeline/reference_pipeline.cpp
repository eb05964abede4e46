// Whole-frame reference pipeline.
#include "pipeline/reference_pipeline.h"

#include "pipeline/deadpixel.h"
#include "pipeline/median.h"

#include <stdexcept>

namespace kestrel::board {

void ReferencePipeline::configure(const PipelineSettings& settings) {
    validate(settings);
    settings_ = settings;
}

void ReferencePipeline::process(const SensorRows& sensor, std::span<std::byte> out) {
    if (out.size() < outputFrameBytes(settings_))
        throw std::invalid_argument("output buffer smaller than the formatted frame");
    Frame12 rendered;
    const Frame12 window = cutWindow(sensor.materialise(rendered), settings_.roi);
    Frame12 image = applyShading(window, settings_.roi, settings_.shading);
    if (settings_.deadPixelReplacement)
        replaceDeadPixels(image, settings_.roi, settings_.shading.offsets.get());
    if (settings_.medianFilter)
        image = medianFilter(image);
    applyLut(image, settings_.lut);
    writeOutput(image, settings_.format, out);
}

} // namespace kestrel::board
