// The lookup-table processor's formula: straight lines, inversion, clipping, rounding and gamma.
#include "correction/lut_processing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrel {
namespace {

LutTable compute(const LutProcessingSettings& settings) {
    LutTable table{};
    table.fill(12345); // every entry must be overwritten
    computeProcessingLut(settings, table);
    return table;
}

TEST(LutProcessing, DefaultSettingsGiveTheIdentity) {
    const LutTable table = compute({});
    for (uint32_t i = 0; i < kLutEntries; ++i)
        ASSERT_EQ(table[i], i) << i;
}

TEST(LutProcessing, InvertGives4095MinusInput) {
    const LutTable table = compute({0.0, 1.0, 1.0, true});
    for (uint32_t i = 0; i < kLutEntries; ++i)
        ASSERT_EQ(table[i], 4095 - i) << i;
}

TEST(LutProcessing, OffsetMinusOneGivesZeroEverywhereIncludingTheLastEntry) {
    const LutTable table = compute({-1.0, 1.0, 1.0, false});
    for (uint32_t i = 0; i < kLutEntries; ++i)
        ASSERT_EQ(table[i], 0u) << i;
}

TEST(LutProcessing, NegativeBaseInvertedGivesTheTopValue) {
    const LutTable table = compute({-1.0, 1.0, 1.0, true});
    EXPECT_EQ(table[0], 4095u);
    EXPECT_EQ(table[4094], 4095u);
}

TEST(LutProcessing, HugeResultsAreClippedTo4095) {
    // (i/4095 + 1) x 4096 x 4095 is far beyond 4095, and for gamma 0.1 beyond 32 bits.
    for (double gamma : {1.0, 0.1}) {
        const LutTable table = compute({1.0, 4096.0, gamma, false});
        for (uint32_t i = 0; i < kLutEntries; ++i)
            ASSERT_EQ(table[i], 4095u) << i << " gamma " << gamma;
    }
}

TEST(LutProcessing, GammaTwoGivesASquareRootCurve) {
    const LutTable table = compute({0.0, 1.0, 2.0, false});
    EXPECT_EQ(table[1024], 2048u);
    EXPECT_EQ(table[0], 0u);
    EXPECT_EQ(table[4095], 4095u);
    EXPECT_EQ(table[1], static_cast<uint32_t>(std::trunc(std::sqrt(1.0 / 4095.0) * 4095.0 + 0.5)));
}

TEST(LutProcessing, GammaZeroMapsBasesBelowOneToZeroAndOneToTheTop) {
    const LutTable table = compute({0.0, 1.0, 0.0, false});
    EXPECT_EQ(table[0], 0u);
    EXPECT_EQ(table[4094], 0u);
    EXPECT_EQ(table[4095], 4095u);
    const LutTable above = compute({0.5, 1.0, 0.0, false});
    EXPECT_EQ(above[4095], 4095u); // base 1.5: infinite power, clipped
}

TEST(LutProcessing, NegativeGammaAtBaseZeroIsClippedToTheTop) {
    const LutTable table = compute({0.0, 1.0, -1.0, false});
    EXPECT_EQ(table[0], 4095u);    // 0^-1 is infinite
    EXPECT_EQ(table[4095], 4095u); // 1^-1 is 1
    EXPECT_EQ(table[2048], 4095u); // above 1, clipped
}

TEST(LutProcessing, RoundsHalfUp) {
    // Gain 0.5: i = 1 gives 0.5 + 0.5 -> 1; i = 2 gives 1.5 -> 2.
    const LutTable table = compute({0.0, 0.5, 1.0, false});
    EXPECT_EQ(table[1], 1u);
    EXPECT_EQ(table[2], 1u);
    EXPECT_EQ(table[3], 2u);
    EXPECT_EQ(table[4095], 2048u);
}

} // namespace
} // namespace kestrel
