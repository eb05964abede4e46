// Hands the coefficient images to the design: each is written as a temporary image file whose
// name goes to the design's coefficient-file register, followed by a load command.
#pragma once

#include "correction/coefficient_images.h"
#include "params/applet_context.h"

namespace kestrel {

// The image geometry the design's loader reads: one coefficient line of 4096 little-endian
// uint16 as 8192 8-bit samples, 4096 lines.
inline constexpr int32_t kCoefficientFileWidth = 8192;
inline constexpr int32_t kCoefficientFileHeight = 4096;

// Uploads offsets, then gains (both must be initialised). Raises kErrInvalidArgument when no
// temporary name can be made, kErrGeneric when a file cannot be written, and the host's code
// when the name or the load command is refused. Both temporary files are deleted on every path,
// the gain file first.
void uploadCoefficients(const AppletContext& context, const CoefficientImages& images);

} // namespace kestrel
