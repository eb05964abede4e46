// kestrel save and kestrel load as a user runs them: files, messages and exit codes.
#include <gtest/gtest.h>

#include "tool_run.h"

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "scratch_dir.h"

namespace {

using tool_test::contains;
using tool_test::kestrel;
using tool_test::ToolRun;

class KestrelConfig : public kestrel::test::ScratchDirTest {};

TEST_F(KestrelConfig, SaveWritesTheFreshAppletsConfigurationAndLoadAppliesIt) {
    ToolRun run = kestrel("save " + path("fresh.scf"));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "saved " + path("fresh.scf") + "\n");
    EXPECT_EQ(readFile(path("fresh.scf")), readFile(KESTREL_TEST_DATA_DIR "/config/fresh_applet.scf"));
    run = kestrel("load " + path("fresh.scf"));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "loaded " + path("fresh.scf") + "\n");
}

TEST_F(KestrelConfig, SaveToANameWithoutScfFailsWithItsCode) {
    const ToolRun run = kestrel("save " + path("settings.txt"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "kestrel: save " + path("settings.txt") + " failed: ")) << run.output;
    EXPECT_TRUE(contains(run.output, "(-5001)")) << run.output;
    EXPECT_FALSE(exists("settings.txt"));
}

} // namespace
