// Event names and masks of the design, through Fg_getEventMask and Fg_getEventName.
#include <string>

#include "trigger_fixture.h"

namespace kestrel::test {
namespace {

class EventsTest : public TriggerTest {
protected:
    uint64_t mask(const char* name) { return applet.exports().Fg_getEventMask(applet.fg(), name); }
    std::string name(uint64_t eventMask) {
        const char* text = applet.exports().Fg_getEventName(applet.fg(), eventMask);
        return text == nullptr ? "<null>" : text;
    }
};

TEST_F(EventsTest, OverflowIsTheFirstRecordUnderItsAppletName) {
    EXPECT_EQ(mask("FG_OVERFLOW_CAM0"), 1u);
    EXPECT_EQ(applet.lastError(), 0);
    EXPECT_EQ(name(1), "FG_OVERFLOW_CAM0");
    // The design name reaches the same bit.
    EXPECT_EQ(mask("Device1_Process0_Overflow_Overflow"), 1u);
}

TEST_F(EventsTest, ListedEventsTakeTheBitOfTheirRecord) {
    EXPECT_EQ(mask("FG_START_OF_FRAME_CAM_PORT_0"), uint64_t{1} << 1);
    EXPECT_EQ(mask("FG_END_OF_FRAME_CAM_PORT_0"), uint64_t{1} << 2);
    EXPECT_EQ(mask("FG_TRIGGER_INPUT0_RISING"), uint64_t{1} << 3);
    EXPECT_EQ(mask("FG_TRIGGER_INPUT0_FALLING"), uint64_t{1} << 4);
    EXPECT_EQ(mask("FG_TRIGGER_INPUT7_FALLING"), uint64_t{1} << 18);
    EXPECT_EQ(mask("FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CAM0"), uint64_t{1} << 19);
    EXPECT_EQ(mask("FG_MISSING_CAM0_FRAME_RESPONSE"), uint64_t{1} << 20);
    EXPECT_EQ(mask("FG_TRIGGER_QUEUE_FILLLEVEL_THRESHOLD_CAM0_ON"), uint64_t{1} << 21);
    EXPECT_EQ(mask("FG_TRIGGER_QUEUE_FILLLEVEL_THRESHOLD_CAM0_OFF"), uint64_t{1} << 22);
    EXPECT_EQ(mask("FG_TRIGGER_OUTPUT_CAM0"), uint64_t{1} << 23);
    EXPECT_EQ(name(uint64_t{1} << 23), "FG_TRIGGER_OUTPUT_CAM0");
}

TEST_F(EventsTest, TwoBitMasksAndUnknownNamesHaveNoEntry) {
    EXPECT_EQ(name(3), "<null>");
    EXPECT_EQ(applet.lastError(), -2070);
    EXPECT_EQ(name(0), "<null>");
    EXPECT_EQ(mask("fg_overflow_cam0"), 0u);
    EXPECT_EQ(applet.lastError(), -2070);
    EXPECT_EQ(mask(nullptr), 0u);
    EXPECT_EQ(name(2), "FG_START_OF_FRAME_CAM_PORT_0");
    EXPECT_EQ(applet.lastError(), 0);
}

} // namespace
} // namespace kestrel::test
