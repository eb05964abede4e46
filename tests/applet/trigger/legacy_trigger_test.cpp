// The legacy trigger interface and the switch between the two interfaces, through the exports.
#include "trigger_fixture.h"

#include "core/error_codes.h"

namespace kestrel::test {
namespace {

class LegacyTriggerTest : public TriggerTest {
protected:
    void SetUp() override { mustSet(FG_TRIGGER_LEGACY_MODE, int32_t{1}); }
    // An output's select and polarity registers, e.g. output("CameraControl_Select2").
    std::pair<uint64_t, uint64_t> output(const std::string& name) {
        return {reg(name + "_Select_Select"), reg(name + "_Polarity_Invert")};
    }
    using Output = std::pair<uint64_t, uint64_t>;
};

// Which parameters each interface refuses is held for every row by the access-switch contract.
TEST_F(LegacyTriggerTest, KeepsTheSharedParametersAndChecksTheExposureAgainstThePeriod) {
    mustSet(FG_TRIGGER_FRAMESPERSECOND, 10.0);
    mustSet(FG_TRIGGERIN_SRC, uint32_t{3});
    // An exposure that does not fit the period keeps the old one.
    EXPECT_EQ(applet.set(FG_EXPOSURE, uint32_t{100000}), kErrFrequencyConflict);
    EXPECT_EQ(applet.get<uint32_t>(FG_EXPOSURE), 4000u);
}

TEST_F(TriggerTest, SwitchingLegacyOnAndOffLeavesEveryTriggerSettingAtItsDefault) {
    mustSet(FG_TRIGGER_FRAMESPERSECOND, 10.0);
    mustSet(FG_TRIGGERIN_DEBOUNCE, 2.0);
    mustSet(FG_TRIGGER_PULSEFORMGEN0_DELAY, 5.0);
    mustSet(FG_TRIGGER_PULSEFORMGEN1_WIDTH, 10.0);
    mustSet(FG_TRIGGERCC_SELECT2, uint32_t{0});
    mustSet(FG_TRIGGERQUEUE_MODE, int32_t{1});
    mustSet(FG_AREATRIGGERMODE, uint32_t{4});
    mustSet(FG_TRIGGERSTATE, uint32_t{0});
    mustSet(FG_TRIGGER_LEGACY_MODE, int32_t{1});
    mustSet(FG_EXPOSURE, uint32_t{1000});
    mustSet(FG_PRESCALER, 20.0);
    mustSet(FG_TRIGGER_LEGACY_MODE, int32_t{0});

    EXPECT_EQ(applet.get<double>(FG_TRIGGER_FRAMESPERSECOND), 8.0);
    EXPECT_DOUBLE_EQ(applet.get<double>(FG_TRIGGERIN_DEBOUNCE), 1.008);
    EXPECT_EQ(applet.get<double>(FG_TRIGGER_PULSEFORMGEN0_DELAY), 0.0);
    EXPECT_DOUBLE_EQ(applet.get<double>(FG_TRIGGER_PULSEFORMGEN0_WIDTH), 4000.0);
    EXPECT_DOUBLE_EQ(applet.get<double>(FG_TRIGGER_PULSEFORMGEN1_WIDTH), 4.0);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERCC_SELECT2), 5u);
    EXPECT_EQ(applet.get<int32_t>(FG_TRIGGERQUEUE_MODE), 0);
    EXPECT_EQ(applet.get<uint32_t>(FG_AREATRIGGERMODE), 1u);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERSTATE), 2u);
    EXPECT_EQ(applet.get<uint32_t>(FG_EXPOSURE), 4000u);
    EXPECT_EQ(applet.get<double>(FG_PRESCALER), 10.0);
    EXPECT_EQ(reg("Generators_Generator_MinimumPeriod_Number"), 7812490u);
    EXPECT_EQ(reg("CameraControl_Select2_Select_Select"), 5u);
    EXPECT_EQ(applet.set(FG_EXPOSURE, uint32_t{1000}), kErrInvalidArgument);
}

