// Checks that a set of pipeline settings describes a state the pipeline can be in.
#include "pipeline/settings.h"

#include <stdexcept>

namespace kestrel::board {

void validate(const PipelineSettings& settings) {
    if (settings.selector.period == 0)
        throw std::invalid_argument("image selector period must be at least 1");
    if (settings.selector.phase >= settings.selector.period)
        throw std::invalid_argument("image selector phase must be below its period");
}

size_t outputFrameBytes(const PipelineSettings& settings) {
    return settings.roi.pixelCount() * bytesPerPixel(settings.format);
}

} // namespace kestrel::board
