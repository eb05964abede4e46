// kestrel get NAME and kestrel set NAME VALUE: one parameter by name, typed by the applet's tree.
#include "command.h"
#include "parameter_view.h"

#include "grabhost5.hpp"

#include <iostream>
#include <memory>
#include <string>

namespace kestrel::tool {
namespace {

struct Arguments {
    std::string name;
    std::string value;
};

// The identifier of a name, or the failure exit after the message.
bool lookUp(const AppletParameters& parameters, const std::string& name, int32_t& id, int& exitCode) {
    id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), name.c_str());
    if (id >= 0)
        return true;
    exitCode = fail("no parameter " + name + ": " + codeText(id));
    return false;
}

int runGet(const ToolOptions& options, const Arguments& arguments) {
    gh5::Board board = gh5::Board::open(options.board);
    gh5::Grabber grabber = gh5::Grabber::create(board, options.applet);
    const AppletParameters parameters(grabber);
    int32_t id = 0;
    int exitCode = kExitOk;
    if (!lookUp(parameters, arguments.name, id, exitCode))
        return exitCode;
    int32_t code = 0;
    const auto value = parameters.valueText(parameters.findFeature(arguments.name), id, &code);
    if (!value)
        return fail("get " + arguments.name + " failed: " + codeText(code));
    std::cout << arguments.name << " = " << *value << "\n";
    return kExitOk;
}

int runSet(const ToolOptions& options, const Arguments& arguments) {
    gh5::Board board = gh5::Board::open(options.board);
    gh5::Grabber grabber = gh5::Grabber::create(board, options.applet);
    const AppletParameters parameters(grabber);
    if (const int exitCode = setByName(parameters, arguments.name, arguments.value); exitCode != kExitOk)
        return exitCode;
    const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), arguments.name.c_str());
    int32_t readCode = 0;
    const auto value = parameters.valueText(parameters.findFeature(arguments.name), id, &readCode);
    std::cout << arguments.name << " = " << (value ? *value : arguments.value) << "\n";
    return kExitOk;
}

const CommandRegistrar getRegistrar{Command{
    "get", "print one parameter's value", [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("name", arguments->name, "parameter name, e.g. FG_WIDTH")->required();
        return std::function<int()>([&options, arguments] { return runGet(options, *arguments); });
    }}};

const CommandRegistrar setRegistrar{Command{
    "set", "set one parameter (a number, a text, or an entry such as FG_GRAY)",
    [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("name", arguments->name, "parameter name, e.g. FG_FORMAT")->required();
        sub.add_option("value", arguments->value, "the new value")->required();
        return std::function<int()>([&options, arguments] { return runSet(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
