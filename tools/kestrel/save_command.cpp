// kestrel save FILE.scf: writes the settings of a freshly created applet to a configuration file.
#include "command.h"
#include "parameter_view.h"

#include "grabhost5.hpp"

#include <iostream>
#include <memory>
#include <string>

namespace kestrel::tool {
namespace {

int runSave(const ToolOptions& options, const std::string& file) {
    gh5::Board board = gh5::Board::open(options.board);
    gh5::Grabber grabber = gh5::Grabber::create(board, options.applet);
    const int32_t code = grabber.exports().Fg_saveConfig(grabber.record(), file.c_str());
    if (code != 0)
        return fail("save " + file + " failed: " + codeText(code));
    std::cout << "saved " << file << "\n";
    return kExitOk;
}

const CommandRegistrar saveRegistrar{
    Command{"save", "write the applet's settings to a configuration file (its name must contain .scf)",
            [](CLI::App& sub, const ToolOptions& options) {
                auto file = std::make_shared<std::string>();
                sub.add_option("file", *file, "configuration file, e.g. settings.scf")->required();
                return std::function<int()>([&options, file] { return runSave(options, *file); });
            }}};

} // namespace
} // namespace kestrel::tool
