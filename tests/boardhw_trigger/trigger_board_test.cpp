// The whole trigger on a board: generator, software and external pulses, queue, sequencer,
// pulse-form timing, stop states, statistics and monitoring, as the register writes set them.
#include "trigger_fixture.h"

#include <optional>

namespace kestrel::boardhw::testing {
namespace {

using Times = std::vector<uint64_t>;

// Every k-th multiple of periodNs in [0, endNs].
Times every(uint64_t periodNs, uint64_t endNs, uint64_t firstNs = 0) {
    Times t;
    for (uint64_t at = firstNs; at <= endNs; at += periodNs)
        t.push_back(at);
    return t;
}

TEST_F(TriggerBoardTest, DoesNotDriveTheCameraUntilAPulseFormGeneratorIsEnabled) {
    EXPECT_FALSE(trigger().drivesCamera());
    cameraOnPulseForm0(true);
    EXPECT_FALSE(trigger().drivesCamera());
    write("PulseFormGenerators_Enable_Select", 1);
    EXPECT_TRUE(trigger().drivesCamera());
    write(cc(0, "Select_Select"), 5); // parked on a constant level
    EXPECT_FALSE(trigger().drivesCamera());
}

TEST_F(TriggerBoardTest, GeneratorExposesOncePerPeriodFromTimeZeroFollowingItsRegister) {
    struct Case {
        uint64_t periodRegister;
        uint64_t endNs;
    };
    cameraOnPulseForm0();
    for (const Case c : {Case{1, 1000}, Case{991, 20000}}) {
        startGenerator(false, c.periodRegister);
        trigger().restart();
        EXPECT_EQ(trigger().advanceTo(c.endNs), every(periodNs(c.periodRegister), c.endNs))
            << c.periodRegister;
    }
    // The period follows a register change from the next pulse on: 16 us, then 8 us.
    write("Generators_Generator_MinimumPeriod_Number", 491);
    EXPECT_EQ(trigger().advanceTo(50000), (Times{32000, 40000, 48000}));
}

TEST_F(TriggerBoardTest, SoftwarePulsesExposeOneForOneFromTheTimeLastAdvancedTo) {
    struct Case {
        bool queue;
        int pulses;
    };
    cameraOnPulseForm0();
    for (const Case c : {Case{true, 2040}, Case{false, 1}}) {
        if (c.queue)
            queueOn();
        startGenerator(true, 10); // 19 ticks = 304 ns
        trigger().restart();
        softwarePulses(c.pulses);
        EXPECT_EQ(trigger().advanceTo(1000000), every(304, 304 * uint64_t(c.pulses - 1))) << c.pulses;
    }
    // A pulse takes effect at the time last advanced to.
    cameraOnPulseForm0(false, 5);
    trigger().restart();
    EXPECT_TRUE(trigger().advanceTo(7000).empty());
    softwarePulses(1);
    EXPECT_EQ(trigger().nextActivityNs(), std::optional<uint64_t>(7000 + 5 * kTick));
    EXPECT_EQ(trigger().advanceTo(9000), (Times{7080}));
}

TEST_F(TriggerBoardTest, SoftwarePulsesAreIgnoredUnlessTheGeneratorTakesThem) {
    cameraOnPulseForm0();
    startGenerator(true, 10);
    write("TriggerMode_SelectExternal_Select", 1); // external pulses only
    trigger().restart();
    softwarePulses(3);
    EXPECT_TRUE(trigger().advanceTo(1000000).empty());
    startGenerator(false, 991); // free-running
    trigger().restart();
    softwarePulses(3);
    EXPECT_EQ(trigger().advanceTo(20000), (Times{0, 16000}));
}

TEST_F(TriggerBoardTest, ALostPulseSetsItsMonitorBitUntilCleared) {
    startGenerator(true, 991); // queue off
    trigger().restart();
    softwarePulses(2);
    EXPECT_EQ(read("Monitoring_ReadQueueStatus_Status"), 0x1u);
    EXPECT_EQ(eventsNamed("Cam0Override"), 1u);
    write("Monitoring_ClearOverrideCam0_Mode", 2);
    EXPECT_EQ(read("Monitoring_ReadQueueStatus_Status"), 0u) << "the period-limit bit stays until cleared";
}

// External pulses on input 3: 200 ns high every 1 us from 1 us on.
class ExternalTriggerTest : public TriggerBoardTest {
protected:
    void SetUp() override {
        TriggerBoardTest::SetUp();
        cameraOnPulseForm0();
        queueOn();
        write("TriggerInput_Debounce8_Prescale_Period", 2); // 96 ns
        write("InputSelect_Select_Select", 3);
        write("Downscale_Downscale_Downscale", 1);
        write("Downscale_Downscale_SelectedPulse", 1);
        write("TriggerMode_SelectExternal_Select", 1);
        startGenerator(true, 10);
        trigger().restart();
    }
    void pulses(uint32_t input, int count, uint64_t widthNs = 200) {
        for (int k = 1; k <= count; ++k)
            ASSERT_EQ(trigger().injectPulse(input, 1000 * uint64_t(k), widthNs), BOARD_OK);
    }
};

TEST_F(ExternalTriggerTest, ExposesOnEachDebouncedPulseOfTheSelectedInputAtItsPolarity) {
    pulses(3, 4);
    pulses(2, 4); // another input: not selected
    EXPECT_EQ(trigger().advanceTo(10000), (Times{1096, 2096, 3096, 4096}));
    write("InputSelect_Polarity_Invert", 1); // low active: the falling edge
    trigger().restart();
    pulses(3, 2);
    EXPECT_EQ(trigger().advanceTo(10000), (Times{1296, 2296}));
}

TEST_F(ExternalTriggerTest, InputEdgesRaiseEventsAndShowInTheInputStatus) {
    ASSERT_EQ(trigger().injectInput(6, true, 500), BOARD_OK);
    trigger().advanceTo(1000);
    EXPECT_EQ(read("TriggerInput_InputStatus_Status"), 0x40u);
    ASSERT_EQ(trigger().injectInput(6, false, 2000), BOARD_OK);
    trigger().advanceTo(3000);
    EXPECT_EQ(read("TriggerInput_InputStatus_Status"), 0u);
    EXPECT_EQ(events, (std::vector<RecordedEvent>{{"TriggerInput_InputEvents_InputEvents_Pin6", 596},
                                                  {"TriggerInput_InputEvents_InputEvents_NotPin6", 2096}}));
    EXPECT_EQ(trigger().injectInput(8, true, 0), BOARD_ERR_INVALID_ARGUMENT);
}

TEST_F(ExternalTriggerTest, DeselectingTheExternalInputStopsItsPulses) {
    write("TriggerMode_SelectExternal_Select", 0); // sync stop in external mode
    pulses(3, 3);
    EXPECT_TRUE(trigger().advanceTo(10000).empty());
    EXPECT_EQ(read("InputStatistics_ReadPulses_Status"), 3u); // the statistics still watch the input
}

TEST_F(TriggerBoardTest, SyncStopLetsThePulseInFlightFinishAndAsyncStopParksTheOutputs) {
    cameraOnPulseForm0(true, 0, 2500); // exposure as each 40 us pulse ends
    startGenerator(false, 6241);       // 100 us
    trigger().restart();
    EXPECT_TRUE(trigger().advanceTo(20000).empty());
    write("Generators_ClearQueuePulse_Mode", 1); // hold: no new pulses
    EXPECT_EQ(trigger().advanceTo(1000000), (Times{40000}));
    // An async stop parks the outputs at once: the line rests at its (inverted) idle level.
    startGenerator(false, 6241);
    trigger().restart();
    EXPECT_TRUE(trigger().advanceTo(20000).empty());
    write(cc(0, "Select_Select"), 5);
    write("Generators_ClearQueuePulse_Mode", 1);
    EXPECT_TRUE(trigger().advanceTo(1000000).empty());
    EXPECT_EQ(trigger().cameraControlLevels() & 1, 1u);
}

TEST_F(TriggerBoardTest, RestartFromSyncStopStartsAgainAtTimeZero) {
    cameraOnPulseForm0();
    startGenerator(false, 991);
    write("Generators_ClearQueuePulse_Mode", 1);
    trigger().restart();
    EXPECT_TRUE(trigger().advanceTo(100000).empty());
    EXPECT_FALSE(trigger().nextActivityNs().has_value());
    startGenerator(false, 991);
    EXPECT_EQ(trigger().advanceTo(120000), (Times{100000, 116000}));
}

TEST_F(TriggerBoardTest, PulseLimitStopsTheGeneratorAfterItsCount) {
    cameraOnPulseForm0();
    startGenerator(false, 991);
    write("Generators_PulseLimit_Number", 3);
    trigger().restart();
    EXPECT_EQ(trigger().advanceTo(100000), (Times{0, 16000, 32000}));
    EXPECT_EQ(read("Generators_PulseLimit_Number"), 0u);
    EXPECT_FALSE(trigger().nextActivityNs().has_value());
    write("Generators_PulseLimit_Number", 0); // no limit: the generator runs on
    EXPECT_EQ(trigger().advanceTo(116000), (Times{100000, 116000}));
}

TEST_F(TriggerBoardTest, ACameraStillBusyMissesTheEdgeAndSetsTheMonitor) {
    cameraOnPulseForm0();
    startGenerator(false, 991);
    trigger().setCameraFramePeriodNs(40000); // the camera needs 2.5 periods per frame
    trigger().restart();
    EXPECT_EQ(trigger().advanceTo(100000), (Times{0, 48000, 96000}));
    EXPECT_EQ(read("Monitoring_ReadQueueStatus_Status") & 4, 4u);
    EXPECT_EQ(eventsNamed("Cam0MissingFrame"), 4u);
    write("Monitoring_ClearMissingFrame_Cam0_Mode", 2);
    EXPECT_EQ(read("Monitoring_ReadQueueStatus_Status") & 4, 0u);
}

TEST_F(TriggerBoardTest, OutputStatisticsCountTheSelectedGeneratorsPulses) {
    write(pfg(1, "Downscale_Downscale"), 2);
    write(pfg(1, "Downscale_SelectedPulse"), 1);
    write(pfg(1, "Width_Width"), 10);
    write("OutputStatistics_Select_Select", 1);
    write("OutputEvent_Select_Select", 1);
    // Started after the acquisition start, so that every pulse falls into the span below (a
    // generator started before it emits its first pulse at the standing board time already).
    trigger().restart();
    startGenerator(false, 991);
    trigger().advanceTo(5 * 16000); // six generator pulses
    EXPECT_EQ(read("OutputStatistics_ReadPulses_Status"), 3u);
    EXPECT_EQ(eventsNamed("Cam0OutputEvent"), 3u);
    write("OutputStatistics_ClearPulses_Mode", 2);
    EXPECT_EQ(read("OutputStatistics_ReadPulses_Status"), 0u);
    EXPECT_EQ(read("OutputStatistics_TotalPulses_Status"), 3u);
}

TEST_F(TriggerBoardTest, StatusRegistersAreForcedOnlyWhenTheEmulationChangesThem) {
    const uint32_t id = idOf("Generators_QueueValue_Status");
    ASSERT_EQ(board.force(id, 17), BOARD_OK); // as a test of the applet's getters does
    write("Hysteresis_OnLevel_Number", 100);  // a trigger write that changes no status
    EXPECT_EQ(read("Generators_QueueValue_Status"), 17u);
}

TEST_F(TriggerBoardTest, ARunIsAFunctionOfItsInputs) {
    cameraOnPulseForm0(true, 3, 40);
    queueOn();
    startGenerator(true, 200);
    auto runOnce = [&] {
        trigger().restart();
        softwarePulses(3);
        trigger().injectPulse(0, 5000, 100);
        Times all = trigger().advanceTo(4000);
        softwarePulses(2);
        const Times more = trigger().advanceTo(100000);
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const Times first = runOnce();
    EXPECT_EQ(first.size(), 5u);
    EXPECT_EQ(runOnce(), first);
}

} // namespace
} // namespace kestrel::boardhw::testing
