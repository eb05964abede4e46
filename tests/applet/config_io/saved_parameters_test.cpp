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

TEST(SavedParameters, AreTheCatalogueRowsMarkedSavedInCatalogueOrder) {
    const auto saved = savedParameters();
    ASSERT_EQ(saved.size(), 97u);
    std::size_t next = 0;
    for (const ParameterDefinition& row : ParameterCatalogue::all()) {
        if (!row.saved)
            continue;
        ASSERT_LT(next, saved.size());
        EXPECT_EQ(saved[next].id, row.id);
        EXPECT_STREQ(saved[next].key, row.name);
        ++next;
    }
    EXPECT_EQ(saved.front().id, FG_TIMEOUT);
    EXPECT_EQ(saved[26].id, FG_LUT_CUSTOM_FILE);
    EXPECT_EQ(saved[39].id, FG_AREATRIGGERMODE);
    EXPECT_EQ(saved[82].id, FG_TRIGGER_LEGACY_MODE);
    EXPECT_EQ(saved.back().id, FG_DIGIO_OUTPUT);
}

TEST(SavedParameters, ValueKindFollowsTheCatalogueType) {
    for (const SavedParameter& p : savedParameters()) {
        switch (p.type) {
        case ParameterType::UInt32:
        case ParameterType::Int32:
            EXPECT_EQ(p.kind, SavedValueKind::Integer) << p.key;
            break;
        case ParameterType::Double:
            EXPECT_EQ(p.kind, SavedValueKind::Double) << p.key;
            break;
        case ParameterType::String:
            EXPECT_EQ(p.kind, SavedValueKind::Text) << p.key;
            break;
        default:
            ADD_FAILURE() << p.key << " has a type no file line can hold";
        }
    }
    EXPECT_EQ(findSavedParameter(FG_SHADING_BLACK_FILENAME)->kind, SavedValueKind::Text);
    EXPECT_EQ(findSavedParameter(FG_PRESCALER)->kind, SavedValueKind::Double);
}

std::set<int32_t> idsWhere(bool (*test)(const SavedParameter&)) {
    std::set<int32_t> ids;
    for (const SavedParameter& p : savedParameters())
        if (test(p))
            ids.insert(p.id);
    return ids;
}

TEST(SavedParameters, OnlyTheAreaTriggerModeAndStateSkipTheStagePass) {
    EXPECT_EQ(idsWhere([](const SavedParameter& p) { return !p.staged; }),
              (std::set<int32_t>{FG_AREATRIGGERMODE, FG_TRIGGERSTATE}));
}

TEST(SavedParameters, ElevenLutAndShadingSettingsSkipTheApplyPass) {
    EXPECT_EQ(idsWhere([](const SavedParameter& p) { return !p.applied; }),
              (std::set<int32_t>{
                  FG_LUT_CUSTOM_FILE, FG_PROCESSING_OFFSET, FG_PROCESSING_GAIN, FG_PROCESSING_GAMMA,
                  FG_PROCESSING_INVERT, FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, FG_SHADING_BLACK_FILENAME,
                  FG_SHADING_GRAY_FILENAME, FG_SHADING_GAIN_CORRECTION_MODE,
                  FG_SHADING_GAIN_NORMALIZATION_VALUE, FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD}));
}

TEST(SavedParameters, TheFrameRateAndDebounceAreWrittenFromTheirGetters) {
    EXPECT_EQ(idsWhere([](const SavedParameter& p) { return p.writtenFromGetter; }),
              (std::set<int32_t>{FG_TRIGGER_FRAMESPERSECOND, FG_TRIGGERIN_DEBOUNCE}));
}

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

TEST(ValueBlockFields, FieldsHoldTheInitialValuesOfTheCatalogue) {
    ParameterValueBlock values;
    for (const SavedParameter& p : savedParameters()) {
        const ParameterDefinition* row = ParameterCatalogue::byId(p.id);
        ASSERT_NE(row, nullptr);
        const ValueField field = valueFieldOf(values, p.id);
        if (const auto* u = std::get_if<uint32_t*>(&field)) {
            EXPECT_EQ(static_cast<double>(**u), row->defaultValue.number) << p.key;
        } else if (const auto* i = std::get_if<int32_t*>(&field)) {
            EXPECT_EQ(static_cast<double>(**i), row->defaultValue.number) << p.key;
        } else if (const auto* d = std::get_if<double*>(&field)) {
            EXPECT_EQ(**d, row->defaultValue.number) << p.key;
        }
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
