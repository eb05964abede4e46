// The rows' defaults, stored in a value block and written through the setters.
#include "params/initial_values.h"

#include <type_traits>
#include <variant>

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

void storeDefault(const ParameterDefinition& row, ParameterValueBlock& values) {
    if (row.field == nullptr)
        return;
    const ParameterDefault& initial = row.defaultValue;
    std::visit(
        [&initial]<class Field>(Field field) {
            if constexpr (std::is_same_v<Field, std::string*>)
                *field = initial.text != nullptr ? initial.text : "";
            else if constexpr (!std::is_same_v<Field, std::monostate>)
                *field = static_cast<std::remove_pointer_t<Field>>(initial.number);
        },
        row.field(values));
}

ParameterValueBlock freshValueBlock() {
    ParameterValueBlock values{};
    for (const ParameterDefinition& row : ParameterCatalogue::all()) {
        storeDefault(row, values);
        if (row.type == ParameterType::Field)
            values.lutValues.fill(static_cast<uint32_t>(row.defaultValue.number));
    }
    return values;
}

void setToInitialValue(const ParameterHandlerTable& handlers, const ParameterDefinition& row) {
    const InitialValue value = initialValueOf(row);
    handlers.set(row, &value, false);
}

void applyInitialValues(const ParameterHandlerTable& handlers) {
    for (const ParameterDefinition& row : ParameterCatalogue::all()) {
        if (!row.appliedAtCreation())
            continue;
        try {
            setToInitialValue(handlers, row);
        } catch (int32_t) {
            // A parameter whose handler is missing; nothing to write.
        }
    }
}

} // namespace kestrel
