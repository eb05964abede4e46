// The applet's trigger parameters on the emulated trigger, through the applet's exports: busy
// flag, queue fill levels, input levels and statistics, and output selection across the stop
// states read what the emulation made of the applet's register writes.
#include "applet_on_board.h"
#include "params/parameter_ids.h"

#include <gtest/gtest.h>

namespace kestrel::test {
namespace {

using namespace kestrel::ids;

constexpr uint32_t kSoftware = 4;
constexpr uint32_t kActive = 0, kAsyncStop = 1;
constexpr int32_t kErrBusy = -60;

class TriggerOnBoardTest : public ::testing::Test {
protected:
    void mustSet(int32_t id, uint32_t value) { ASSERT_EQ(applet.set(id, value), 0) << id; }
    void softwareMode(uint32_t queue) {
        mustSet(FG_AREATRIGGERMODE, kSoftware);
        mustSet(FG_TRIGGERQUEUE_MODE, queue);
        mustSet(FG_TRIGGERSTATE, kActive);
    }
    // Injected levels act at once when the inputs are not debounced.
    void undebounced() {
        applet.forceReg("Device1_Process1_Trigger_TriggerInput_Debounce8_Prescale_Period", 0);
    }
    void input(uint32_t pin, bool level) {
        ASSERT_EQ(Board_SetTriggerInput(applet.boardDevice(), pin, level ? 1 : 0, 0), BOARD_OK);
    }
    uint32_t outputLines() {
        uint32_t outputs = 0;
        EXPECT_EQ(Board_GetTriggerLines(applet.boardDevice(), nullptr, &outputs), BOARD_OK);
        return outputs;
    }
    uint32_t cameraControlLines() {
        uint32_t cc = 0;
        EXPECT_EQ(Board_GetTriggerLines(applet.boardDevice(), &cc, nullptr), BOARD_OK);
        return cc;
    }

    AppletOnBoard applet;
};

TEST_F(TriggerOnBoardTest, ASoftwarePulseKeepsTheGeneratorBusyForItsPeriod) {
    softwareMode(0);
    EXPECT_EQ(applet.get<uint32_t>(FG_SOFTWARETRIGGER_IS_BUSY), 0u);
    mustSet(FG_SENDSOFTWARETRIGGER, 1);
    // Board time stands still without an acquisition, so the 8 Hz period never runs out here.
    EXPECT_EQ(applet.get<uint32_t>(FG_SOFTWARETRIGGER_IS_BUSY), 1u);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERQUEUE_FILLLEVEL), 1u); // a pulse in work
    EXPECT_EQ(applet.set(FG_SENDSOFTWARETRIGGER, uint32_t{1}), kErrBusy);
}

TEST_F(TriggerOnBoardTest, QueuedSoftwarePulsesShowInBothFillLevels) {
    softwareMode(1);
    mustSet(FG_TRIGGER_MULTIPLY_PULSES, 3);
    mustSet(FG_SENDSOFTWARETRIGGER, 5); // one in work, four waiting
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERQUEUE_FILLLEVEL), 4u);
    EXPECT_EQ(applet.get<uint32_t>(FG_SOFTWARETRIGGER_QUEUE_FILLLEVEL), 12u);
    EXPECT_EQ(applet.get<uint32_t>(FG_SOFTWARETRIGGER_IS_BUSY), 1u);
    mustSet(FG_TRIGGERSTATE, kAsyncStop);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERQUEUE_FILLLEVEL), 0u);
}

TEST_F(TriggerOnBoardTest, InputLevelsAndPulseCountReadWhatWasInjected) {
    undebounced();
    input(1, true);
    input(6, true);
    EXPECT_EQ(applet.get<uint32_t>(FG_DIGIO_INPUT), 0x42u);
    mustSet(FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR, 1);
    input(0, true); // input 0 is the trigger source by default
    input(0, false);
    input(0, true);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERIN_STATS_PULSECOUNT), 2u);
}

TEST_F(TriggerOnBoardTest, DefaultOutputsRestAtTheirIdleLevels) {
    // CC0 and outputs 0, 1 on inverted idle generators, everything else on Vcc: all high.
    EXPECT_EQ(cameraControlLines(), 0xFu);
    EXPECT_EQ(outputLines(), 0xFFu);
    mustSet(FG_TRIGGERCC_SELECT1, 4);  // CC_GND
    mustSet(FG_TRIGGEROUT_SELECT3, 0); // PULSEGEN0, idle low
    EXPECT_EQ(cameraControlLines(), 0xDu);
    EXPECT_EQ(outputLines(), 0xF7u);
}

} // namespace
} // namespace kestrel::test
