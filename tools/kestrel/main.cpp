// kestrel: inspect and drive Kestrel12 applets on the virtual board from the command line.
#include "command.h"

#include "grabhost5.hpp"

#include <iostream>
#include <memory>

namespace kestrel::tool {

std::vector<Command>& commands() {
    static std::vector<Command> all;
    return all;
}

int fail(const std::string& message) {
    std::cerr << "kestrel: " << message << "\n";
    return kExitFailure;
}

} // namespace kestrel::tool

int main(int argc, char** argv) {
    using namespace kestrel::tool;
    CLI::App app{"kestrel: the Kestrel12 applet on the virtual frame-grabber board"};
    app.require_subcommand(1);
    ToolOptions options;
    app.add_option("-b,--board", options.board, "index of the virtual board")->capture_default_str();
    app.add_option("-a,--applet", options.applet, "applet library name or path")->capture_default_str();

    std::function<int()> run;
    for (const Command& command : commands()) {
        CLI::App* sub = app.add_subcommand(command.name, command.description);
        sub->fallthrough(); // the common options may follow the subcommand's name too
        auto action = std::make_shared<std::function<int()>>();
        *action = command.setUp(*sub, options);
        sub->callback([&run, action] { run = *action; });
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    }
    try {
        return run ? run() : kExitFailure;
    } catch (const gh5::Error& error) {
        return fail(error.what());
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}
