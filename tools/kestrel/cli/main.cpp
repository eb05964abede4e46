// kestrel: inspect and drive Kestrel12 applets on the virtual board from the command line.
#include "command.h"
#include "core/suggest.h"

#include "grabhost5.hpp"

#include <algorithm>
#include <iostream>
#include <memory>
#include <set>
#include <string_view>

namespace kestrel::tool {
namespace {

// Options of the whole tool that take their value as the next word.
const std::set<std::string_view> kOptionsWithValue = {"-b", "--board", "-a", "--applet", "--config"};

// The first word that is no option and no option's value: the command the user meant, or "".
std::string typedCommand(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--")
            return i + 1 < argc ? argv[i + 1] : "";
        if (!word.empty() && word[0] == '-') {
            if (kOptionsWithValue.count(word) != 0)
                ++i;
            continue;
        }
        return std::string(word);
    }
    return "";
}

} // namespace

std::vector<Command>& commands() {
    static std::vector<Command> all;
    return all;
}

} // namespace kestrel::tool

int main(int argc, char** argv) {
    using namespace kestrel::tool;
    CLI::App app{"kestrel: the Kestrel12 applet on the virtual frame-grabber board"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "kestrel " KESTREL_VERSION);
    ToolOptions options;
    app.add_option("-b,--board", options.board, "index of the virtual board")->capture_default_str();
    app.add_option("-a,--applet", options.applet, "applet library name or path")->capture_default_str();
    app.add_option("--config", options.config,
                   "configuration file (.scf) loaded first when it exists; set, lut, shading and load "
                   "write their result back to it");

    std::function<int()> run;
    std::vector<std::string> names;
    for (const Command& command : commands()) {
        CLI::App* sub = app.add_subcommand(command.name, command.description);
        sub->fallthrough(); // the common options may follow the subcommand's name too
        auto action = std::make_shared<std::function<int()>>();
        *action = command.setUp(*sub, options);
        sub->callback([&run, action] { run = *action; });
        names.push_back(command.name);
    }
    if (argc <= 1) {
        std::cerr << app.help();
        return kExitUsage;
    }
    // CLI11 would call a mistyped command an unexpected argument; name it and its likely spelling.
    if (const std::string typed = typedCommand(argc, argv);
        !typed.empty() && std::find(names.begin(), names.end(), typed) == names.end())
        return usageError("no command " + typed + didYouMean(typed, names) + " (kestrel --help lists them)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and version exit 0; every other parse error is a usage error.
        return app.exit(error) == 0 ? kExitOk : kExitUsage;
    }
    if (!options.config.empty() && options.config.find(".scf") == std::string::npos)
        return usageError("--config " + options.config + ": a configuration file's name contains .scf");
    try {
        return run ? run() : kExitFailure;
    } catch (const UsageError& error) {
        return usageError(error.what());
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}
