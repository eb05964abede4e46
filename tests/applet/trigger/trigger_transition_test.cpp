// The trigger state machine: the register writes of every transition, in order.
#include <ostream>

#include "trigger_fixture.h"

namespace kestrel::test {
namespace {

constexpr uint32_t G = 1, E = 2, S = 4;
constexpr uint32_t A = 0, AS = 1, SS = 2;

std::string cc(int output, const char* what, int value) {
    return "CameraControl_Select" + std::to_string(output) + "_" + what + "=" + std::to_string(value);
}
std::string out(int output, const char* what, int value) {
    return "TriggerOutput_Select" + std::to_string(output) + "_" + what + "=" + std::to_string(value);
}

// The writes of one step of a transition, by its letter.
WriteList step(char letter) {
    WriteList list;
    switch (letter) {
    case 'P': // park every output on VCC
        for (int i = 0; i < 4; ++i)
            list.push_back(cc(i, "Select_Select", 5));
        for (int i = 0; i < 8; ++i)
            list.push_back(out(i, "Select_Select", 5));
        break;
    case 'R': // restore the defaults: CC 0 and output 0 on "not pulse generator 0", output 1 on
              // "not pulse generator 1", the rest on VCC
        for (int i = 0; i < 4; ++i) {
            list.push_back(cc(i, "Select_Select", i == 0 ? 0 : 5));
            list.push_back(cc(i, "Polarity_Invert", 1));
        }
        for (int i = 0; i < 8; ++i) {
            list.push_back(out(i, "Select_Select", i < 2 ? i : 5));
            list.push_back(out(i, "Polarity_Invert", 1));
        }
        break;
    case 'C': // clear the pulse generators
        list.push_back("Monitoring_CheckForMissingFrame_Cam0_ResetMissing_Mode=2");
        for (int i = 0; i < 4; ++i)
            list.push_back("PulseFormGenerators_PulseFormGenerator" + std::to_string(i) +
                           "_ClearDownscale_Mode=2");
        break;
    case 'S': // start the generator with the queue off ('s': on); 8 Hz is still 7812490 ticks
    case 's':
        list = {"Generators_ClearQueuePulse_Mode=1",
                std::string("Generators_EnableQueue_Select=") + (letter == 's' ? "1" : "0"),
                "Generators_Generator_MinimumPeriod_Number=7812490", "PulseFormGenerators_Enable_Select=1",
                "Generators_ClearQueuePulse_Mode=0"};
        break;
    case 'H': // hold the queue
        list = {"Generators_ClearQueuePulse_Mode=1"};
        break;
    case 'E': // select the external input ('e': deselect)
    case 'e':
        list = {std::string("TriggerMode_SelectExternal_Select=") + (letter == 'E' ? "1" : "0")};
        break;
    case 'D':
        list = {"Downscale_Clear_Mode=2"};
        break;
    case 'Q':
        list = {"Generators_ClearDownscale_Mode=2"};
        break;
    }
    return list;
}

struct Transition {
    uint32_t mode, state; // before
    bool changeMode;      // else the state changes
    uint32_t newValue;    // the new mode or state
    const char* steps;    // "DsQCR" is the restart sequence, parked first ("PDsQCR") where outputs run
};

std::string nameOf(const Transition& t) {
    const auto mode = [](uint32_t m) { return m == G ? "Generator" : m == E ? "External" : "Software"; };
    const auto state = [](uint32_t s) { return s == A ? "Active" : s == AS ? "AsyncStop" : "SyncStop"; };
    return std::string(mode(t.mode)) + state(t.state) + "To" +
           (t.changeMode ? mode(t.newValue) : state(t.newValue));
}

void PrintTo(const Transition& t, std::ostream* os) {
    *os << nameOf(t);
}

// Changes with no steps write nothing.
const Transition kTransitions[] = {
    {G, SS, false, A, "CS"},    {G, SS, false, AS, "P"},    {G, AS, false, A, "CRS"},
    {G, A, true, E, "PDsQCRE"}, {G, A, true, S, "PDsQCR"},  {G, A, false, AS, "PH"},
    {G, A, false, SS, "H"},     {E, SS, true, G, "H"},      {E, SS, false, A, "PDsQCRE"},
    {E, SS, false, AS, "P"},    {E, AS, true, G, "H"},      {E, AS, false, A, "DsQCRE"},
    {E, A, true, G, "ePCRS"},   {E, A, true, S, "ePDsQCR"}, {E, A, false, AS, "Pe"},
    {E, A, false, SS, "e"},     {S, SS, true, G, "H"},      {S, SS, false, A, "PDsQCR"},
    {S, SS, false, AS, "P"},    {S, AS, true, G, "H"},      {S, AS, false, A, "DsQCR"},
    {S, A, true, G, "PCRS"},    {S, A, true, E, "PDsQCRE"}, {S, A, false, AS, "P"},
    {G, SS, true, E, ""},       {G, AS, true, S, ""},       {E, SS, true, S, ""},
    {S, AS, true, E, ""},       {G, AS, false, SS, ""},     {E, AS, false, SS, ""},
    {S, A, false, SS, ""},      {G, SS, true, G, ""},       {E, A, false, A, ""},
};

class TriggerTransition : public TriggerTest, public ::testing::WithParamInterface<Transition> {};

TEST_P(TriggerTransition, WritesItsStepsInOrder) {
    const Transition& t = GetParam();
    // From (generator, sync stop) a mode change writes nothing, so the mode goes first.
    mustSet(FG_AREATRIGGERMODE, t.mode);
    if (t.state != SS)
        mustSet(FG_TRIGGERSTATE, t.state);
    ASSERT_EQ(applet.get<uint32_t>(FG_AREATRIGGERMODE), t.mode);
    ASSERT_EQ(applet.get<uint32_t>(FG_TRIGGERSTATE), t.state);
    WriteList expected;
    for (const char* letter = t.steps; *letter != '\0'; ++letter)
        for (std::string& write : step(*letter))
            expected.push_back(std::move(write));
    const int32_t changed = t.changeMode ? FG_AREATRIGGERMODE : FG_TRIGGERSTATE;
    EXPECT_EQ(writesOf([&] { EXPECT_EQ(applet.set(changed, t.newValue), 0); }), expected);
    EXPECT_EQ(applet.get<uint32_t>(changed), t.newValue);
}

INSTANTIATE_TEST_SUITE_P(EveryRow, TriggerTransition, ::testing::ValuesIn(kTransitions),
                         [](const auto& row) { return nameOf(row.param); });

} // namespace
} // namespace kestrel::test
