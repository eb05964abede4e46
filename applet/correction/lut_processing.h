// The lookup-table processor: the 4096-entry table that offset, gain, gamma and invert describe.
#pragma once

#include <array>
#include <cstdint>

#include "params/parameter_value_block.h"

namespace kestrel {

// The largest value of a 12-bit table entry.
inline constexpr uint32_t kLutMaxValue = 4095;

struct LutProcessingSettings {
    double offset = 0.0; // added to the normalised input (-1.0 .. 1.0)
    double gain = 1.0;   // multiplies the shifted input (0.0 .. 4096.0)
    double gamma = 1.0;  // the curve is base^(1/gamma); 0 makes the exponent infinite
    bool invert = false; // 4095 - v instead of v
};

using LutTable = std::array<uint32_t, kLutEntries>;

// Entry i = clip(trunc(((i / 4095 + offset) x gain)^(1 / gamma) x 4095 + 0.5)), inverted on
// request, where a negative base gives 0 (4095 inverted) and every result is clipped to
// 0 .. 4095 however large it grows. Computed in double with the library power function.
void computeProcessingLut(const LutProcessingSettings& settings, LutTable& table);

} // namespace kestrel
