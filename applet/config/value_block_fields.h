// The field of ParameterValueBlock behind each saved parameter, for saving and for staging a load.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "params/parameter_value_block.h"

namespace kestrel {

// A field of one value block, in its own type; monostate for a parameter without a field.
using ValueField = std::variant<std::monostate, uint32_t*, int32_t*, double*, std::string*>;

// The field that holds `id`'s current value in `values`. Every saved parameter has one; other
// ids give monostate. The pointer is valid as long as `values`.
ValueField valueFieldOf(ParameterValueBlock& values, int32_t id);

} // namespace kestrel
