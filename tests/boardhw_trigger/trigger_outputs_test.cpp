// Camera-control and trigger output selection: every source value as the applet encodes it
// (select code and invert bit), at both levels of its source.
#include "trigger_fixture.h"

namespace kestrel::boardhw::testing {
namespace {

// The applet's encoding of the twelve source values of an output.
struct Encoding {
    uint32_t select;
    bool invert;
};
constexpr Encoding kEncodings[12] = {
    {0, false}, {1, false}, {2, false}, {3, false}, // pulse generator 0 .. 3
    {5, false}, {5, true},                          // GND, VCC
    {0, true},  {1, true},  {2, true},  {3, true},  // not pulse generator 0 .. 3
    {4, false}, {4, true},                          // input bypass, not input bypass
};

// Level of the output for source value v while every pulse-form generator and the bypass input
// are at `sourceHigh`.
bool expectedLevel(uint32_t v, bool sourceHigh) {
    if (v == 4)
        return false;
    if (v == 5)
        return true;
    const bool inverted = (v >= 6 && v <= 9) || v == 11;
    return sourceHigh != inverted;
}

class OutputSelectionTest : public TriggerBoardTest {
protected:
    // All four pulse-form generators high from 0 to 160 ns on one software pulse; bypass input 2
    // high from 0 to 1 us.
    void SetUp() override {
        TriggerBoardTest::SetUp();
        for (int n = 0; n < 4; ++n) {
            write(pfg(n, "Downscale_Downscale"), 1);
            write(pfg(n, "Downscale_SelectedPulse"), 1);
            write(pfg(n, "Width_Width"), 10);
        }
        write("InputSelect_BypassSelect_Select", 2);
        startGenerator(true, 10);
        trigger().restart();
    }
    void select(bool cameraControl, int n, uint32_t v) {
        const std::string base = cameraControl ? cc(n, "") : output(n, "");
        write(base + "Select_Select", kEncodings[v].select);
        write(base + "Polarity_Invert", kEncodings[v].invert ? 1 : 0);
    }
    // Levels while the sources are high (right after the pulse) and after they fell.
    std::pair<uint32_t, uint32_t> levelsHighThenLow(bool cameraControl) {
        const auto levels = [&] {
            return cameraControl ? trigger().cameraControlLevels() : trigger().triggerOutputLevels();
        };
        trigger().injectPulse(2, 0, 1000);
        softwarePulses(1);
        trigger().advanceTo(50);
        const uint32_t high = levels();
        trigger().advanceTo(2000);
        return {high, levels()};
    }
};

TEST_F(OutputSelectionTest, EveryCameraControlAndTriggerOutputSourceGivesItsLevelWithItsInversion) {
    for (bool cameraControl : {true, false}) {
        for (uint32_t v = 0; v < 12; ++v) {
            const int n = int(v % (cameraControl ? 4 : 8));
            select(cameraControl, n, v);
            trigger().restart();
            const auto [high, low] = levelsHighThenLow(cameraControl);
            EXPECT_EQ((high >> n) & 1, expectedLevel(v, true) ? 1u : 0u) << cameraControl << " " << v;
            EXPECT_EQ((low >> n) & 1, expectedLevel(v, false) ? 1u : 0u) << cameraControl << " " << v;
        }
    }
}

TEST_F(OutputSelectionTest, CameraExposesOnRisingEdgesOfItsLineWhateverTheSource) {
    struct Case {
        uint32_t v;
        std::vector<uint64_t> exposures;
    };
    const Case cases[] = {
        {0, {0}},     // pulse generator 0 rises with the pulse
        {6, {160}},   // inverted: rises as the pulse ends
        {11, {1000}}, // not bypass: input 2 falls at 1 us
        {4, {}},      // GND
    };
    for (const Case& c : cases) {
        select(true, 0, c.v);
        trigger().restart();
        trigger().injectPulse(2, 0, 1000);
        softwarePulses(1);
        EXPECT_EQ(trigger().advanceTo(5000), c.exposures) << c.v;
    }
}

TEST_F(OutputSelectionTest, ReselectingAnOutputNeverExposes) {
    select(true, 0, 4); // GND
    trigger().restart();
    select(true, 0, 5); // VCC: the line goes high without a pulse
    select(true, 0, 6); // idle high through the inversion
    EXPECT_TRUE(trigger().advanceTo(5000).empty());
}

} // namespace
} // namespace kestrel::boardhw::testing
