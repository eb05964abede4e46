// The kestrel tool's parameter, trigger and events commands as a user runs them: one row per
// outcome, the applet's own rules being the applet tests'.
#include <gtest/gtest.h>

#include <string>

#include "tool_run.h"

namespace {

using tool_test::contains;
using tool_test::kestrel;

TEST(KestrelParameterCommands, PrintValuesAndExplainRefusals) {
    const struct {
        const char* arguments;
        int exitCode;
        const char* output; // a line the output holds
    } rows[] = {
        {"get FG_PIXELDEPTH", 0, "FG_PIXELDEPTH = 12\n"},
        {"get FG_HAP_FILE", 0, "FG_HAP_FILE = \"Kestrel12.hap\"\n"},
        {"set FG_WIDTH=512", 0, "FG_WIDTH = 512\n"}, // the value read back
        {"set FG_FORMAT=FG_GRAY", 0, "FG_FORMAT = FG_GRAY (3)\n"},
        {"get", 1, ""},
        {"get fg_pixeldepth", 1, "kestrel: no parameter fg_pixeldepth: "},
        {"set FG_PIXELDEPTH=8", 1, "kestrel: FG_PIXELDEPTH: 8 refused: operation not available (-12)"},
        {"set FG_WIDTH=1000", 1, "(-7080); allowed ["},
        {"set FG_WIDTH=wide", 1, "kestrel: set FG_WIDTH: 'wide' is not a 32-bit number"},
        {"set FG_FORMAT=FG_PURPLE", 1, "'FG_PURPLE' is neither an entry nor a number"},
        {"params", 0, "  FG_PIXELDEPTH = 12 bit  [0 .. 128]  RO  \"Pixel Depth\"\n"},
        {"params", 0, "\nTrigger / Trigger Input / External\n  "},
        {"events", 0, "23  0x0000000000800000  FG_TRIGGER_OUTPUT_CAM0\n"},
        {"trigger FG_AREATRIGGERMODE=ATM_SOFTWARE FG_TRIGGEROUT_SELECT3=INPUT_BYPASS", 0,
         "Trigger output 3      INPUT_BYPASS (10)"},
        {"trigger FG_TRIGGER_FRAMESPERSECOND=300", 1, "FG_TRIGGER_FRAMESPERSECOND: 300 refused"}};
    for (const auto& row : rows) {
        const tool_test::ToolRun run = kestrel(row.arguments);
        EXPECT_EQ(run.exitCode != 0, row.exitCode != 0) << row.arguments << "\n"
                                                        << run.output.substr(0, 2000);
        EXPECT_TRUE(contains(run.output, row.output)) << row.arguments << ": no '" << row.output << "' in\n"
                                                      << run.output.substr(0, 2000);
    }
}

} // namespace
