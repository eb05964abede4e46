// The design's coefficient loader: a load command makes the board read the coefficient file whose
// name its buffer's file register holds.
#pragma once

#include "host_registers.h"

#include <cstdint>

namespace kestrel::host {

// The geometry of a coefficient file: each line of 4096 little-endian uint16 coefficients stored
// as 8192 8-bit samples, 4096 lines, one sample per pixel.
inline constexpr int32_t kCoefficientFileWidth = 8192;
inline constexpr int32_t kCoefficientFileHeight = 4096;

// Called after `reg` was written. For a buffer's "..._LoadCoefficients" register now holding a
// non-zero value, reads the file named by the same buffer's "..._CoefficientFile 0" register into
// the board's offset (buffer 0) or gain (buffer 1) memory. GH5_OK for every other register.
// A file that cannot be read or has another geometry gives GH5_ERR_BAD_COEFFICIENT_FILE and
// leaves the memory as it was; board codes pass through.
int32_t loadCoefficientsOnCommand(void* board, const HostRegisterTable& registers, const HostRegister& reg);

} // namespace kestrel::host
