// The legacy trigger interface and the switch between the two interfaces, through the exports.
#include "trigger_fixture.h"

namespace kestrel::test {
namespace {

constexpr int32_t kLegacyMode = 300254;
constexpr int32_t kAreaTriggerMode = 300200;
constexpr int32_t kTriggerState = 300201;
constexpr int32_t kFramesPerSecond = 90;
constexpr int32_t kDebounce = 300204;
constexpr int32_t kTriggerInSource = 8110;
constexpr int32_t kPfg0Width = 300219;
constexpr int32_t kPfg0Delay = 300218;
constexpr int32_t kCcSelect0 = 300250;
constexpr int32_t kCcSelect2 = 300252;
constexpr int32_t kOutSelect1 = 300233;
constexpr int32_t kQueueMode = 300214;
constexpr int32_t kTriggerMode = 8100;
constexpr int32_t kExsyncOn = 8300;
constexpr int32_t kFlashOn = 8600;
constexpr int32_t kExposure = 10020;
constexpr int32_t kExsyncDelay = 8400;
constexpr int32_t kExsyncPolarity = 8420;
constexpr int32_t kFlashPolarity = 24060;
constexpr int32_t kPrescaler = 10050;
constexpr int32_t kCcSel0 = 14001;
constexpr int32_t kCcSel2 = 14003;
constexpr int32_t kDigioOutput = 14020;

TEST_F(TriggerTest, LegacyModeRefusesAreaTriggerParametersButKeepsTheSharedOnes) {
    mustSet(kLegacyMode, int32_t{1});
    EXPECT_EQ(applet.set(kAreaTriggerMode, uint32_t{2}), -2070);
    EXPECT_EQ(applet.set(kDebounce, 2.0), -2070);
    EXPECT_EQ(applet.set(kCcSelect0, uint32_t{4}), -2070);
    EXPECT_EQ(applet.get<uint32_t>(kAreaTriggerMode), 1u);
    mustSet(kFramesPerSecond, 10.0);
    mustSet(kTriggerInSource, uint32_t{3});
    mustSet(kPrescaler, 20.0);
}

TEST_F(TriggerTest, SwitchingLegacyOnAndOffLeavesEveryTriggerSettingAtItsDefault) {
    mustSet(kFramesPerSecond, 10.0);
    mustSet(kDebounce, 2.0);
    mustSet(kPfg0Delay, 5.0);
    mustSet(kCcSelect2, uint32_t{0});
    mustSet(kQueueMode, int32_t{1});
    mustSet(kAreaTriggerMode, uint32_t{4});
    mustSet(kTriggerState, uint32_t{0});

    mustSet(kLegacyMode, int32_t{1});
    mustSet(kExposure, uint32_t{1000});
    mustSet(kPrescaler, 20.0);
    mustSet(kLegacyMode, int32_t{0});

    EXPECT_EQ(applet.get<double>(kFramesPerSecond), 8.0);
    EXPECT_DOUBLE_EQ(applet.get<double>(kDebounce), 1.008);
    EXPECT_EQ(applet.get<double>(kPfg0Delay), 0.0);
    EXPECT_DOUBLE_EQ(applet.get<double>(kPfg0Width), 4000.0);
    EXPECT_EQ(applet.get<uint32_t>(kCcSelect2), 5u);
    EXPECT_EQ(applet.get<int32_t>(kQueueMode), 0);
    EXPECT_EQ(applet.get<uint32_t>(kAreaTriggerMode), 1u);
    EXPECT_EQ(applet.get<uint32_t>(kTriggerState), 2u);
    EXPECT_EQ(applet.get<uint32_t>(kExposure), 4000u);
    EXPECT_EQ(applet.get<double>(kPrescaler), 10.0);
    EXPECT_EQ(reg("Generators_Generator_MinimumPeriod_Number"), 7812490u);
    EXPECT_EQ(reg("CameraControl_Select2_Select_Select"), 5u);
    EXPECT_EQ(applet.set(kExposure, uint32_t{1000}), -2070);
}

TEST_F(TriggerTest, ExposureThatDoesNotFitKeepsTheOldExposure) {
    mustSet(kLegacyMode, int32_t{1});
    mustSet(kFramesPerSecond, 10.0); // 100000 us
    EXPECT_EQ(applet.set(kExposure, uint32_t{100000}), -2079);
    EXPECT_EQ(applet.get<uint32_t>(kExposure), 4000u);
}

TEST_F(TriggerTest, DigitalOutputTwoDrivesOutputThreeLowAndSevenHigh) {
    mustSet(kLegacyMode, int32_t{1});
    EXPECT_EQ(
        writesOf([&] { mustSet(kDigioOutput, uint32_t{2}); }),
        (WriteList{"TriggerOutput_Select3_Select_Select=5", "TriggerOutput_Select3_Polarity_Invert=0",
                   "TriggerOutput_Select7_Select_Select=5", "TriggerOutput_Select7_Polarity_Invert=1"}));
}

TEST_F(TriggerTest, ExsyncLeavesACameraControlOnTheStrobePulseAlone) {
    mustSet(kLegacyMode, int32_t{1});
    mustSet(kCcSel2, uint32_t{2});                             // CC_STROBEPULSE
    EXPECT_EQ(reg("CameraControl_Select2_Select_Select"), 5u); // flash off, low active: VCC
    EXPECT_EQ(reg("CameraControl_Select2_Polarity_Invert"), 1u);
    // Exposure on, low active: "not pulse generator 0" on trigger output 1 and on CC 0 (CC_EXSYNC).
    EXPECT_EQ(
        writesOf([&] { mustSet(kExsyncOn, uint32_t{1}); }),
        (WriteList{"TriggerOutput_Select1_Select_Select=0", "TriggerOutput_Select1_Polarity_Invert=1",
                   "CameraControl_Select0_Select_Select=0", "CameraControl_Select0_Polarity_Invert=1"}));
    EXPECT_EQ(applet.get<uint32_t>(kOutSelect1), 6u);
}

TEST_F(TriggerTest, FlashReachesEveryCameraControlThatCarriesIt) {
    mustSet(kLegacyMode, int32_t{1});
    mustSet(kCcSel0, uint32_t{8}); // CC_NOT_STROBEPULSE
    mustSet(kCcSel2, uint32_t{2}); // CC_STROBEPULSE
    mustSet(kFlashPolarity, uint32_t{1});
    EXPECT_EQ(
        writesOf([&] { mustSet(kFlashOn, uint32_t{1}); }),
        (WriteList{"TriggerOutput_Select0_Select_Select=1", "TriggerOutput_Select0_Polarity_Invert=0",
                   "CameraControl_Select0_Select_Select=1", "CameraControl_Select0_Polarity_Invert=1",
                   "CameraControl_Select2_Select_Select=1", "CameraControl_Select2_Polarity_Invert=0"}));
    // Off and high active: the positive outputs rest on GND, the negated ones on VCC.
    mustSet(kFlashOn, uint32_t{0});
    EXPECT_EQ(applet.get<uint32_t>(kCcSelect0), 5u);
    EXPECT_EQ(applet.get<uint32_t>(kCcSelect2), 4u);
    EXPECT_EQ(applet.set(kCcSel0, uint32_t{1}), -6000);
}

TEST_F(TriggerTest, ExsyncPolarityFlipsTheExposureOutputs) {
    mustSet(kLegacyMode, int32_t{1});
    mustSet(kExsyncOn, uint32_t{1});
    mustSet(kExsyncPolarity, uint32_t{1});
    EXPECT_EQ(applet.get<uint32_t>(kOutSelect1), 0u);
    EXPECT_EQ(applet.get<uint32_t>(kCcSelect0), 0u);
}

TEST_F(TriggerTest, FreeRunStopsAsynchronouslyAndKeepsTheMode) {
    mustSet(kLegacyMode, int32_t{1});
    mustSet(kTriggerMode, uint32_t{2}); // external trigger: active
    EXPECT_EQ(applet.get<uint32_t>(kAreaTriggerMode), 2u);
    EXPECT_EQ(applet.get<uint32_t>(kTriggerState), 0u);
    // The external and software modes pace the generator at its shortest period.
    EXPECT_EQ(reg("Generators_Generator_MinimumPeriod_Number"), 10u);
    mustSet(kTriggerMode, uint32_t{0});
    EXPECT_EQ(applet.get<uint32_t>(kAreaTriggerMode), 2u);
    EXPECT_EQ(applet.get<uint32_t>(kTriggerState), 1u);
    mustSet(kTriggerMode, uint32_t{1}); // grabber controlled
    EXPECT_EQ(applet.get<uint32_t>(kAreaTriggerMode), 1u);
    EXPECT_EQ(reg("Generators_Generator_MinimumPeriod_Number"), 7812490u);
    EXPECT_EQ(applet.set(kTriggerMode, uint32_t{3}), -6000);
}

TEST_F(TriggerTest, LegacyDelaysDriveTheTwoSignalGenerators) {
    mustSet(kLegacyMode, int32_t{1});
    mustSet(kExsyncDelay, 1.01);
    mustSet(8700, 2.0);
    EXPECT_EQ(reg("PulseFormGenerators_PulseFormGenerator0_Delay_Delay"), 63u);
    EXPECT_EQ(reg("PulseFormGenerators_PulseFormGenerator1_Delay_Delay"), 125u);
    EXPECT_EQ(applet.set(kExsyncDelay, 10230.5), -6000);
}

} // namespace
} // namespace kestrel::test
