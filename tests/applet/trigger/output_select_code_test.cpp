// Output source values as select codes and invert bits.
#include <gtest/gtest.h>

#include "trigger/output_selects.h"

namespace kestrel {
namespace {

TEST(OutputSelectCode, PulseGeneratorsSelectThemselves) {
    for (uint32_t g = 0; g < 4; ++g) {
        EXPECT_EQ(selectCode(g).select, g);
        EXPECT_EQ(selectCode(g).invert, 0u);
        EXPECT_EQ(selectCode(g + 6).select, g);
        EXPECT_EQ(selectCode(g + 6).invert, 1u);
    }
}

TEST(OutputSelectCode, ConstantLevelsShareSelectFive) {
    EXPECT_EQ(selectCode(4).select, 5u);
    EXPECT_EQ(selectCode(4).invert, 0u);
    EXPECT_EQ(selectCode(5).select, 5u);
    EXPECT_EQ(selectCode(5).invert, 1u);
}

TEST(OutputSelectCode, InputBypassIsSelectFour) {
    EXPECT_EQ(selectCode(10).select, 4u);
    EXPECT_EQ(selectCode(10).invert, 0u);
    EXPECT_EQ(selectCode(11).select, 4u);
    EXPECT_EQ(selectCode(11).invert, 1u);
}

} // namespace
} // namespace kestrel
