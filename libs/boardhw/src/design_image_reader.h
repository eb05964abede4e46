// Reads a design's register table from a design image (libdesignrt).
#pragma once

#include "register_file.h"

#include <optional>
#include <vector>

namespace kestrel::boardhw {

// The register table of the image, kinds taken from the register names; nothing for a null image
// or one whose table cannot be read whole.
std::optional<std::vector<RegisterDefinition>> readRegisterTable(void* designImage);

} // namespace kestrel::boardhw
