// The kestrel tool's trigger and events commands as a user runs them: exit code and a line each.
#include <gtest/gtest.h>

#include "tool_run.h"

namespace {

using tool_test::contains;
using tool_test::kestrel;

TEST(KestrelTriggerCommands, ExitWithTheirCodeAndPrintTheirLine) {
    const struct {
        const char* arguments;
        int exitCode;
        const char* part;
    } rows[] = {
        {"events", 0, "23  0x0000000000800000  FG_TRIGGER_OUTPUT_CAM0\n"},
        {"trigger FG_AREATRIGGERMODE=ATM_SOFTWARE FG_TRIGGEROUT_SELECT3=INPUT_BYPASS", 0,
         "Trigger output 3      INPUT_BYPASS (10)"},
        {"trigger FG_TRIGGER_FRAMESPERSECOND=300", 1, "FG_TRIGGER_FRAMESPERSECOND: 300 refused"},
    };
    for (const auto& row : rows) {
        const tool_test::ToolRun run = kestrel(row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.arguments << "\n" << run.output;
        EXPECT_TRUE(contains(run.output, row.part)) << row.arguments << "\n" << run.output;
    }
}

} // namespace
