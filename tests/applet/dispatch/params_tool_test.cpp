// The kestrel tool's parameter commands as a user runs them: output, messages and exit codes.
#include <gtest/gtest.h>

#include "tool_run.h"

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using tool_test::contains;
using tool_test::kestrel;
using tool_test::ToolRun;

struct ToolCase {
    const char* arguments;
    int exitCode;
    const char* exactOutput; // null: the output holds each of `parts`
    std::vector<std::string> parts;
};

const ToolCase kToolCases[] = {
    {"get FG_PIXELDEPTH", 0, "FG_PIXELDEPTH = 12\n", {}},
    {"get FG_HAP_FILE", 0, "FG_HAP_FILE = \"Kestrel12.hap\"\n", {}},
    {"set FG_WIDTH=512", 0, "FG_WIDTH = 512\n", {}}, // the value read back
    // an unknown or miscased name fails with the applet's code
    {"get fg_pixeldepth", 1, nullptr, {"kestrel: no parameter fg_pixeldepth: ", "(-2070)"}},
    // a refusal names the parameter, the value, the code and its meaning, and the bounds
    {"set FG_PIXELDEPTH=8",
     1,
     nullptr,
     {"kestrel: FG_PIXELDEPTH: 8 refused: ", "operation not available (-12)"}},
    {"set FG_WIDTH=1000", 1, nullptr, {"kestrel: FG_WIDTH: 1000 refused: ", "(-7080); allowed [", "step 16"}},
    // text that is no number is refused before the applet is asked
    {"set FG_WIDTH=wide", 1, nullptr, {"kestrel: set FG_WIDTH: 'wide' is not a 32-bit number"}},
    {"set FG_FORMAT=FG_PURPLE", 1, nullptr, {"'FG_PURPLE' is neither an entry nor a number", "FG_GRAY=3"}}};

TEST(KestrelGetAndSet, PrintValuesAndExplainRefusals) {
    for (const ToolCase& c : kToolCases) {
        const ToolRun run = kestrel(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
        if (c.exactOutput != nullptr) {
            EXPECT_EQ(run.output, c.exactOutput) << c.arguments;
        }
        for (const std::string& part : c.parts)
            EXPECT_TRUE(contains(run.output, part)) << c.arguments << ": no '" << part << "' in\n"
                                                    << run.output;
    }
}

TEST(KestrelGet, NeedsAName) {
    EXPECT_NE(kestrel("get").exitCode, 0);
}

TEST(KestrelSet, EnumerationTakesItsSymbols) {
    // A miss lists the symbols (a row above). The symbol turns into its value: the applet then accepts it, or
    // refuses it with its own code, never with a parse message.
    const ToolRun hit = kestrel("set FG_FORMAT=FG_GRAY");
    EXPECT_FALSE(contains(hit.output, "neither an entry")) << hit.output;
    if (hit.exitCode == 0)
        EXPECT_EQ(hit.output, "FG_FORMAT = FG_GRAY (3)\n");
    else
        EXPECT_TRUE(contains(hit.output, "kestrel: FG_FORMAT: FG_GRAY refused: ")) << hit.output;
}

TEST(KestrelParams, PrintsCategoriesFeaturesValuesRangesAndAccess) {
    const ToolRun run = kestrel("params");
    EXPECT_EQ(run.exitCode, 0) << run.output.substr(0, 2000);
    EXPECT_TRUE(contains(run.output, "  FG_PIXELDEPTH = 12 bit  [0 .. 128]  RO  \"Pixel Depth\"\n"))
        << run.output.substr(0, 2000);
    EXPECT_TRUE(contains(run.output, "  FG_WIDTH = "));
    EXPECT_TRUE(contains(run.output, "  FG_FORMAT = "));
    EXPECT_TRUE(contains(run.output, "      FG_GRAY = 3  \"Gray 8bit\"\n")); // one entry per line
    EXPECT_TRUE(contains(run.output, "  RW  \""));
    // Categories stand on lines of their own, as their path, with the features indented below them.
    EXPECT_TRUE(contains(run.output, "\nTrigger / Trigger Input / External\n  "))
        << run.output.substr(0, 2000);
    // The microsecond unit arrives as UTF-8.
    EXPECT_TRUE(contains(run.output, "\xC2\xB5s")) << "no µs unit";
}

} // namespace
