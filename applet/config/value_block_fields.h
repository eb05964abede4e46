// The field of ParameterValueBlock behind each saved parameter, for saving and for staging a load.
#pragma once

#include <cstdint>

#include "params/parameter_value_block.h"

namespace kestrel {

struct ParameterDefinition;

// The field that holds `id`'s current value in `values`. Every saved parameter has one; other
// ids give monostate. The pointer is valid as long as `values`.
ValueField valueFieldOf(ParameterValueBlock& values, int32_t id);
// The same for a row the caller holds already.
ValueField valueFieldOf(ParameterValueBlock& values, const ParameterDefinition& row);

} // namespace kestrel
