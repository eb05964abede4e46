// The trigger's pieces on their own: the setter pattern (store, action, restore) and the event
// tables built from synthetic event records.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "device/host_binding.h"
#include "info/parameter_info_nodes.h"
#include "params/initial_values.h"
#include "trigger/event_tables.h"
#include "trigger/trigger_core.h"

namespace kestrel {
namespace {

class TriggerCoreTest : public ::testing::Test {
protected:
    // The code `apply` raised, 0 when none.
    int32_t apply(uint32_t value, bool accepted, LegacyRule rule,
                  const std::function<void(uint32_t)>& action) {
        try {
            core.apply(field, value, accepted, rule, true, action);
        } catch (int32_t code) {
            return code;
        }
        return 0;
    }

    HostBinding host;
    RegisterMap registers;
    GeneratorRegisters generator;
    ParameterValueBlock values = freshValueBlock();
    ParameterInfoNodes infoNodes;
    ParameterPropertyMap properties;
    AppletContext context{host, registers, generator, values, infoNodes, properties};
    TriggerCore core{context};
    uint32_t field = 5;
};

// Quiet (as loading calls it): a refused value is not acted on, and a failing action restores the old.
TEST_F(TriggerCoreTest, QuietRefusalsAndFailuresKeepTheOldValue) {
    bool acted = false;
    core.apply(field, 9u, false, LegacyRule::RefusedInLegacyMode, false, [&](uint32_t) { acted = true; });
    EXPECT_FALSE(acted);
    core.apply(field, 8u, true, LegacyRule::RefusedInLegacyMode, false, [](uint32_t) { raise(-7777); });
    EXPECT_EQ(field, 5u);
    EXPECT_EQ(apply(8u, true, LegacyRule::RefusedInLegacyMode, [](uint32_t) { raise(-7777); }), -7777);
}

EventTables buildFrom(const std::vector<EventRecord>& records) {
    EventTables tables;
    tables.buildFrom([&](int32_t index, EventRecord& record) {
        if (index < 0 || static_cast<std::size_t>(index) >= records.size())
            return false;
        record = records[static_cast<std::size_t>(index)];
        return true;
    });
    return tables;
}

// Every record takes the next bit, and only those flagged 1 are named; an applet name replaces the
// design name of its bit, and an internal record is reachable only under its applet name.
TEST(EventTables, NamesAndMasksOfTheRecords) {
    const EventTables tables =
        buildFrom({{"Device1_Process0_Overflow_Overflow", 1},
                   {"Skipped", 0},
                   {"Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0OutputEvent", 0},
                   {"Other", 1},
                   {"Seven", 7}});
    EXPECT_EQ(tables.mask("FG_OVERFLOW_CAM0"), std::optional<uint64_t>(1u));
    EXPECT_EQ(tables.mask("Device1_Process0_Overflow_Overflow"), std::optional<uint64_t>(1u));
    EXPECT_STREQ(tables.name(1), "FG_OVERFLOW_CAM0");
    EXPECT_EQ(tables.mask("FG_TRIGGER_OUTPUT_CAM0"), std::optional<uint64_t>(4u));
    EXPECT_FALSE(tables.mask("Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0OutputEvent"));
    EXPECT_FALSE(tables.mask("Skipped"));
    EXPECT_EQ(tables.name(2), nullptr);
    EXPECT_EQ(tables.mask("Other"), std::optional<uint64_t>(8u));
    EXPECT_STREQ(tables.name(8), "Other");
    EXPECT_FALSE(tables.mask("Seven"));
}

TEST(EventTables, RecordSixtyFourWrapsToMaskZeroAndLaterRecordsAreIgnored) {
    std::vector<EventRecord> records;
    for (int i = 0; i < 70; ++i)
        records.push_back({"E" + std::to_string(i), 1});
    const EventTables tables = buildFrom(records);
    EXPECT_EQ(tables.mask("E63"), std::optional<uint64_t>(uint64_t{1} << 63));
    EXPECT_EQ(tables.mask("E64"), std::optional<uint64_t>(0));
    EXPECT_EQ(tables.masks().count("E65"), 0u);
}

TEST(EventTables, CountingStopsAtTheFirstMissingRecordAndANullImageGivesNone) {
    EventTables tables;
    tables.buildFrom([](int32_t index, EventRecord& record) {
        if (index == 1)
            return false;
        record = {"R" + std::to_string(index), 1};
        return index < 4;
    });
    EXPECT_EQ(tables.mask("R0"), std::optional<uint64_t>(1u));
    EXPECT_FALSE(tables.mask("R2"));
    EventTables none;
    none.build(nullptr);
    EXPECT_TRUE(none.masks().empty());
    EXPECT_FALSE(none.mask(nullptr));
}

} // namespace
} // namespace kestrel
