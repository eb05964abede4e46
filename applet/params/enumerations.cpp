// Which catalogue parameter uses which enumeration table: its catalogue row says.
#include "params/enumerations.h"

#include "params/parameter_catalogue.h"

namespace kestrel {

EnumerationTable enumerationOf(int32_t parameterId) {
    const ParameterDefinition* row = ParameterCatalogue::byId(parameterId);
    return row != nullptr ? row->limits.entries : EnumerationTable{};
}

} // namespace kestrel
