// Area trigger parameters through the exports: conversions into register values, the checks between
// parameters, the states they leave behind, the limits and access words they publish, and the
// event names of the design.
#include "trigger_fixture.h"

#include "core/error_codes.h"

namespace kestrel::test {
namespace {

constexpr int32_t kPfgStride = FG_TRIGGER_PULSEFORMGEN1_WIDTH - FG_TRIGGER_PULSEFORMGEN0_WIDTH;

TEST_F(TriggerTest, HighestFrequencyWritesMinimumPeriodOne) {
    // A period of 0.16 us fits only the shortest widths at the highest downscale.
    for (int32_t n = 0; n < 4; ++n) {
        mustSet(FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE + kPfgStride * n, uint32_t{7});
        mustSet(FG_TRIGGER_PULSEFORMGEN0_WIDTH + kPfgStride * n, 1.0);
    }
    mustSet(FG_TRIGGER_FRAMESPERSECOND, 6.25e6);
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
        {FG_TRIGGER_FRAMESPERSECOND, 100.0, "Generators_Generator_MinimumPeriod_Number", 624991,
         kNotReadBack},
        // Widths must fit a period of almost 69 s: they do, the defaults are at most 4 ms.
        {FG_TRIGGER_FRAMESPERSECOND, 0.01455191522836685, "Generators_Generator_MinimumPeriod_Number",
         4294967287u, 0.01455191522836685},
        // Debounce in units of 48 ns, rounded.
        {FG_TRIGGERIN_DEBOUNCE, 0.096, "TriggerInput_Debounce8_Prescale_Period", 2, 0.096},
        {FG_TRIGGERIN_DEBOUNCE, 3.024, "TriggerInput_Debounce8_Prescale_Period", 63, 3.024},
        // Ticks of 16 ns: the width of generator 0 rounds, the others truncate.
        {FG_TRIGGER_PULSEFORMGEN1_WIDTH, 4.01, "PulseFormGenerators_PulseFormGenerator1_Width_Width", 250,
         4.0},
        {FG_TRIGGER_PULSEFORMGEN0_WIDTH, 4.01, "PulseFormGenerators_PulseFormGenerator0_Width_Width", 251,
         4.016},
        {FG_TRIGGER_PULSEFORMGEN0_DELAY, 1.01, "PulseFormGenerators_PulseFormGenerator0_Delay_Delay", 63,
         1.008},
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

// At 8 Hz (a period of 125000 us) generator 0 is 4000 us wide: each of period, delay, width and
// downscale must still let every pulse fit, and a refusal keeps the old value.
TEST_F(TriggerTest, PulsesThatNoLongerFitThePeriodAreRefused) {
    EXPECT_EQ(applet.set(FG_TRIGGER_FRAMESPERSECOND, 250.0), kErrFrequencyConflict);
    EXPECT_EQ(applet.lastError(), kErrFrequencyConflict);
    EXPECT_EQ(applet.get<double>(FG_TRIGGER_FRAMESPERSECOND), 8.0);
    EXPECT_EQ(reg("Generators_Generator_MinimumPeriod_Number"), 7812490u);
    mustSet(FG_TRIGGER_FRAMESPERSECOND, 249.0);
    mustSet(FG_TRIGGER_FRAMESPERSECOND, 8.0);
    EXPECT_EQ(applet.set(FG_TRIGGER_PULSEFORMGEN0_DELAY, 125000.0), kErrFrequencyConflict);
    EXPECT_EQ(applet.get<double>(FG_TRIGGER_PULSEFORMGEN0_DELAY), 0.0);
    EXPECT_EQ(applet.set(FG_TRIGGER_PULSEFORMGEN0_WIDTH, 125000.0), kErrFrequencyConflict);
    EXPECT_DOUBLE_EQ(applet.get<double>(FG_TRIGGER_PULSEFORMGEN0_WIDTH), 4000.0);
    mustSet(FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE, uint32_t{2});
    mustSet(FG_TRIGGER_PULSEFORMGEN0_WIDTH, 200000.0); // 100000 us per pulse at downscale 2
    EXPECT_EQ(applet.set(FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE, uint32_t{1}), kErrDownscaleConflict);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE), 2u);
    EXPECT_EQ(reg("PulseFormGenerators_PulseFormGenerator0_Downscale_Downscale"), 2u);
}

// The sequencer's selected pulse may never exceed its downscale, so the order turns with the change.
TEST_F(TriggerTest, SequencerKeepsSelectedPulseAtOrBelowDownscale) {
    EXPECT_EQ(writesOf([&] { mustSet(FG_TRIGGER_MULTIPLY_PULSES, uint32_t{5}); }),
              (WriteList{"Generators_Sequence_Downscale=5", "Generators_Sequence_SelectedPulse=5",
                         "Generators_ClearDownscale_Mode=2"}));
    EXPECT_EQ(writesOf([&] { mustSet(FG_TRIGGER_MULTIPLY_PULSES, uint32_t{3}); }),
              (WriteList{"Generators_Sequence_SelectedPulse=3", "Generators_Sequence_Downscale=3",
                         "Generators_ClearDownscale_Mode=2"}));
}

TEST_F(TriggerTest, QueueModeSetsCapacityAndPeriodOnlyOutsideGeneratorMode) {
    EXPECT_TRUE(writesOf([&] { mustSet(FG_TRIGGERQUEUE_MODE, int32_t{1}); }).empty());
    mustSet(FG_TRIGGERQUEUE_MODE, int32_t{0});
    mustSet(FG_AREATRIGGERMODE, uint32_t{4});
    const struct {
        int32_t mode;
        uint64_t period, capacity, enabled;
    } rows[] = {{1, 7812490, 2040, 1}, {0, 10, 1, 0}};
    for (const auto& row : rows) {
        mustSet(FG_TRIGGERQUEUE_MODE, row.mode);
        EXPECT_EQ(reg("Generators_Generator_MinimumPeriod_Number"), row.period);
        EXPECT_EQ(reg("Generators_Queue_QueueFullValue_Number"), row.capacity);
        EXPECT_EQ(reg("Generators_Queue_QueueEnabled_Select"), row.enabled);
    }
}

TEST_F(TriggerTest, TriggerOutputSelectWaitsForTheStartDuringAsyncStop) {
    mustSet(FG_TRIGGERSTATE, uint32_t{1});
    EXPECT_TRUE(writesOf([&] { mustSet(FG_TRIGGEROUT_SELECT3, uint32_t{11}); }).empty());
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGEROUT_SELECT3), 11u);
    // Camera-control outputs are written in every state.
    mustSet(FG_TRIGGERCC_SELECT3, uint32_t{9});
    EXPECT_EQ(reg("CameraControl_Select3_Select_Select"), 3u);
    mustSet(FG_TRIGGERSTATE, uint32_t{0});
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
        mustSet(FG_TRIGGERCC_SELECT3, c.source);
        EXPECT_EQ(reg("CameraControl_Select3_Select_Select"), c.select) << c.source;
        EXPECT_EQ(reg("CameraControl_Select3_Polarity_Invert"), c.invert) << c.source;
    }
}

