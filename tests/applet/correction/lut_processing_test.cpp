// The lookup-table processor's formula at its edges: identity, inversion, clipping and odd gammas.
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

TEST(LutProcessing, DefaultGivesTheIdentityAndInvertItsMirror) {
    const LutTable identity = compute({});
    const LutTable inverted = compute({0.0, 1.0, 1.0, true});
    for (uint32_t i = 0; i < kLutEntries; ++i) {
        ASSERT_EQ(identity[i], i) << i;
        ASSERT_EQ(inverted[i], 4095 - i) << i;
    }
}

TEST(LutProcessing, EntriesAtChosenSettings) {
    const struct {
        const char* what;
        LutProcessingSettings settings;
        uint32_t index, value;
    } rows[] = {
        {"a negative base inverted is the top", {-1.0, 1.0, 1.0, true}, 4094, 4095},
        {"far beyond 4095 is clipped", {1.0, 4096.0, 1.0, false}, 0, 4095},
        {"beyond 32 bits is clipped", {1.0, 4096.0, 0.1, false}, 4095, 4095},
        {"gamma 0 maps a base below one to 0", {0.0, 1.0, 0.0, false}, 4094, 0},
        {"gamma 0 maps one to the top", {0.0, 1.0, 0.0, false}, 4095, 4095},
        {"gamma 0 above one is clipped", {0.5, 1.0, 0.0, false}, 4095, 4095},
        {"a negative gamma at base 0 is clipped", {0.0, 1.0, -1.0, false}, 0, 4095},
        {"a negative gamma at base 1", {0.0, 1.0, -1.0, false}, 4095, 4095},
    };
    for (const auto& row : rows)
        EXPECT_EQ(compute(row.settings)[row.index], row.value) << row.what;
}

} // namespace
} // namespace kestrel
