// The table of saved parameters: its rows, their passes and the value-block field behind each.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <variant>

#include "config/saved_parameters.h"
#include "config/value_block_fields.h"
#include "params/parameter_ids.h"

namespace kestrel {
namespace {

using namespace ids;

TEST(SavedParameters, FindAnswersNullForParametersThatAreNotSaved) {
    EXPECT_EQ(findSavedParameter(FG_LUT_VALUE), nullptr);
    EXPECT_EQ(findSavedParameter(FG_SHADING_APPLY_SETTINGS), nullptr);
    EXPECT_EQ(findSavedParameter(FG_CAMSTATUS), nullptr);
    ASSERT_NE(findSavedParameter(FG_WIDTH), nullptr);
    EXPECT_STREQ(findSavedParameter(FG_WIDTH)->key, "FG_WIDTH");
}

// ---- value-block fields ----

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

TEST(ValueBlockFields, SpreadTheIndexedParametersOverTheirArrays) {
    ParameterValueBlock values;
    EXPECT_EQ(std::get<int32_t*>(valueFieldOf(values, FG_GEN_TAP3)), &values.generatorTaps[2]);
    EXPECT_EQ(std::get<double*>(valueFieldOf(values, FG_TRIGGER_PULSEFORMGEN2_DELAY)),
              &values.pulseFormGenerators[2].delayUs);
    EXPECT_EQ(std::get<uint32_t*>(valueFieldOf(values, FG_TRIGGEROUT_SELECT4)), &values.triggerOutSelects[4]);
    EXPECT_EQ(std::get<uint32_t*>(valueFieldOf(values, FG_CCSEL3)), &values.legacyCcSelects[3]);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(valueFieldOf(values, FG_LUT_VALUE)));
}

} // namespace
} // namespace kestrel
