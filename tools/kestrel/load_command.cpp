// kestrel load FILE.scf: checks a configuration file and applies it to a freshly created applet.
#include "command.h"
#include "parameter_view.h"

#include "grabhost5.hpp"

#include <iostream>
#include <memory>
#include <string>

namespace kestrel::tool {
namespace {

int runLoad(const ToolOptions& options, const std::string& file) {
    gh5::Board board = gh5::Board::open(options.board);
    gh5::Grabber grabber = gh5::Grabber::create(board, options.applet);
    const int32_t code = grabber.exports().Fg_loadConfig(grabber.record(), file.c_str());
    if (code != 0) {
        // A file that opens but does not load: wrong applet, a missing key, a broken header.
        const std::string why = code == -2076 ? "the file cannot be read or its name has no .scf"
                                              : "the file is not a complete configuration of this applet";
        return fail("load " + file + " failed: " + codeText(code) + "; " + why);
    }
    std::cout << "loaded " << file << "\n";
    return kExitOk;
}

const CommandRegistrar loadRegistrar{
    Command{"load", "check a configuration file and apply it to the applet",
            [](CLI::App& sub, const ToolOptions& options) {
                auto file = std::make_shared<std::string>();
                sub.add_option("file", *file, "configuration file, e.g. settings.scf")->required();
                return std::function<int()>([&options, file] { return runLoad(options, *file); });
            }}};

} // namespace
} // namespace kestrel::tool
