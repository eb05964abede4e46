// The one check of a value against its parameter's limits: range, step and enumeration membership.
#pragma once

#include <cstdint>

#include "params/parameter_catalogue.h"
#include "params/published_limits.h"

namespace kestrel {

// kOk when the value in the caller's buffer (read in the row's type) is acceptable: within the
// range `published` shows for the row's parameter now (the row's own range where it shows none),
// on the row's step grid counted from the row's minimum, and one of the row's enumeration entries
// for an enumerated parameter. Otherwise kErrOutOfRange for a value outside the range or the
// entries, then kErrNotAligned for one off the grid. Rows of other kinds are always accepted.
int32_t checkLimits(const ParameterDefinition& row, const void* value, const PublishedLimits* published);

} // namespace kestrel