TEST_F(LegacyTriggerTest, DigitalOutputTwoDrivesOutputThreeLowAndSevenHigh) {
    mustSet(FG_DIGIO_OUTPUT, uint32_t{2});
    EXPECT_EQ(output("TriggerOutput_Select3"), Output(5, 0));
    EXPECT_EQ(output("TriggerOutput_Select7"), Output(5, 1));
}

TEST_F(LegacyTriggerTest, ExsyncLeavesACameraControlOnTheStrobePulseAlone) {
    mustSet(FG_CCSEL2, uint32_t{2});                          // CC_STROBEPULSE
    EXPECT_EQ(output("CameraControl_Select2"), Output(5, 1)); // flash off, low active: VCC
    // Exposure on, low active: "not pulse generator 0" on trigger output 1 and on CC 0 (CC_EXSYNC).
    mustSet(FG_EXSYNCON, uint32_t{1});
    EXPECT_EQ(output("TriggerOutput_Select1"), Output(0, 1));
    EXPECT_EQ(output("CameraControl_Select0"), Output(0, 1));
    EXPECT_EQ(output("CameraControl_Select2"), Output(5, 1));
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGEROUT_SELECT1), 6u);
    mustSet(FG_EXSYNCPOLARITY, uint32_t{1});
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGEROUT_SELECT1), 0u);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERCC_SELECT0), 0u);
}

TEST_F(LegacyTriggerTest, FlashReachesEveryCameraControlThatCarriesIt) {
    mustSet(FG_CCSEL0, uint32_t{8}); // CC_NOT_STROBEPULSE
    mustSet(FG_CCSEL2, uint32_t{2}); // CC_STROBEPULSE
    mustSet(FG_FLASH_POLARITY, uint32_t{1});
    mustSet(FG_FLASHON, uint32_t{1});
    EXPECT_EQ(output("TriggerOutput_Select0"), Output(1, 0));
    EXPECT_EQ(output("CameraControl_Select0"), Output(1, 1));
    EXPECT_EQ(output("CameraControl_Select2"), Output(1, 0));
    // Off and high active: the positive outputs rest on GND, the negated ones on VCC.
    mustSet(FG_FLASHON, uint32_t{0});
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERCC_SELECT0), 5u);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERCC_SELECT2), 4u);
}

TEST_F(LegacyTriggerTest, FreeRunStopsAsynchronouslyAndKeepsTheMode) {
    mustSet(FG_TRIGGERMODE, uint32_t{2}); // external trigger: active
    EXPECT_EQ(applet.get<uint32_t>(FG_AREATRIGGERMODE), 2u);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERSTATE), 0u);
    // The external and software modes pace the generator at its shortest period.
    EXPECT_EQ(reg("Generators_Generator_MinimumPeriod_Number"), 10u);
    mustSet(FG_TRIGGERMODE, uint32_t{0});
    EXPECT_EQ(applet.get<uint32_t>(FG_AREATRIGGERMODE), 2u);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERSTATE), 1u);
    mustSet(FG_TRIGGERMODE, uint32_t{1}); // grabber controlled
    EXPECT_EQ(applet.get<uint32_t>(FG_AREATRIGGERMODE), 1u);
    EXPECT_EQ(reg("Generators_Generator_MinimumPeriod_Number"), 7812490u);
}

TEST_F(LegacyTriggerTest, LegacyDelaysDriveTheTwoSignalGenerators) {
    mustSet(FG_EXSYNCDELAY, 1.01);
    mustSet(FG_STROBEPULSEDELAY, 2.0);
    EXPECT_EQ(reg("PulseFormGenerators_PulseFormGenerator0_Delay_Delay"), 63u);
    EXPECT_EQ(reg("PulseFormGenerators_PulseFormGenerator1_Delay_Delay"), 125u);
}

} // namespace
} // namespace kestrel::test
