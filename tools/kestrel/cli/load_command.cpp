// kestrel load FILE.scf: checks a configuration file and applies it to a freshly created applet.
#include "command.h"
#include "core/config_file.h"
#include "core/parameter_view.h"

#include "grabhost5.hpp"

#include <iostream>
#include <memory>
#include <string>

namespace kestrel::tool {
namespace {

int runLoad(const ToolOptions& options, const std::string& file) {
    Session session(options);
    loadConfiguration(AppletParameters(session.grabber()), file);
    std::cout << "loaded " << file << "\n";
    return session.keepSettings();
}

const CommandRegistrar loadRegistrar{Command{
    "load", "check a configuration file and apply it to the applet (entry names allowed for enumerations)",
    [](CLI::App& sub, const ToolOptions& options) {
        auto file = std::make_shared<std::string>();
        sub.add_option("file", *file, "configuration file, e.g. settings.scf")->required();
        return std::function<int()>([&options, file] { return runLoad(options, *file); });
    }}};

} // namespace
} // namespace kestrel::tool
