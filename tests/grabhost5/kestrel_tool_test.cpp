// kestrel info as a user runs it, with the stand-in applets and with the real one:
// exit code and the line that says what happened.
#include <gtest/gtest.h>

#include "tool_run.h"

#include <string>
#include <vector>

namespace {

using tool_test::contains;
using tool_test::kestrel;
using tool_test::ToolRun;

const std::string kFakePath = "KESTREL_APPLET_PATH=" FAKE_APPLET_DIR;

struct InfoRow {
    std::string environment, arguments;
    bool succeeds;
    std::vector<std::string> said;
};

TEST(KestrelInfo, ExitsWithItsCodeAndSaysWhatHappened) {
    const InfoRow rows[] = {
        {"KESTREL_APPLET_PATH=/nonexistent",
         "info",
         false,
         {"kestrel: cannot load applet Kestrel12: applet library not found (-9010)", "/nonexistent"}},
        {kFakePath,
         "info --applet FakeApplet",
         true,
         {"Title           Fake applet for host tests", "Design image    4242 bytes",
          "Description     (not answered)", "Board 0         applet created and alive, 3 parameters"}},
        {kFakePath,
         "-a FailingApplet info",
         false,
         {"cannot create applet FailingApplet on board 0: initialisation failed (-100)"}},
        {kFakePath,
         "info -a FakeApplet --board 7",
         false,
         {"cannot open board 7: no board with that index (-7002)"}},
        {"env -u KESTREL_APPLET_PATH",
         "info",
         true,
         {"Applet          Kestrel12 (", "Title           Pelorus Advanced:Area",
          "Design image    2113379 bytes", "Board 0         applet created and alive"}},
    };
    for (const InfoRow& row : rows) {
        const ToolRun run = kestrel(row.environment, row.arguments);
        EXPECT_EQ(run.exitCode == 0, row.succeeds) << row.arguments << "\n" << run.output;
        for (const std::string& part : row.said)
            EXPECT_TRUE(contains(run.output, part)) << row.arguments << ": no '" << part << "' in\n"
                                                    << run.output;
    }
}

} // namespace
