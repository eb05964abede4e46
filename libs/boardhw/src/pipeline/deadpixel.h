// Dead-pixel replacement: defective pixels take the mean of their nearest good neighbours.
#pragma once

#include "pipeline/coefficient_plane.h"
#include "pipeline/frame.h"
#include "pipeline/roi.h"

#include <cstddef>
#include <cstdint>

namespace kestrel::board {

// A pixel is defective when its offset coefficient is 65535, whether or not offset correction
// is on. It takes (a + b + 1) >> 1 of the nearest non-defective shaded pixels a (left) and b
// (right) in its own line of the window; with only one of them, that one; with none, 0.
// The search stays inside the window: the design sees only the window's pixels.

// Whole-frame replacement on a shaded window, written for clarity. `offsets` null: no defects.
void replaceDeadPixels(Frame12& shaded, const RoiWindow& roi, const CoefficientPlane* offsets);

// True when any of the n offset coefficients marks a defect.
bool lineHasDefects(const uint16_t* offsets, size_t n);

// One shaded line of n values with its n offset coefficients, replaced in place.
void replaceDeadPixelsInLine(uint16_t* line, const uint16_t* offsets, size_t n);

// Where a line's defects are, a block of pixels at a time: bit b % 64 of word b / 64 is set when
// pixels [b x kDefectBlockPixels, (b + 1) x kDefectBlockPixels) hold a defect mark. The shading
// pass reads every mark anyway and fills the words for free, so replacement need not read the
// marks again except in the few blocks that hold one, and finds those a word at a time.
constexpr size_t kDefectBlockPixels = 32;
constexpr size_t defectBlockWords(size_t n) {
    return (n + 64 * kDefectBlockPixels - 1) / (64 * kDefectBlockPixels);
}

// As replaceDeadPixelsInLine, visiting only the blocks that `defectBlocks` flags.
void replaceDeadPixelsInBlocks(uint16_t* line, const uint16_t* offsets, size_t n,
                               const uint64_t* defectBlocks);

} // namespace kestrel::board
