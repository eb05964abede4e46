// Trigger time conversions, pinned at the values the design expects.
#include <gtest/gtest.h>

#include "trigger/trigger_timing.h"

namespace kestrel {
namespace {

using namespace trigger_timing;

TEST(TriggerTiming, MinimumPeriodAtTheRangeEnds) {
    EXPECT_EQ(minimumPeriodTicks(6.25e6), 1u);
    EXPECT_EQ(minimumPeriodTicks(8.0), 7812490u);
    EXPECT_EQ(minimumPeriodTicks(0.01455191522836685), 4294967287u);
}

TEST(TriggerTiming, RealisedFrequencyKeepsTheMinimumPeriod) {
    EXPECT_EQ(minimumPeriodTicks(realisedFrequencyHz(8.0)), 7812490u);
    EXPECT_NEAR(realisedFrequencyHz(8.0), 8.0, 1e-12);
}

TEST(TriggerTiming, DebounceUnitsRoundToNearest) {
    EXPECT_EQ(debounceUnits(0.096), 2u);
    EXPECT_EQ(debounceUnits(3.024), 63u);
    EXPECT_EQ(debounceUnits(1.0), 21u);
    EXPECT_DOUBLE_EQ(debounceUnitsToUs(63), 3.024);
}

TEST(TriggerTiming, WidthRoundsOnlyForGeneratorZero) {
    EXPECT_EQ(widthTicks(0, 4.01), 251u);
    EXPECT_EQ(widthTicks(1, 4.01), 250u);
    EXPECT_EQ(widthTicks(3, 4.01), 250u);
    EXPECT_EQ(widthTicks(0, 6.8e7), 4250000000u);
    EXPECT_EQ(delayTicks(1.01), 63u);
    EXPECT_DOUBLE_EQ(ticksToUs(251), 4.016);
}

TEST(TriggerTiming, GeneratorFitsOnlyWhenThePeriodIsLonger) {
    EXPECT_FALSE(generatorFits(4000.0, 1, 0.0, 4000.0));
    EXPECT_TRUE(generatorFits(4000.1, 1, 0.0, 4000.0));
    EXPECT_TRUE(generatorFits(4000.0, 2, 0.0, 7999.0));
    EXPECT_FALSE(generatorFits(100.0, 1, 100.0, 1.0));
    EXPECT_TRUE(generatorFits(1.0, 1, 0.0, 0.0));
}

TEST(TriggerTiming, PeriodStatusAsFrequency) {
    EXPECT_DOUBLE_EQ(periodTicksToHz(62500), 1000.0);
    EXPECT_DOUBLE_EQ(periodUs(8.0), 125000.0);
}

} // namespace
} // namespace kestrel
