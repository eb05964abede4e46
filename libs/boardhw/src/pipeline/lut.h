// Lookup table: every 12-bit value is replaced by its table entry.
#pragma once

#include "pipeline/frame.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrel::board {

constexpr size_t kLutEntries = 4096;

// Entry i is the output for value i. The table memory is 12 bits wide, so only an entry's low
// 12 bits take effect.
using Lut = std::array<uint16_t, kLutEntries>;

Lut identityLut();

// Whole-frame table lookup, written for clarity.
void applyLut(Frame12& image, const Lut& lut);

} // namespace kestrel::board
