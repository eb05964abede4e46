// Trigger time conversions: the realised frequency, the widest pulse and the fit of a generator in a period.
#include <gtest/gtest.h>

#include "trigger/trigger_timing.h"

namespace kestrel {
namespace {

using namespace trigger_timing;

TEST(TriggerTiming, RealisedFrequencyKeepsTheMinimumPeriod) {
    EXPECT_EQ(minimumPeriodTicks(realisedFrequencyHz(8.0)), 7812490u);
    EXPECT_NEAR(realisedFrequencyHz(8.0), 8.0, 1e-12);
}

TEST(TriggerTiming, WidthRoundsOnlyForGeneratorZeroAndFillsThirtyTwoBits) {
    EXPECT_EQ(widthTicks(0, 4.01), 251u);
    EXPECT_EQ(widthTicks(3, 4.01), 250u);
    EXPECT_EQ(widthTicks(0, 6.8e7), 4250000000u);
}

TEST(TriggerTiming, GeneratorFitsOnlyWhenThePeriodIsLonger) {
    EXPECT_FALSE(generatorFits(4000.0, 1, 0.0, 4000.0));
    EXPECT_TRUE(generatorFits(4000.1, 1, 0.0, 4000.0));
    EXPECT_TRUE(generatorFits(4000.0, 2, 0.0, 7999.0));
    EXPECT_FALSE(generatorFits(100.0, 1, 100.0, 1.0));
    EXPECT_TRUE(generatorFits(1.0, 1, 0.0, 0.0));
}

} // namespace
} // namespace kestrel
