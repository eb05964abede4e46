// Runs the kestrel tool as a user does and collects what it prints. The including test target
// defines KESTREL_TOOL_PATH as the tool's path.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace tool_test {

struct ToolRun {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

// `environment` is put before the command, e.g. "KESTREL_APPLET_PATH=/dir" or "env -u NAME".
inline ToolRun kestrel(const std::string& environment, const std::string& arguments) {
    const std::string command = environment + " " KESTREL_TOOL_PATH " " + arguments + " 2>&1";
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

inline ToolRun kestrel(const std::string& arguments) {
    return kestrel("", arguments);
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace tool_test
