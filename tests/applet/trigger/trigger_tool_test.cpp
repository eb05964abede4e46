// The kestrel tool's trigger and events commands as a user runs them.
#include <gtest/gtest.h>

#include "tool_run.h"

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

using tool_test::contains;
using tool_test::kestrel;
using tool_test::ToolRun;

TEST(KestrelEvents, ListsEveryNamedBitWithItsMask) {
    const ToolRun run = kestrel("events");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(contains(run.output, " 0  0x0000000000000001  FG_OVERFLOW_CAM0\n")) << run.output;
    EXPECT_TRUE(contains(run.output, "23  0x0000000000800000  FG_TRIGGER_OUTPUT_CAM0\n")) << run.output;
    EXPECT_FALSE(contains(run.output, "TransferEnd")) << run.output;
}

TEST(KestrelTrigger, ShowsTheTriggerAfterTheGivenSettings) {
    const ToolRun run = kestrel("trigger FG_AREATRIGGERMODE=ATM_SOFTWARE FG_TRIGGEROUT_SELECT3=INPUT_BYPASS");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "Mode                  ATM_SOFTWARE (4)")) << run.output;
    EXPECT_TRUE(contains(run.output, "State                 TS_SYNC_STOP (2)")) << run.output;
    EXPECT_TRUE(contains(run.output, "Generator 0           1, 0, 0, 4000")) << run.output;
    EXPECT_TRUE(contains(run.output, "Trigger output 3      INPUT_BYPASS (10)")) << run.output;
}

TEST(KestrelTrigger, NamesTheRefusedSettingAndItsCode) {
    const ToolRun run = kestrel("trigger FG_TRIGGER_FRAMESPERSECOND=300");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(contains(run.output, "FG_TRIGGER_FRAMESPERSECOND: 300 refused")) << run.output;
    EXPECT_TRUE(contains(run.output, "(-2079)")) << run.output;
}

} // namespace
