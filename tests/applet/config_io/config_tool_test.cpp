// kestrel save and kestrel load as a user runs them: files, messages and exit codes.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "scratch_files.h"

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

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class KestrelConfig : public kestrel::test::ScratchFiles {};

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

TEST_F(KestrelConfig, LoadOfAMissingFileNamesTheReadFailure) {
    const ToolRun run = kestrel("load " + path("missing.scf"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "(-2076)")) << run.output;
    EXPECT_TRUE(contains(run.output, "cannot be read")) << run.output;
}

TEST_F(KestrelConfig, LoadOfAnIncompleteFileNamesTheLoadFailure) {
    const std::string file = writeFile("partial.scf", "[Kamerasektion]\nHersteller='x';\nTyp='Kestrel12';\n"
                                                      "AktivePort=0;\n\n[Port A]\nFG_TIMEOUT=5;\n");
    const ToolRun run = kestrel("load " + file);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "(-5000)")) << run.output;
    EXPECT_TRUE(contains(run.output, "not a complete configuration")) << run.output;
}

} // namespace
