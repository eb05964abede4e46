// The kestrel tool as a user runs it: output, messages and exit codes.
#include <gtest/gtest.h>

#include "tool_run.h"

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

using tool_test::kestrel;
using tool_test::ToolRun;

const std::string kFakePath = "KESTREL_APPLET_PATH=" FAKE_APPLET_DIR;

} // namespace

TEST(KestrelInfo, FailsWithAClearMessageWhenTheAppletIsMissing) {
    const ToolRun run = kestrel("KESTREL_APPLET_PATH=/nonexistent", "info");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.output.find("kestrel: cannot load applet Kestrel12: applet library not found (-9010)"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("/nonexistent"), std::string::npos) << run.output;
}

TEST(KestrelInfo, ShowsThePropertiesAndReportsTheAppletAlive) {
    const ToolRun run = kestrel(kFakePath, "info --applet FakeApplet");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Title           Fake applet for host tests"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Design image    4242 bytes"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Description     (not answered)"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Board 0         applet created and alive, 3 parameters"), std::string::npos)
        << run.output;
}

TEST(KestrelInfo, NamesTheAppletsCreationErrorInWords) {
    const ToolRun run = kestrel(kFakePath, "-a FailingApplet info");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.output.find("cannot create applet FailingApplet on board 0: initialisation failed (-100)"),
              std::string::npos)
        << run.output;
}

TEST(KestrelInfo, RefusesABoardThatDoesNotExist) {
    const ToolRun run = kestrel(kFakePath, "info -a FakeApplet --board 7");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.output.find("cannot open board 7: no board with that index (-7002)"), std::string::npos)
        << run.output;
}

TEST(KestrelInfo, CreatesTheKestrel12AppletBesideTheHostLibrary) {
    const ToolRun run = kestrel("env -u KESTREL_APPLET_PATH", "info");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Applet          Kestrel12 ("), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Title           Pelorus Advanced:Area"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Design image    2113379 bytes"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Board 0         applet created and alive"), std::string::npos) << run.output;
}

TEST(KestrelTool, AsksForASubcommand) {
    const ToolRun run = kestrel("", "");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.output.find("info"), std::string::npos) << run.output;
}

TEST(KestrelTrigger, SoftwarePulsesEachProduceOneFrameOfTheRealApplet) {
    const ToolRun run = kestrel("", "trigger --software 3 FG_WIDTH=128 FG_HEIGHT=32");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const char* line : {"pulse 1: frame 1 after", "pulse 2: frame 2 after", "pulse 3: frame 3 after"})
        EXPECT_NE(run.output.find(line), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("3 pulses sent, 0 refused, 3 frames, 0 lost"), std::string::npos) << run.output;
}

TEST(KestrelTrigger, RefusesAPulseCountOfZero) {
    const ToolRun run = kestrel("", "trigger --software 0");
    EXPECT_NE(run.exitCode, 0);
}
