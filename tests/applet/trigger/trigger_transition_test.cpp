// The trigger state machine: the register writes of every transition, in order.
#include <ostream>

#include "trigger_fixture.h"

namespace kestrel::test {
namespace {

constexpr uint32_t G = 1, E = 2, S = 4;
constexpr uint32_t A = 0, AS = 1, SS = 2;

struct Transition {
    const char* name;
    uint32_t mode;     // before
    uint32_t state;    // before
    bool changeMode;   // else the state changes
    uint32_t newValue; // the new mode or state
    WriteList (*expected)();
};

void PrintTo(const Transition& t, std::ostream* os) {
    *os << t.name;
}

using namespace steps;

const Transition kTransitions[] = {
    {"GeneratorSyncStopToActive", G, SS, false, A,
     [] {
         return concat({clearPulseGenerators(), startGenerator(0)});
     }},
    {"GeneratorSyncStopToAsyncStop", G, SS, false, AS, [] { return parkOutputs(); }},
    {"GeneratorAsyncStopToActive", G, AS, false, A,
     [] {
         return concat({clearPulseGenerators(), restoreOutputs(), startGenerator(0)});
     }},
    {"GeneratorActiveToExternal", G, A, true, E,
     [] {
         return concat({restartSequence(true), selectExternal(1)});
     }},
    {"GeneratorActiveToSoftware", G, A, true, S, [] { return restartSequence(true); }},
    {"GeneratorActiveToAsyncStop", G, A, false, AS,
     [] {
         return concat({parkOutputs(), holdQueue()});
     }},
    {"GeneratorActiveToSyncStop", G, A, false, SS, [] { return holdQueue(); }},
    {"ExternalSyncStopToGenerator", E, SS, true, G, [] { return holdQueue(); }},
    {"ExternalSyncStopToActive", E, SS, false, A,
     [] {
         return concat({restartSequence(true), selectExternal(1)});
     }},
    {"ExternalSyncStopToAsyncStop", E, SS, false, AS, [] { return parkOutputs(); }},
    {"ExternalAsyncStopToGenerator", E, AS, true, G, [] { return holdQueue(); }},
    {"ExternalAsyncStopToActive", E, AS, false, A,
     [] {
         return concat({restartSequence(false), selectExternal(1)});
     }},
    {"ExternalActiveToGenerator", E, A, true, G,
     [] {
         return concat(
             {selectExternal(0), parkOutputs(), clearPulseGenerators(), restoreOutputs(), startGenerator(0)});
     }},
    {"ExternalActiveToSoftware", E, A, true, S,
     [] {
         return concat({selectExternal(0), restartSequence(true)});
     }},
    {"ExternalActiveToAsyncStop", E, A, false, AS,
     [] {
         return concat({parkOutputs(), selectExternal(0)});
     }},
    {"ExternalActiveToSyncStop", E, A, false, SS, [] { return selectExternal(0); }},
    {"SoftwareSyncStopToGenerator", S, SS, true, G, [] { return holdQueue(); }},
    {"SoftwareSyncStopToActive", S, SS, false, A, [] { return restartSequence(true); }},
    {"SoftwareSyncStopToAsyncStop", S, SS, false, AS, [] { return parkOutputs(); }},
    {"SoftwareAsyncStopToGenerator", S, AS, true, G, [] { return holdQueue(); }},
    {"SoftwareAsyncStopToActive", S, AS, false, A, [] { return restartSequence(false); }},
    {"SoftwareActiveToGenerator", S, A, true, G,
     [] {
         return concat({parkOutputs(), clearPulseGenerators(), restoreOutputs(), startGenerator(0)});
     }},
    {"SoftwareActiveToExternal", S, A, true, E,
     [] {
         return concat({restartSequence(true), selectExternal(1)});
     }},
    {"SoftwareActiveToAsyncStop", S, A, false, AS, [] { return parkOutputs(); }},
    // Changes without a row write nothing.
    {"GeneratorSyncStopToExternal", G, SS, true, E, [] { return WriteList{}; }},
    {"GeneratorAsyncStopToSoftware", G, AS, true, S, [] { return WriteList{}; }},
    {"ExternalSyncStopToSoftware", E, SS, true, S, [] { return WriteList{}; }},
    {"SoftwareAsyncStopToExternal", S, AS, true, E, [] { return WriteList{}; }},
    {"GeneratorAsyncStopToSyncStop", G, AS, false, SS, [] { return WriteList{}; }},
    {"ExternalAsyncStopToSyncStop", E, AS, false, SS, [] { return WriteList{}; }},
    {"SoftwareActiveToSyncStop", S, A, false, SS, [] { return WriteList{}; }},
    {"GeneratorSyncStopToGenerator", G, SS, true, G, [] { return WriteList{}; }},
    {"ExternalActiveToActive", E, A, false, A, [] { return WriteList{}; }},
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

    const WriteList writes = writesOf(
        [&] { EXPECT_EQ(applet.set(t.changeMode ? FG_AREATRIGGERMODE : FG_TRIGGERSTATE, t.newValue), 0); });
    EXPECT_EQ(writes, t.expected());
    EXPECT_EQ(applet.get<uint32_t>(t.changeMode ? FG_AREATRIGGERMODE : FG_TRIGGERSTATE), t.newValue);
}

INSTANTIATE_TEST_SUITE_P(EveryRow, TriggerTransition, ::testing::ValuesIn(kTransitions),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(TriggerTest, FailingWriteInTransitionKeepsOldModeAndEarlierWrites) {
    mustSet(FG_TRIGGERSTATE, A);
    failWrites("Generators_EnableQueue_Select", -7777);
    EXPECT_EQ(applet.set(FG_AREATRIGGERMODE, S), -7777);
    EXPECT_EQ(applet.lastError(), -7777);
    EXPECT_EQ(applet.get<uint32_t>(FG_AREATRIGGERMODE), G);
    // parkOutputs ran before the failing write and stays written.
    EXPECT_EQ(reg("TriggerOutput_Select0_Select_Select"), 5u);
}

TEST_F(TriggerTest, RejectsUnknownModeAndStateWithoutWriting) {
    const WriteList writes = writesOf([&] {
        EXPECT_EQ(applet.set(FG_AREATRIGGERMODE, uint32_t{3}), -6000);
        EXPECT_EQ(applet.set(FG_TRIGGERSTATE, uint32_t{3}), -6000);
    });
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(applet.get<uint32_t>(FG_AREATRIGGERMODE), G);
    EXPECT_EQ(applet.get<uint32_t>(FG_TRIGGERSTATE), SS);
}

} // namespace
} // namespace kestrel::test
