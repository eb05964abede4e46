// The trigger's stages on their own: debounce, downscaler, statistics, generator and queue,
// pulse-form shaping.
#include "trigger/input_stage.h"
#include "trigger/pulse_form_generator.h"
#include "trigger/pulse_generator.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace kestrel::boardhw::trigger;

namespace {

// Debounced levels of a pin stepped through every change up to endNs.
std::vector<std::pair<uint64_t, bool>> debouncedChanges(InputPin& pin, uint64_t debounceNs, uint64_t endNs) {
    std::vector<std::pair<uint64_t, bool>> changes;
    while (auto t = pin.nextEventNs(debounceNs)) {
        if (*t > endNs)
            break;
        if (auto level = pin.step(*t, debounceNs))
            changes.push_back({*t, *level});
    }
    return changes;
}

} // namespace

TEST(InputPin, TakesALevelOnceItHasBeenStableForTheDebounceTime) {
    InputPin pin;
    pin.schedule(true, 1000);
    pin.schedule(false, 5000);
    const auto changes = debouncedChanges(pin, 96, 10000);
    EXPECT_EQ(changes, (std::vector<std::pair<uint64_t, bool>>{{1096, true}, {5096, false}}));
    EXPECT_FALSE(pin.level());
}

TEST(InputPin, IgnoresAPulseShorterThanTheDebounceTime) {
    InputPin pin;
    pin.schedule(true, 1000);
    pin.schedule(false, 1095); // one ns short of the 96 ns debounce
    pin.schedule(true, 2000);
    pin.schedule(false, 2096); // stable for exactly the debounce time: it counts
    const auto changes = debouncedChanges(pin, 96, 10000);
    EXPECT_EQ(changes, (std::vector<std::pair<uint64_t, bool>>{{2096, true}, {2192, false}}));
}

TEST(InputPin, WithoutDebounceFollowsEveryEdgeAtItsTime) {
    InputPin pin;
    pin.schedule(false, 300); // out of order: kept sorted
    pin.schedule(true, 100);
    const auto changes = debouncedChanges(pin, 0, 1000);
    EXPECT_EQ(changes, (std::vector<std::pair<uint64_t, bool>>{{100, true}, {300, false}}));
}

TEST(Downscaler, PassesTheSelectedPulseOfEachGroup) {
    struct Case {
        uint32_t downscale, selected;
        std::vector<int> passed; // 1-based pulse numbers among the first 9
    };
    const Case cases[] = {
        {1, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {0, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9}}, // 0 counts as 1
        {3, 1, {1, 4, 7}},
        {3, 3, {3, 6, 9}},
        {4, 2, {2, 6}},
        {2, 3, {}}, // a selected pulse past the group never comes
    };
    for (const Case& c : cases) {
        Downscaler d;
        std::vector<int> passed;
        for (int pulse = 1; pulse <= 9; ++pulse)
            if (d.pass(c.downscale, c.selected))
                passed.push_back(pulse);
        EXPECT_EQ(passed, c.passed) << c.downscale << "/" << c.selected;
    }
}

TEST(Downscaler, ClearStartsTheGroupAtTheNextPulse) {
    Downscaler d;
    EXPECT_TRUE(d.pass(3, 1));
    EXPECT_FALSE(d.pass(3, 1));
    d.clear();
    EXPECT_TRUE(d.pass(3, 1));
}

TEST(InputStatistics, MeasurePeriodsInTicksAndKeepMinAndMaxUntilCleared) {
    InputStatistics s;
    s.pulse(0);
    EXPECT_EQ(s.periodTicks(), 0u);
    s.pulse(1600); // 100 ticks
    s.pulse(4800); // 200 ticks
    s.pulse(5600); // 50 ticks
    EXPECT_EQ(s.pulses(), 4u);
    EXPECT_EQ(s.periodTicks(), 50u);
    EXPECT_EQ(s.minTicks(), 50u);
    EXPECT_EQ(s.maxTicks(), 200u);
    s.clearMinMax();
    s.clearPulses();
    EXPECT_EQ(s.minTicks(), 0u);
    s.pulse(7200); // 100 ticks
    EXPECT_EQ(s.minTicks(), 100u);
    EXPECT_EQ(s.maxTicks(), 100u);
    EXPECT_EQ(s.pulses(), 1u);
    EXPECT_EQ(s.totalPulses(), 5u);
}

namespace {

GeneratorSettings queued(uint32_t capacity, uint32_t sequenceLength = 1) {
    GeneratorSettings g;
    g.periodNs = 1000;
    g.queueCapacity = capacity;
    g.sequenceLength = sequenceLength;
    return g;
}

// Pulse times of the generator up to endNs.
std::vector<uint64_t> run(PulseGenerator& generator, const GeneratorSettings& g, uint64_t fromNs,
                          uint64_t endNs) {
    std::vector<uint64_t> pulses;
    uint64_t now = fromNs;
    while (auto t = generator.nextEventNs(now, g)) {
        if (*t > endNs)
            break;
        now = *t;
        if (generator.step(now, g))
            pulses.push_back(now);
    }
    return pulses;
}

} // namespace

