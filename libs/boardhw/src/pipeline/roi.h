// Region of interest: the window of the sensor image that travels down the pipeline.
#pragma once

#include "pipeline/frame.h"
#include "pipeline/frame_source.h"

#include <cstdint>

namespace kestrel::board {

// Window in sensor coordinates: output pixel (x, y) is sensor pixel (x + xOffset, y + yOffset).
struct RoiWindow {
    uint32_t xOffset = 0;
    uint32_t yOffset = 0;
    uint32_t widthPixels = 1024;
    uint32_t heightLines = 1024;

    size_t pixelCount() const { return size_t{widthPixels} * heightLines; }
    friend bool operator==(const RoiWindow&, const RoiWindow&) = default;
};

// The window may reach past the sensor image: the camera sends nothing there, so those pixels
// are 0. The camera port carries 12 data bits, so bits above them never enter the pipeline.

// Whole-frame cut, written for clarity: samples cut to 12 bits.
Frame12 cutWindow(FrameView sensor, const RoiWindow& roi);

// Line y of the window as `roi.widthPixels` raw samples, for the streaming pipeline. Points into
// the sensor's row (in memory, or rendered into `rowScratch`, sensor width elements) when the
// line lies wholly inside the sensor, else into `scratch` (widthPixels elements), zero-filled
// where the window leaves the sensor. The samples are NOT cut to 12 bits yet: the shading kernel
// does that while it reads them, which saves a pass over the line.
const uint16_t* windowLine(const SensorRows& sensor, const RoiWindow& roi, uint32_t y, uint16_t* scratch,
                           uint16_t* rowScratch);

} // namespace kestrel::board
