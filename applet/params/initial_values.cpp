// The initial hardware state: every setter the catalogue marks, once, with its initial value.
#include "params/initial_values.h"

#include <cstring>

#include "params/parameter_catalogue.h"
#include "params/parameter_handlers.h"

namespace kestrel {

namespace {

// The 8 bytes a setter reads its initial value from, in the parameter's own type.
union InitialValue {
    uint32_t u32;
    int32_t i32;
    double f64;
};

InitialValue initialValueOf(const ParameterDefinition& row) {
    InitialValue value{};
    switch (row.type) {
    case ParameterType::UInt32:
        value.u32 = static_cast<uint32_t>(row.defaultValue.number);
        break;
    case ParameterType::Int32:
        value.i32 = static_cast<int32_t>(row.defaultValue.number);
        break;
    case ParameterType::Double:
        value.f64 = row.defaultValue.number;
        break;
    default:
        break;
    }
    return value;
}

} // namespace

void applyInitialValues(const ParameterHandlerTable& handlers) {
    for (const ParameterDefinition& row : ParameterCatalogue::all()) {
        if (!row.appliedAtCreation())
            continue;
        const InitialValue value = initialValueOf(row);
        try {
            handlers.set(row, &value, false);
        } catch (int32_t) {
            // A parameter whose handler is missing; nothing to write.
        }
    }
}

} // namespace kestrel
