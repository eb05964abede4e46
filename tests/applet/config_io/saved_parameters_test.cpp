// The value-block field behind each saved parameter: one of its own, of its type.
#include <gtest/gtest.h>

#include <set>
#include <variant>

#include "config/saved_parameters.h"
#include "config/value_block_fields.h"

namespace kestrel {
namespace {

bool fieldMatchesType(const ValueField& field, ParameterType type) {
    switch (type) {
    case ParameterType::UInt32:
        return std::holds_alternative<uint32_t*>(field);
    case ParameterType::Int32:
        return std::holds_alternative<int32_t*>(field);
    case ParameterType::Double:
        return std::holds_alternative<double*>(field);
    case ParameterType::String:
        return std::holds_alternative<std::string*>(field);
    default:
        return false;
    }
}

TEST(ValueBlockFields, EverySavedParameterHasAFieldOfItsType) {
    ParameterValueBlock values;
    for (const SavedParameter& p : savedParameters())
        EXPECT_TRUE(fieldMatchesType(valueFieldOf(values, p.id), p.type)) << p.key;
}

TEST(ValueBlockFields, NoTwoSavedParametersShareAField) {
    ParameterValueBlock values;
    std::set<const void*> seen;
    for (const SavedParameter& p : savedParameters()) {
        const void* address = std::visit(
            [](auto pointer) -> const void* {
                if constexpr (std::is_same_v<decltype(pointer), std::monostate>)
                    return nullptr;
                else
                    return pointer;
            },
            valueFieldOf(values, p.id));
        EXPECT_TRUE(seen.insert(address).second) << p.key;
    }
}

} // namespace
} // namespace kestrel
