// kestrel save FILE.scf: writes the applet's settings (the fresh ones, or those of --config) to a
// configuration file.
#include "command.h"
#include "core/config_file.h"
#include "core/parameter_view.h"

#include "grabhost5.hpp"

#include <cerrno>
#include <iostream>
#include <memory>
#include <string>

namespace kestrel::tool {
namespace {

int runSave(const ToolOptions& options, const std::string& file) {
    Session session(options);
    saveConfiguration(AppletParameters(session.grabber()), file);
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