TEST(PulseGenerator, StartsARequestAtOnceWhenReadyAndQueuesTheRestWhileBusy) {
    PulseGenerator generator;
    const GeneratorSettings g = queued(2040);
    EXPECT_EQ(generator.request(0, g), RequestOutcome::Started);
    EXPECT_EQ(generator.request(0, g), RequestOutcome::Queued);
    EXPECT_EQ(generator.request(0, g), RequestOutcome::Queued);
    EXPECT_EQ(generator.queueLevel(), 2u);
    EXPECT_FALSE(generator.ready(0));
    EXPECT_EQ(run(generator, g, 0, 10000), (std::vector<uint64_t>{0, 1000, 2000}));
    EXPECT_EQ(generator.queueLevel(), 0u);
    EXPECT_FALSE(generator.ready(2999));
    EXPECT_TRUE(generator.ready(3000));
}

TEST(PulseGenerator, LosesARequestWhileBusyWithTheQueueOffOrFull) {
    PulseGenerator off;
    EXPECT_EQ(off.request(0, queued(0)), RequestOutcome::Started);
    EXPECT_EQ(off.request(10, queued(0)), RequestOutcome::Lost);
    PulseGenerator small;
    EXPECT_EQ(small.request(0, queued(1)), RequestOutcome::Started);
    EXPECT_EQ(small.request(0, queued(1)), RequestOutcome::Queued);
    EXPECT_EQ(small.request(0, queued(1)), RequestOutcome::Lost);
}

TEST(PulseGenerator, StartsAQueuedRequestExactlyWhenReadyAndNothingWithoutOne) {
    PulseGenerator generator;
    const GeneratorSettings g = queued(10);
    generator.request(0, g);
    generator.request(0, g);
    EXPECT_TRUE(generator.step(0, g));
    EXPECT_FALSE(generator.step(999, g)) << "the period has not passed";
    EXPECT_TRUE(generator.step(1000, g)) << "the one queued request starts";
    EXPECT_FALSE(generator.step(5000, g)) << "nothing queued, nothing to start";
}

TEST(PulseGenerator, TurnsEachRequestIntoASequenceOnePeriodApart) {
    PulseGenerator generator;
    const GeneratorSettings g = queued(10, 3);
    generator.request(0, g);
    generator.request(500, g);
    EXPECT_EQ(run(generator, g, 0, 100000), (std::vector<uint64_t>{0, 1000, 2000, 3000, 4000, 5000}));
}

TEST(PulseGenerator, RunsFreeAtItsPeriodUntilHeld) {
    PulseGenerator generator;
    GeneratorSettings g;
    g.periodNs = 250;
    g.freeRunning = true;
    EXPECT_EQ(generator.request(0, g), RequestOutcome::Ignored);
    EXPECT_EQ(run(generator, g, 0, 1000), (std::vector<uint64_t>{0, 250, 500, 750, 1000}));
    g.held = true;
    EXPECT_EQ(run(generator, g, 1000, 5000), std::vector<uint64_t>{});
}

TEST(PulseGenerator, HoldDropsTheQueueAndTheRestOfTheSequence) {
    PulseGenerator generator;
    const GeneratorSettings g = queued(10, 4);
    generator.request(0, g);
    generator.request(0, g);
    EXPECT_EQ(run(generator, g, 0, 1000), (std::vector<uint64_t>{0, 1000}));
    generator.hold();
    EXPECT_EQ(generator.queueLevel(), 0u);
    EXPECT_TRUE(generator.ready(1000)); // no wait for the period of the last pulse
    EXPECT_EQ(run(generator, g, 1000, 100000), std::vector<uint64_t>{});
}

TEST(QueueHysteresis, SwitchesOnAtTheOnLevelAndOffAtTheOffLevel) {
    QueueHysteresis h;
    using C = QueueHysteresis::Change;
    const std::vector<std::pair<uint32_t, C>> steps = {
        {1, C::None}, {4, C::None}, {5, C::On},   {6, C::None},
        {3, C::None}, {2, C::Off},  {4, C::None}, {5, C::On},
    };
    for (const auto& [level, change] : steps)
        EXPECT_EQ(h.update(level, 5, 2), change) << level;
}

TEST(PulseFormGenerator, DelaysAndWidensEachPassedPulseInTicks) {
    PulseFormGenerator p;
    PulseFormSettings s;
    s.delayTicks = 10;
    s.widthTicks = 5;
    p.pulse(1000, s);
    EXPECT_EQ(p.nextEdgeNs(), std::optional<uint64_t>(1160));
    EXPECT_EQ(p.step(1160), PulseFormGenerator::Edge::Rising);
    EXPECT_TRUE(p.level());
    EXPECT_EQ(p.nextEdgeNs(), std::optional<uint64_t>(1240));
    EXPECT_EQ(p.step(1240), PulseFormGenerator::Edge::Falling);
    EXPECT_FALSE(p.nextEdgeNs().has_value());
}

TEST(PulseFormGenerator, ShowsBothEdgesOfBackToBackPulses) {
    PulseFormGenerator p;
    PulseFormSettings s;
    s.widthTicks = 10;
    p.pulse(0, s);
    p.pulse(160, s); // starts as the first ends
    std::vector<PulseFormGenerator::Edge> edges;
    while (auto t = p.nextEdgeNs())
        edges.push_back(p.step(*t));
    using E = PulseFormGenerator::Edge;
    EXPECT_EQ(edges, (std::vector<E>{E::Rising, E::Falling, E::Rising, E::Falling}));
}

TEST(PulseFormGenerator, ZeroWidthStillGivesAOneTickPulse) {
    PulseFormGenerator p;
    PulseFormSettings s;
    s.widthTicks = 0;
    p.pulse(0, s);
    EXPECT_EQ(p.step(0), PulseFormGenerator::Edge::Rising);
    EXPECT_EQ(p.nextEdgeNs(), std::optional<uint64_t>(16));
}
