// The kestrel tool's parameter commands as a user runs them: output, messages and exit codes.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

ToolRun kestrel(const std::string& arguments) {
    const std::string command = KESTREL_TOOL_PATH " " + arguments + " 2>&1";
    ToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(KestrelGet, PrintsAConstantParameter) {
    const ToolRun run = kestrel("get FG_PIXELDEPTH");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "FG_PIXELDEPTH = 12\n");
}

TEST(KestrelGet, PrintsATextParameterQuoted) {
    const ToolRun run = kestrel("get FG_HAP_FILE");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "FG_HAP_FILE = \"Kestrel12.hap\"\n");
}

TEST(KestrelGet, UnknownOrMiscasedNameFailsWithTheAppletsCode) {
    const ToolRun run = kestrel("get fg_pixeldepth");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "kestrel: no parameter fg_pixeldepth: ")) << run.output;
    EXPECT_TRUE(contains(run.output, "(-2070)")) << run.output;
}

TEST(KestrelGet, NeedsAName) {
    const ToolRun run = kestrel("get");
    EXPECT_NE(run.exitCode, 0);
}

TEST(KestrelSet, ReadOnlyParameterFailsWithMinusTwelveAndItsMeaning) {
    const ToolRun run = kestrel("set FG_PIXELDEPTH 8");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "kestrel: FG_PIXELDEPTH: 8 refused: ")) << run.output;
    EXPECT_TRUE(contains(run.output, "(-12)")) << run.output;
    EXPECT_FALSE(contains(run.output, "unknown error")) << run.output;
}

TEST(KestrelSet, NamesTheParameterTheValueAndTheBoundsWhenTheAppletRefuses) {
    const ToolRun run = kestrel("set FG_WIDTH 1000");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "kestrel: FG_WIDTH: 1000 refused: ")) << run.output;
    EXPECT_TRUE(contains(run.output, "(-7080); allowed [")) << run.output;
    EXPECT_TRUE(contains(run.output, "step 16")) << run.output;
}

TEST(KestrelSet, SetsANumberAndPrintsTheValueReadBack) {
    const ToolRun run = kestrel("set FG_WIDTH 512");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "FG_WIDTH = 512\n");
}

TEST(KestrelSet, RefusesTextThatIsNoNumberBeforeAskingTheApplet) {
    const ToolRun run = kestrel("set FG_WIDTH wide");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "kestrel: set FG_WIDTH: 'wide' is not a 32-bit number")) << run.output;
}

TEST(KestrelSet, EnumerationTakesItsSymbolsAndListsThemOnAMiss) {
    const ToolRun miss = kestrel("set FG_FORMAT FG_PURPLE");
    EXPECT_EQ(miss.exitCode, 1);
    EXPECT_TRUE(contains(miss.output, "'FG_PURPLE' is neither an entry nor a number")) << miss.output;
    EXPECT_TRUE(contains(miss.output, "FG_GRAY=3")) << miss.output;

    // The symbol turns into its value: the applet then accepts it, or refuses it with its own
    // code, never with a parse message.
    const ToolRun hit = kestrel("set FG_FORMAT FG_GRAY");
    EXPECT_FALSE(contains(hit.output, "neither an entry")) << hit.output;
    if (hit.exitCode == 0)
        EXPECT_EQ(hit.output, "FG_FORMAT = FG_GRAY (3)\n");
    else
        EXPECT_TRUE(contains(hit.output, "kestrel: FG_FORMAT: FG_GRAY refused: ")) << hit.output;
}

TEST(KestrelParams, PrintsCategoriesFeaturesValuesRangesAndAccess) {
    const ToolRun run = kestrel("params");
    EXPECT_EQ(run.exitCode, 0) << run.output.substr(0, 2000);
    EXPECT_TRUE(contains(run.output, "[FG_PIXELDEPTH] = 12")) << run.output.substr(0, 2000);
    EXPECT_TRUE(contains(run.output, "[FG_WIDTH]"));
    EXPECT_TRUE(contains(run.output, "[FG_FORMAT]"));
    EXPECT_TRUE(contains(run.output, "FG_GRAY=3"));
    EXPECT_TRUE(contains(run.output, "  RO\n"));
    EXPECT_TRUE(contains(run.output, "  RW\n"));
    // Categories stand on lines of their own, features are indented below them.
    EXPECT_TRUE(contains(run.output, "\n  ")) << run.output.substr(0, 2000);
    // The microsecond unit arrives as UTF-8.
    EXPECT_TRUE(contains(run.output, "\xC2\xB5s")) << "no µs unit";
}

} // namespace
