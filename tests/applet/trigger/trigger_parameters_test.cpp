// Area trigger parameters through the exports: conversions into register values, ranges,
// dependent checks and the state they leave behind.
#include "trigger_fixture.h"

namespace kestrel::test {
namespace {

constexpr int32_t kAreaTriggerMode = 300200;
constexpr int32_t kTriggerState = 300201;
constexpr int32_t kFramesPerSecond = 90;
constexpr int32_t kExceededPeriodLimits = 300202;
constexpr int32_t kDebounce = 300204;
constexpr int32_t kDigioInput = 14010;
constexpr int32_t kPulseCount = 300207;
constexpr int32_t kFrequency = 300209;
constexpr int32_t kMinFrequency = 300210;
constexpr int32_t kMaxFrequency = 300211;
constexpr int32_t kMinMaxClear = 300212;
constexpr int32_t kMultiplyPulses = 300213;
constexpr int32_t kQueueMode = 300214;
constexpr int32_t kPfg0Downscale = 300216;
constexpr int32_t kPfg0Delay = 300218;
constexpr int32_t kPfg0Width = 300219;
constexpr int32_t kPfg1Width = 300223;
constexpr int32_t kCcSelect3 = 300253;
constexpr int32_t kOutSelect3 = 300235;
constexpr int32_t kMissingFrame = 300248;

TEST_F(TriggerTest, HighestFrequencyWritesMinimumPeriodOne) {
    // A period of 0.16 us fits only the shortest widths at the highest downscale.
    for (int32_t n = 0; n < 4; ++n) {
        mustSet(kPfg0Downscale + 4 * n, uint32_t{7});
        mustSet(kPfg0Width + 4 * n, 1.0);
    }
    mustSet(kFramesPerSecond, 6.25e6);
    EXPECT_EQ(reg("Generators_Generator_MinimumPeriod_Number"), 1u);
}

// Times convert into register ticks and read back from the register, not from the value set.
TEST_F(TriggerTest, TimesReachTheirRegistersConverted) {
    constexpr double kNotReadBack = -1.0;
    const struct {
        int32_t id;
        double value;
        const char* tail;
        uint64_t written;
        double readBack;
    } rows[] = {
        // The period truncates to ticks before the nine ticks of the generator come off.
        {kFramesPerSecond, 100.0, "Generators_Generator_MinimumPeriod_Number", 624991, kNotReadBack},
        {kFramesPerSecond, 8.0, "Generators_Generator_MinimumPeriod_Number", 7812490, kNotReadBack},
        // Widths must fit a period of almost 69 s: they do, the defaults are at most 4 ms.
        {kFramesPerSecond, 0.01455191522836685, "Generators_Generator_MinimumPeriod_Number", 4294967287u,
         0.01455191522836685},
        // Debounce in units of 48 ns, rounded.
        {kDebounce, 0.096, "TriggerInput_Debounce8_Prescale_Period", 2, 0.096},
        {kDebounce, 3.024, "TriggerInput_Debounce8_Prescale_Period", 63, 3.024},
        // Ticks of 16 ns: the width of generator 0 rounds, the others truncate.
        {kPfg1Width, 4.01, "PulseFormGenerators_PulseFormGenerator1_Width_Width", 250, 4.0},
        {kPfg0Width, 4.01, "PulseFormGenerators_PulseFormGenerator0_Width_Width", 251, 4.016},
        {kPfg0Delay, 1.01, "PulseFormGenerators_PulseFormGenerator0_Delay_Delay", 63, 1.008},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.id << " = " << row.value);
        mustSet(row.id, row.value);
        EXPECT_EQ(reg(row.tail), row.written);
        if (row.readBack != kNotReadBack) {
            EXPECT_DOUBLE_EQ(applet.get<double>(row.id), row.readBack);
        }
    }
}

TEST_F(TriggerTest, FrequencyTooFastForAWidthIsRefusedAndKeepsTheOldFrequency) {
    // Generator 0 is 4000 us wide: 250 Hz (4000 us) is too fast, 249 Hz fits.
    EXPECT_EQ(applet.set(kFramesPerSecond, 250.0), -2079);
    EXPECT_EQ(applet.lastError(), -2079);
    EXPECT_EQ(applet.get<double>(kFramesPerSecond), 8.0);
    EXPECT_EQ(reg("Generators_Generator_MinimumPeriod_Number"), 7812490u);
    mustSet(kFramesPerSecond, 249.0);
}

TEST_F(TriggerTest, DelayOrWidthLongerThanThePeriodIsRefusedAndKeepsTheOldValue) {
    // 8 Hz: a period of 125000 us.
    EXPECT_EQ(applet.set(kPfg0Delay, 125000.0), -2079);
    EXPECT_EQ(applet.get<double>(kPfg0Delay), 0.0);
    EXPECT_EQ(applet.set(kPfg0Width, 125000.0), -2079);
    EXPECT_DOUBLE_EQ(applet.get<double>(kPfg0Width), 4000.0);
    mustSet(kPfg0Width, 124999.0);
}

TEST_F(TriggerTest, DownscaleThatNoLongerFitsIsRefusedWithItsOwnCode) {
    mustSet(kPfg0Downscale, uint32_t{2});
    mustSet(kPfg0Width, 200000.0); // 100000 us per pulse at downscale 2
    EXPECT_EQ(applet.set(kPfg0Downscale, uint32_t{1}), -2078);
    EXPECT_EQ(applet.get<uint32_t>(kPfg0Downscale), 2u);
    EXPECT_EQ(reg("PulseFormGenerators_PulseFormGenerator0_Downscale_Downscale"), 2u);
}

TEST_F(TriggerTest, SequencerKeepsSelectedPulseAtOrBelowDownscale) {
    EXPECT_EQ(writesOf([&] { mustSet(kMultiplyPulses, uint32_t{5}); }),
              (WriteList{"Generators_Sequence_Downscale=5", "Generators_Sequence_SelectedPulse=5",
                         "Generators_ClearDownscale_Mode=2"}));
    EXPECT_EQ(writesOf([&] { mustSet(kMultiplyPulses, uint32_t{3}); }),
              (WriteList{"Generators_Sequence_SelectedPulse=3", "Generators_Sequence_Downscale=3",
                         "Generators_ClearDownscale_Mode=2"}));
    EXPECT_EQ(applet.set(kMultiplyPulses, uint32_t{65536}), -6000);
}

TEST_F(TriggerTest, QueueModeSetsCapacityAndPeriodOnlyOutsideGeneratorMode) {
    EXPECT_TRUE(writesOf([&] { mustSet(kQueueMode, int32_t{1}); }).empty());
    mustSet(kQueueMode, int32_t{0});
    mustSet(kAreaTriggerMode, uint32_t{4});
    EXPECT_EQ(
        writesOf([&] { mustSet(kQueueMode, int32_t{1}); }),
        (WriteList{"Generators_Generator_MinimumPeriod_Number=7812490",
                   "Generators_Queue_QueueFullValue_Number=2040", "Generators_Queue_QueueEnabled_Select=1"}));
    EXPECT_EQ(
        writesOf([&] { mustSet(kQueueMode, int32_t{0}); }),
        (WriteList{"Generators_Generator_MinimumPeriod_Number=10", "Generators_Queue_QueueFullValue_Number=1",
                   "Generators_Queue_QueueEnabled_Select=0"}));
}

TEST_F(TriggerTest, TriggerOutputSelectWaitsForTheStartDuringAsyncStop) {
    mustSet(kTriggerState, uint32_t{1});
    EXPECT_TRUE(writesOf([&] { mustSet(kOutSelect3, uint32_t{11}); }).empty());
    EXPECT_EQ(applet.get<uint32_t>(kOutSelect3), 11u);
    EXPECT_EQ(reg("TriggerOutput_Select3_Select_Select"), 5u);
    // Camera-control outputs are written in every state.
    EXPECT_EQ(
        writesOf([&] { mustSet(kCcSelect3, uint32_t{9}); }),
        (WriteList{"CameraControl_Select3_Select_Select=3", "CameraControl_Select3_Polarity_Invert=1"}));
    mustSet(kTriggerState, uint32_t{0});
    EXPECT_EQ(reg("TriggerOutput_Select3_Select_Select"), 4u);
    EXPECT_EQ(reg("TriggerOutput_Select3_Polarity_Invert"), 1u);
}

TEST_F(TriggerTest, OutputSourcesEncodeAsSelectAndInvert) {
    // Pulse generators 0..3 select themselves, 6..9 their negation; the constant levels share
    // select 5 and the input bypass is select 4.
    const struct {
        uint32_t source, select, invert;
    } cases[] = {{0, 0, 0}, {1, 1, 0}, {2, 2, 0}, {3, 3, 0}, {4, 5, 0},  {5, 5, 1},
                 {6, 0, 1}, {7, 1, 1}, {8, 2, 1}, {9, 3, 1}, {10, 4, 0}, {11, 4, 1}};
    for (const auto& c : cases) {
        mustSet(kCcSelect3, c.source);
        EXPECT_EQ(reg("CameraControl_Select3_Select_Select"), c.select) << c.source;
        EXPECT_EQ(reg("CameraControl_Select3_Polarity_Invert"), c.invert) << c.source;
    }
    EXPECT_EQ(applet.set(kCcSelect3, uint32_t{12}), -6000);
}

TEST_F(TriggerTest, MinMaxClearTogglesItsRegister) {
    const uint64_t first = reg("InputStatistics_ClearMinMax_Value");
    mustSet(kMinMaxClear, uint32_t{1});
    EXPECT_EQ(reg("InputStatistics_ClearMinMax_Value"), first ^ 1u);
    mustSet(kMinMaxClear, uint32_t{1});
    EXPECT_EQ(reg("InputStatistics_ClearMinMax_Value"), first);
    EXPECT_EQ(applet.set(kMinMaxClear, uint32_t{2}), -6000);
}

TEST_F(TriggerTest, StatisticsReadPeriodsAsFrequencies) {
    forceReg("InputStatistics_ReadPeriod_Status", 62500); // 1 ms
    forceReg("InputStatistics_ReadMax_Status", 625000);   // 10 ms: the lowest frequency
    forceReg("InputStatistics_ReadMin_Status", 6250);     // 100 us: the highest
    forceReg("InputStatistics_ReadPulses_Status", 77);
    EXPECT_DOUBLE_EQ(applet.get<double>(kFrequency), 1000.0);
    EXPECT_DOUBLE_EQ(applet.get<double>(kMinFrequency), 100.0);
    EXPECT_DOUBLE_EQ(applet.get<double>(kMaxFrequency), 10000.0);
    EXPECT_EQ(applet.get<uint32_t>(kPulseCount), 77u);
}

TEST_F(TriggerTest, MonitoringBitsDependOnTheMode) {
    forceReg("Monitoring_ReadQueueStatus_Status", 0x5);
    EXPECT_EQ(applet.get<uint32_t>(kExceededPeriodLimits), 0u); // generator mode
    EXPECT_EQ(applet.get<uint32_t>(kMissingFrame), 1u);
    mustSet(kAreaTriggerMode, uint32_t{2});
    EXPECT_EQ(applet.get<uint32_t>(kExceededPeriodLimits), 1u);
    forceReg("TriggerInput_InputStatus_Status", 0xA5);
    EXPECT_EQ(applet.get<uint32_t>(kDigioInput), 0xA5u);
}

TEST_F(TriggerTest, ClearCommandsPulseTheirRegisters) {
    EXPECT_EQ(writesOf([&] {
                  mustSet(300203, int32_t{1});
                  mustSet(300208, int32_t{1});
                  mustSet(300238, int32_t{1});
                  mustSet(300249, int32_t{1});
              }),
              (WriteList{"Monitoring_ClearOverrideCam0_Mode=2", "InputStatistics_ClearPulses_Mode=2",
                         "OutputStatistics_ClearPulses_Mode=2", "Monitoring_ClearMissingFrame_Cam0_Mode=2"}));
    EXPECT_EQ(applet.set(300203, int32_t{2}), -6000);
}

} // namespace
} // namespace kestrel::test
