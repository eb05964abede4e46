// The trigger's stages on their own: debounce, downscaler, statistics, generator and queue,
// pulse-form shaping.
#include "trigger/input_stage.h"
#include "trigger/pulse_form_generator.h"
#include "trigger/pulse_generator.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace kestrel::boardhw::trigger;

TEST(InputPin, TakesALevelOnceItHasBeenStableForTheDebounceTime) {
    using Changes = std::vector<std::pair<uint64_t, bool>>;
    struct Row {
        const char* rule;
        Changes scheduled;
        uint64_t debounceNs;
        Changes debounced;
    };
    const Row rows[] = {
        {"stable levels", {{1000, true}, {5000, false}}, 96, {{1096, true}, {5096, false}}},
        // 95 ns is one short of the debounce; 96 ns counts.
        {"short pulses",
         {{1000, true}, {1095, false}, {2000, true}, {2096, false}},
         96,
         {{2096, true}, {2192, false}}},
        {"no debounce, out of order", {{300, false}, {100, true}}, 0, {{100, true}, {300, false}}},
    };
    for (const Row& row : rows) {
        InputPin pin;
        for (const auto& [at, level] : row.scheduled)
            pin.schedule(level, at);
        Changes changes;
        while (auto t = pin.nextEventNs(row.debounceNs)) {
            if (auto level = pin.step(*t, row.debounceNs))
                changes.push_back({*t, *level});
        }
        EXPECT_EQ(changes, row.debounced) << row.rule;
        EXPECT_FALSE(pin.level()) << row.rule;
    }
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
    // A clear starts the group at the next pulse.
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

TEST(PulseGenerator, LosesARequestWhileBusyWithTheQueueOffOrFullAndStartsAQueuedOneExactlyWhenReady) {
    PulseGenerator off;
    EXPECT_EQ(off.request(0, queued(0)), RequestOutcome::Started);
    EXPECT_EQ(off.request(10, queued(0)), RequestOutcome::Lost);
    PulseGenerator small;
    const GeneratorSettings g = queued(1);
    EXPECT_EQ(small.request(0, g), RequestOutcome::Started);
    EXPECT_EQ(small.request(0, g), RequestOutcome::Queued);
    EXPECT_EQ(small.request(0, g), RequestOutcome::Lost);
    EXPECT_TRUE(small.step(0, g));
    EXPECT_FALSE(small.step(999, g)) << "the period has not passed";
    EXPECT_TRUE(small.step(1000, g)) << "the one queued request starts";
    EXPECT_FALSE(small.step(5000, g)) << "nothing queued, nothing to start";
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

    // Back-to-back pulses show both edges of each.
    s = {};
    s.widthTicks = 10;
    p.pulse(2000, s);
    p.pulse(2160, s);
    std::vector<PulseFormGenerator::Edge> edges;
    while (auto t = p.nextEdgeNs())
        edges.push_back(p.step(*t));
    using E = PulseFormGenerator::Edge;
    EXPECT_EQ(edges, (std::vector<E>{E::Rising, E::Falling, E::Rising, E::Falling}));

    s.widthTicks = 0; // still a one-tick pulse
    p.pulse(5000, s);
    EXPECT_EQ(p.step(5000), PulseFormGenerator::Edge::Rising);
    EXPECT_EQ(p.nextEdgeNs(), std::optional<uint64_t>(5016));
}