TEST_F(TriggerTest, ClearCommandsPulseOrToggleTheirRegisters) {
    EXPECT_EQ(writesOf([&] {
                  mustSet(FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR, int32_t{1});
                  mustSet(FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR, int32_t{1});
                  mustSet(FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR, int32_t{1});
                  mustSet(FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR, int32_t{1});
              }),
              (WriteList{"Monitoring_ClearOverrideCam0_Mode=2", "InputStatistics_ClearPulses_Mode=2",
                         "OutputStatistics_ClearPulses_Mode=2", "Monitoring_ClearMissingFrame_Cam0_Mode=2"}));
    const uint64_t first = reg("InputStatistics_ClearMinMax_Value");
    mustSet(FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR, uint32_t{1});
    EXPECT_EQ(reg("InputStatistics_ClearMinMax_Value"), first ^ 1u);
    mustSet(FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR, uint32_t{1});
    EXPECT_EQ(reg("InputStatistics_ClearMinMax_Value"), first);
}

TEST_F(TriggerTest, StatisticsAndMonitoringReadTheirStatusRegisters) {
    forceReg("InputStatistics_ReadPeriod_Status", 62500); // 1 ms
    forceReg("InputStatistics_ReadMax_Status", 625000);   // 10 ms: the lowest frequency
    forceReg("InputStatistics_ReadMin_Status", 6250);     // 100 us: the highest
    forceReg("InputStatistics_ReadPulses_Status", 77);
    EXPECT_DOUBLE_EQ(applet.get<double>(FG_TRIGGERIN_STATS_FREQUENCY), 1000.0);
    EXPECT_DOUBLE_EQ(applet.get<double>(FG_TRIGGERIN_STATS_MINFREQUENCY), 100.0);
    EXPECT_DOUBLE_EQ(applet.get<double>(FG_TRIGGERIN_STATS_MAXFREQUENCY), 10000.0);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERIN_STATS_PULSECOUNT), 77u);
    // The period-limit bit counts only outside generator mode.
    forceReg("Monitoring_ReadQueueStatus_Status", 0x5);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGER_EXCEEDED_PERIOD_LIMITS), 0u);
    EXPECT_EQ(applet.get<uint32_t>(FG_MISSING_CAMERA_FRAME_RESPONSE), 1u);
    mustSet(FG_AREATRIGGERMODE, uint32_t{2});
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGER_EXCEEDED_PERIOD_LIMITS), 1u);
    forceReg("TriggerInput_InputStatus_Status", 0xA5);
    EXPECT_EQ(applet.get<uint32_t>(FG_DIGIO_INPUT), 0xA5u);
}

