// What the pipeline is set to do: the window, correction, filters, table and output format.
#pragma once

#include "pipeline/coefficient_plane.h"
#include "pipeline/lut.h"
#include "pipeline/output.h"
#include "pipeline/roi.h"
#include "pipeline/selector.h"
#include "pipeline/shading.h"

namespace kestrel::board {

// A complete, plain description of the pipeline's state; the board translates its registers
// into one of these. Copying it is cheap (the coefficient images are shared, the table is 8 KiB).
struct PipelineSettings {
    RoiWindow roi;
    ShadingSettings shading;
    bool deadPixelReplacement = false;
    bool medianFilter = false;
    ImageSelector selector;
    Lut lut = identityLut();
    OutputFormat format = OutputFormat::Gray8;

    friend bool operator==(const PipelineSettings&, const PipelineSettings&) = default;
};

// Throws std::invalid_argument when the settings cannot describe a pipeline state: an image
// selector phase not below its period, or a period of 0.
void validate(const PipelineSettings& settings);

// Bytes of one output frame under `settings`: window pixels x bytes per pixel.
size_t outputFrameBytes(const PipelineSettings& settings);

} // namespace kestrel::board
