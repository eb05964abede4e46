// kestrel boards: the virtual boards this process can open, with the applet each one takes.
#include "command.h"

#include "grabhost5.hpp"

#include <iostream>

namespace kestrel::tool {
namespace {

int runBoards(const ToolOptions& options) {
    const int32_t count = gh5::Board::count();
    if (count < 0)
        return fail("cannot count the boards: " + std::string(gh5_error_text(count)) + " (" +
                    std::to_string(count) + ")");
    for (int32_t index = 0; index < count; ++index) {
        // Opening is the only way to tell a board that answers from one that does not.
        Gh5Board* handle = nullptr;
        const int32_t code = gh5_board_open(index, &handle);
        std::cout << index << "  virtual Camera Link board";
        if (code == GH5_OK) {
            std::cout << ", ready for " << options.applet << "\n";
            gh5_board_close(handle);
        } else {
            std::cout << ", cannot be opened: " << gh5_error_text(code) << " (" << code << ")\n";
        }
    }
    std::cout << count << (count == 1 ? " board" : " boards") << "\n";
    return kExitOk;
}

const CommandRegistrar registrar{
    Command{"boards", "list the virtual boards (use one with --board N)",
            [](CLI::App&, const ToolOptions& options) { return [&options] { return runBoards(options); }; }}};

} // namespace
} // namespace kestrel::tool
