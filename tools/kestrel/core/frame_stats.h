// How bright and how flat a frame is: its minimum, mean, maximum and standard deviation.
#pragma once

#include "frame_writer.h"

#include <cstdint>

namespace kestrel::tool {

struct FrameStats {
    uint32_t minimum = 0;
    uint32_t maximum = 0;
    double mean = 0.0;
    double deviation = 0.0;
};

FrameStats measureFrame(const FrameImage& image);

} // namespace kestrel::tool
