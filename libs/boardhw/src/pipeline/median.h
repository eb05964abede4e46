// Noise filter: 3 x 3 median over the window after shading and dead-pixel replacement.
#pragma once

#include "pipeline/frame.h"

#include <cstddef>
#include <cstdint>

namespace kestrel::board {

// Where the borders are: the filter sees only the window that the region of interest cut, as
// it leaves dead-pixel replacement. Its first and last lines and columns are its borders; a
// neighbour outside the window is the nearest window pixel (replicated border), never a sensor
// pixel beyond the window's edge. A window of one line or one column is therefore filtered
// along its only line or column, and a single pixel passes unchanged.

// Whole-frame median, written for clarity.
Frame12 medianFilter(const Frame12& image);

// Elements of scratch `medianLine` needs for a line of n pixels.
constexpr size_t medianScratchElements(size_t n) {
    return 3 * (n + 2);
}

// One output line of n pixels from the three input lines around it. Each input line is padded:
// elements [-1] and [n] must hold the replicated edge pixels. `out` must not overlap the inputs.
void medianLine(const uint16_t* above, const uint16_t* centre, const uint16_t* below, uint16_t* out, size_t n,
                uint16_t* scratch);

} // namespace kestrel::board
