// kestrel get NAME [NAME ...] and kestrel set NAME=VALUE [NAME=VALUE ...]: parameters by name,
// typed by the applet's tree.
#include "command.h"
#include "core/parameter_view.h"

#include "grabhost5.hpp"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace kestrel::tool {
namespace {

// "NAME = value" as the applet reads it back; false after a message when it cannot be read.
bool printValue(const AppletParameters& parameters, const std::string& name) {
    const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), name.c_str());
    if (id < 0) {
        fail(unknownParameter(parameters, name, id));
        return false;
    }
    int32_t code = 0;
    const auto value = parameters.valueText(parameters.findFeature(name), id, &code);
    if (!value) {
        fail("get " + name + " failed: " + codeText(code));
        return false;
    }
    std::cout << name << " = " << *value << "\n";
    return true;
}

int runGet(const ToolOptions& options, const std::vector<std::string>& names) {
    Session session(options);
    const AppletParameters parameters(session.grabber());
    bool allRead = true;
    for (const std::string& name : names)
        allRead = printValue(parameters, name) && allRead;
    return allRead ? kExitOk : kExitFailure;
}

int runSet(const ToolOptions& options, const std::vector<std::string>& settings) {
    // The old spelling "set NAME VALUE" is caught before the board is opened.
    for (const std::string& setting : settings)
        if (setting.find('=') == std::string::npos)
            throw UsageError("set takes NAME=VALUE, not " + setting +
                             (settings.size() == 2 && settings[1].find('=') == std::string::npos
                                  ? " (kestrel set " + settings[0] + "=" + settings[1] + ")"
                                  : ""));
    Session session(options);
    const AppletParameters parameters(session.grabber());
    for (const std::string& setting : settings) {
        // A refused setting leaves the --config file as it was.
        if (const int exitCode = applySetting(parameters, setting); exitCode != kExitOk)
            return exitCode;
        if (!printValue(parameters, setting.substr(0, setting.find('='))))
            return kExitFailure;
    }
    if (options.config.empty())
        std::cerr << "kestrel: note: the applet keeps these values only while this command runs; "
                     "give --config FILE.scf to keep them for the next command\n";
    return session.keepSettings();
}

const CommandRegistrar getRegistrar{
    Command{"get", "print parameters' values", [](CLI::App& sub, const ToolOptions& options) {
                auto names = std::make_shared<std::vector<std::string>>();
                sub.add_option("names", *names, "parameter names, e.g. FG_WIDTH FG_HEIGHT")->required();
                return std::function<int()>([&options, names] { return runGet(options, *names); });
            }}};

const CommandRegistrar setRegistrar{Command{
    "set", "set parameters in order, each NAME=VALUE (a number, a text, or an entry such as FG_GRAY)",
    [](CLI::App& sub, const ToolOptions& options) {
        auto settings = std::make_shared<std::vector<std::string>>();
        sub.add_option("settings", *settings, "NAME=VALUE settings, e.g. FG_FORMAT=FG_GRAY16")->required();
        return std::function<int()>([&options, settings] { return runSet(options, *settings); });
    }}};

} // namespace
} // namespace kestrel::tool