// Dependent limits as the host reads them in the information tree (access words: the
// access-switch contract).
TEST_F(TriggerTest, ModesPublishLimitsInTheTree) {
    const auto node = [&](int32_t id) { return *applet.infoNode(id); };
    mustSet(FG_AREATRIGGERMODE, uint32_t{4});
    mustSet(FG_TRIGGERQUEUE_MODE, int32_t{1});
    EXPECT_EQ(node(FG_SENDSOFTWARETRIGGER).kind.integer.maximum, 2040);
    mustSet(FG_TRIGGERQUEUE_MODE, int32_t{0});
    EXPECT_EQ(node(FG_SENDSOFTWARETRIGGER).kind.integer.maximum, 1);
    // Downscale and phase publish each other's limits.
    mustSet(FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE, uint32_t{5});
    EXPECT_EQ(node(FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE_PHASE).kind.integer.maximum, 4);
    EXPECT_EQ(applet.set(FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE_PHASE, uint32_t{5}), kErrOutOfRange);
    mustSet(FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE_PHASE, uint32_t{2});
    EXPECT_EQ(node(FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE).kind.integer.minimum, 3);
    mustSet(FG_TRIGGERIN_DOWNSCALE, uint32_t{10});
    EXPECT_EQ(node(FG_TRIGGERIN_DOWNSCALE_PHASE).kind.integer.maximum, 9);
    mustSet(FG_TRIGGERIN_DOWNSCALE_PHASE, uint32_t{4});
    EXPECT_EQ(node(FG_TRIGGERIN_DOWNSCALE).kind.integer.minimum, 5);
    EXPECT_EQ(reg("Downscale_Downscale_SelectedPulse"), 5u); // the register counts from one
}

TEST_F(TriggerTest, EventNamesAndMasksOfTheDesign) {
    const Gh5AppletExports& ex = applet.exports();
    EXPECT_EQ(ex.Fg_getEventMask(applet.fg(), "FG_OVERFLOW_CAM0"), 1u);
    EXPECT_EQ(ex.Fg_getEventMask(applet.fg(), "Device1_Process0_Overflow_Overflow"), 1u);
    EXPECT_EQ(ex.Fg_getEventMask(applet.fg(), "FG_TRIGGER_OUTPUT_CAM0"), uint64_t{1} << 23);
    EXPECT_STREQ(ex.Fg_getEventName(applet.fg(), uint64_t{1} << 23), "FG_TRIGGER_OUTPUT_CAM0");
    EXPECT_EQ(applet.lastError(), 0);
    EXPECT_EQ(ex.Fg_getEventName(applet.fg(), 3), nullptr);
    EXPECT_EQ(applet.lastError(), kErrInvalidArgument);
    EXPECT_EQ(ex.Fg_getEventName(applet.fg(), 0), nullptr);
    EXPECT_EQ(ex.Fg_getEventMask(applet.fg(), "fg_overflow_cam0"), 0u);
    EXPECT_EQ(ex.Fg_getEventMask(applet.fg(), nullptr), 0u);
    EXPECT_EQ(applet.lastError(), kErrInvalidArgument);
}

} // namespace
} // namespace kestrel::test
