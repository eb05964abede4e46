// Where each saved parameter lives in the value block: its catalogue row says.
#include "config/value_block_fields.h"

#include "params/parameter_catalogue.h"

namespace kestrel {

ValueField valueFieldOf(ParameterValueBlock& values, int32_t id) {
    const ParameterDefinition* row = ParameterCatalogue::byId(id);
    if (row == nullptr)
        return std::monostate{};
    return valueFieldOf(values, *row);
}

ValueField valueFieldOf(ParameterValueBlock& values, const ParameterDefinition& row) {
    if (row.field == nullptr)
        return std::monostate{};
    return row.field(values);
}

} // namespace kestrel
