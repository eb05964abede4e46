// Identifiers of the catalogue parameters, under the frame-grabber SDK's names, from the public
// header.
#pragma once

#include <cstdint>

#include "include/kestrel12.h"

namespace kestrel::ids {

// The catalogue's identifiers, FG_TIMEOUT to FG_DIGIO_OUTPUT, as ids::FG_...
using enum Kestrel12ParameterId;

// Get only: the caller's buffer holds a parameter name and receives its description text.
// It has no name and no list index.
inline constexpr int32_t kDescriptionQuery = KESTREL12_DESCRIPTION_QUERY;

// The two optional families start above these bases: register id + 1000000 for direct register
// access ("DRA_" names), host design-parameter id + 2000000 for design access ("DDSA_" names).
inline constexpr int32_t kRegisterAccessBase = KESTREL12_REGISTER_ACCESS_BASE;
inline constexpr int32_t kDesignAccessBase = KESTREL12_DESIGN_ACCESS_BASE;

} // namespace kestrel::ids
