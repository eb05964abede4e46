// What every kestrel subcommand shares: the common options and the self-registration of commands.
#pragma once

#include <CLI/CLI.hpp>

#include "core/session.h"
#include "core/tool_errors.h"

#include <functional>
#include <string>
#include <vector>

namespace kestrel::tool {

// A subcommand adds itself to the application; its callback runs when it is chosen and returns
// the process exit code.
struct Command {
    std::string name;
    std::string description;
    // Adds the subcommand's own options to sub; returns the function to run.
    std::function<std::function<int()>(CLI::App& sub, const ToolOptions& options)> setUp;
};

std::vector<Command>& commands();

// A file-scope object of this type registers its command before main runs.
struct CommandRegistrar {
    explicit CommandRegistrar(Command command) { commands().push_back(std::move(command)); }
};

} // namespace kestrel::tool
