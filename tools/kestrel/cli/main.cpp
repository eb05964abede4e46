// kestrel: inspect and drive Kestrel12 applets on the virtual board from the command line.
#include "command.h"
#include "core/interrupt.h"
#include "core/output_check.h"
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

// The long options of app and of its chosen subcommand, as typed ("--frames").
std::vector<std::string> longOptions(const CLI::App& app, const CLI::App* sub) {
    std::vector<std::string> names;
    for (const CLI::App* level : {&app, sub})
        if (level != nullptr)
            for (const CLI::Option* option : level->get_options())
                for (const std::string& name : option->get_lnames())
                    names.push_back("--" + name);
    return names;
}

// "no option --framse for grab; did you mean --frames?" for the first long option no level of the
// command line knows, or "" when every one is known.
std::string unknownOptionText(int argc, char** argv, CLI::App& app, const std::string& command) {
    const CLI::App* sub = nullptr;
    for (const CLI::App* candidate : app.get_subcommands([](CLI::App*) { return true; }))
        if (candidate->get_name() == command)
            sub = candidate;
    const std::vector<std::string> known = longOptions(app, sub);
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--")
            break;
        const std::string name = word.substr(0, word.find('='));
        if (name.size() > 2 && name.compare(0, 2, "--") == 0 &&
            std::find(known.begin(), known.end(), name) == known.end())
            return "no option " + name + (sub != nullptr ? " for " + command : std::string()) +
                   didYouMean(name, known) + " (kestrel " + (sub != nullptr ? command + " " : "") +
                   "--help lists them)";
    }
    return "";
}

} // namespace

std::vector<Command>& commands() {
    static std::vector<Command> all;
    return all;
}

} // namespace kestrel::tool

namespace {

// The command's exit code once standard output is known to have taken everything, and the exit
// of a stop request the command did not see itself.
int finished(int exitCode) {
    using namespace kestrel::tool;
    if (const std::string problem = standardOutputProblem(); !problem.empty()) {
        fail("standard output: " + problem);
        return kExitFailure;
    }
    return exitCode == kExitOk && InterruptGuard::requested() ? InterruptGuard::exitCode() : exitCode;
}

int runTool(int argc, char** argv);

} // namespace

int main(int argc, char** argv) {
    // Before anything can make a temporary file.
    const kestrel::tool::InterruptGuard interruptGuard;
    return finished(runTool(argc, argv));
}

namespace {

int runTool(int argc, char** argv) {
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
    // A mistyped option would make its value look like the command: options are checked first.
    if (const std::string unknown = unknownOptionText(argc, argv, app, typedCommand(argc, argv));
        !unknown.empty())
        return usageError(unknown);
    // CLI11 would call a mistyped command an unexpected argument; name it and its likely spelling.
    if (const std::string typed = typedCommand(argc, argv);
        !typed.empty() && std::find(names.begin(), names.end(), typed) == names.end())
        return usageError("no command " + typed + didYouMean(typed, names) + " (kestrel --help lists them)");
    const std::string command = typedCommand(argc, argv);
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
        const std::string message = error.what();
        return usageError(message.find("kestrel ") != std::string::npos
                              ? message
                              : message + " (kestrel " + command + " --help shows how)");
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}

} // namespace
