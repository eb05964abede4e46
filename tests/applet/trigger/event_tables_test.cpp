// Event tables built from synthetic event records.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "trigger/event_tables.h"

namespace kestrel {
namespace {

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

TEST(EventTables, AppletNameReplacesTheDesignNameOfTheSameBit) {
    const EventTables tables = buildFrom({{"Device1_Process0_Overflow_Overflow", 1}, {"Other", 1}});
    EXPECT_EQ(tables.mask("FG_OVERFLOW_CAM0"), std::optional<uint64_t>(1u));
    EXPECT_EQ(tables.mask("Device1_Process0_Overflow_Overflow"), std::optional<uint64_t>(1u));
    EXPECT_STREQ(tables.name(1), "FG_OVERFLOW_CAM0");
    EXPECT_STREQ(tables.name(2), "Other");
}

TEST(EventTables, InternalRecordIsReachableOnlyUnderItsAppletName) {
    const EventTables tables = buildFrom(
        {{"Skipped", 0}, {"Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0OutputEvent", 0}});
    EXPECT_EQ(tables.mask("FG_TRIGGER_OUTPUT_CAM0"), std::optional<uint64_t>(2u));
    EXPECT_FALSE(tables.mask("Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0OutputEvent"));
    EXPECT_FALSE(tables.mask("Skipped"));
    EXPECT_EQ(tables.name(1), nullptr);
}

TEST(EventTables, MaskDoublesAcrossUnregisteredRecords) {
    const EventTables tables = buildFrom({{"A", 0}, {"B", 7}, {"C", 1}});
    EXPECT_EQ(tables.mask("C"), std::optional<uint64_t>(4u));
    EXPECT_EQ(tables.masks().size(), 1u);
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

TEST(EventTables, CountingStopsAtTheFirstMissingRecord) {
    EventTables tables;
    tables.buildFrom([](int32_t index, EventRecord& record) {
        if (index == 1)
            return false;
        record = {"R" + std::to_string(index), 1};
        return index < 4;
    });
    EXPECT_EQ(tables.mask("R0"), std::optional<uint64_t>(1u));
    EXPECT_FALSE(tables.mask("R2"));
}

TEST(EventTables, NullImageGivesEmptyTables) {
    EventTables tables;
    tables.build(nullptr);
    EXPECT_TRUE(tables.masks().empty());
    EXPECT_FALSE(tables.mask(nullptr));
    EXPECT_EQ(tables.name(1), nullptr);
}

} // namespace
} // namespace kestrel
