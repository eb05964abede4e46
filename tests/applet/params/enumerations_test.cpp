// Enumeration tables: the values setters accept and the names the tree publishes.
#include "params/enumerations.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "params/parameter_catalogue.h"
#include "params/parameter_ids.h"

namespace kestrel {
namespace {

TEST(Enumerations, EveryTableHasDistinctValuesAndSymbols) {
    for (const auto& row : ParameterCatalogue::all()) {
        const EnumerationTable table = enumerationOf(row.id);
        std::set<int32_t> values;
        std::set<std::string> symbols;
        for (const auto& entry : table) {
            EXPECT_TRUE(values.insert(entry.value).second) << row.name;
            EXPECT_TRUE(symbols.insert(entry.symbolicName).second) << row.name;
            EXPECT_NE(entry.displayName[0], '\0') << row.name;
        }
    }
}

TEST(Enumerations, OnlyIntegerParametersAreEnumerated) {
    int enumerated = 0;
    for (const auto& row : ParameterCatalogue::all()) {
        if (enumerationOf(row.id).empty())
            continue;
        ++enumerated;
        EXPECT_TRUE(row.type == ParameterType::UInt32 || row.type == ParameterType::Int32) << row.name;
    }
    EXPECT_EQ(enumerated, 57);
}

TEST(Enumerations, UnknownParameterHasNoTable) {
    EXPECT_TRUE(enumerationOf(ids::FG_WIDTH).empty());
    EXPECT_TRUE(enumerationOf(0).empty());
    EXPECT_TRUE(enumerationOf(300239).empty());
}

struct AcceptedValues {
    int32_t id;
    std::vector<int32_t> accepted;
    std::vector<int32_t> refused;
};

TEST(Enumerations, AcceptExactlyTheirEntries) {
    const AcceptedValues rows[] = {
        {ids::FG_CAMERA_LINK_CAMTYPE, {208, 210, 212}, {211, 0}}, // the three medium formats
        {ids::FG_FORMAT, {3, 1}, {2}},                            // gray 8 and gray 16 only
        {ids::FG_AREATRIGGERMODE, {1, 2, 4}, {3}},                // three is skipped
        {ids::FG_CCSEL2, {0, 6, 2, 8, 4, 5}, {1}},
        {ids::FG_TRIGGEROUT_SELECT7, {0, 11}, {12}}};
    for (const AcceptedValues& row : rows) {
        const EnumerationTable table = enumerationOf(row.id);
        for (int32_t value : row.accepted) {
            EXPECT_TRUE(enumerationContains(table, value)) << row.id << ": " << value;
            EXPECT_NE(findEntryByValue(table, value), nullptr) << row.id << ": " << value;
        }
        for (int32_t value : row.refused) {
            EXPECT_FALSE(enumerationContains(table, value)) << row.id << ": " << value;
            EXPECT_EQ(findEntryByValue(table, value), nullptr) << row.id << ": " << value;
        }
    }
    EXPECT_STREQ(findEntryByValue(enumerationOf(ids::FG_AREATRIGGERMODE), 4)->symbolicName, "ATM_SOFTWARE");
    const EnumerationTable format = enumerationOf(ids::FG_FORMAT);
    EXPECT_STREQ(format[0].displayName, "Gray 8bit");
    EXPECT_STREQ(format[0].symbolicName, "FG_GRAY");
}

TEST(Enumerations, TriggerInputAndLegacyPolaritiesAreNumberedOppositely) {
    const auto* inputLow = findEntryBySymbol(enumerationOf(ids::FG_TRIGGERIN_POLARITY), "LOW_ACTIVE");
    const auto* legacyLow = findEntryBySymbol(enumerationOf(ids::FG_EXSYNCPOLARITY), "FG_LOW");
    ASSERT_NE(inputLow, nullptr);
    ASSERT_NE(legacyLow, nullptr);
    EXPECT_EQ(inputLow->value, 1);
    EXPECT_EQ(legacyLow->value, 0);
    EXPECT_STREQ(inputLow->displayName, legacyLow->displayName);
}

TEST(Enumerations, LegacyCameraControlKeepsItsPublicationOrder) {
    const EnumerationTable table = enumerationOf(ids::FG_CCSEL2);
    ASSERT_EQ(table.size(), 6u);
    const int32_t values[] = {0, 6, 2, 8, 4, 5};
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(table[i].value, values[i]);
    EXPECT_STREQ(table[1].displayName, "!Exsync");
}

TEST(Enumerations, OutputSelectsOfferTwelveSourcesWithAndWithoutPrefix) {
    const EnumerationTable cc = enumerationOf(ids::FG_TRIGGERCC_SELECT0);
    const EnumerationTable out = enumerationOf(ids::FG_TRIGGEROUT_SELECT7);
    ASSERT_EQ(cc.size(), 12u);
    ASSERT_EQ(out.size(), 12u);
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(cc[i].value, static_cast<int32_t>(i));
        EXPECT_EQ(std::string("CC_") + out[i].symbolicName, cc[i].symbolicName);
        EXPECT_STREQ(cc[i].displayName, out[i].displayName);
    }
}

TEST(Enumerations, ClearAndApplyParametersAcceptOnlyApply) {
    for (int32_t id :
         {ids::FG_SHADING_APPLY_SETTINGS, ids::FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR,
          ids::FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR, ids::FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR,
          ids::FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR, ids::FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR}) {
        const EnumerationTable table = enumerationOf(id);
        ASSERT_EQ(table.size(), 1u) << id;
        EXPECT_EQ(table[0].value, 1);
        EXPECT_STREQ(table[0].symbolicName, "FG_APPLY");
        EXPECT_STREQ(table[0].displayName, "Apply");
    }
}

TEST(Enumerations, LutTypeListsProcessorFirst) {
    const EnumerationTable table = enumerationOf(ids::FG_LUT_TYPE);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].value, 3);
    EXPECT_STREQ(table[1].displayName, "User file");
}

} // namespace
} // namespace kestrel
