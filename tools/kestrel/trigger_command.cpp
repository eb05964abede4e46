// kestrel trigger: the area trigger on one screen (mode, state, frequency, the pulse-form
// generators and what every output carries), after optional settings given as NAME=VALUE.
#include "command.h"
#include "parameter_view.h"

#include "grabhost5.hpp"

#include <iomanip>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace kestrel::tool {
namespace {

struct Arguments {
    std::vector<std::string> settings;
};

// The value of a parameter as text, or the reason it has none.
std::string value(const AppletParameters& parameters, const std::string& name) {
    const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), name.c_str());
    if (id < 0)
        return "(no parameter)";
    int32_t code = 0;
    const auto text = parameters.valueText(parameters.findFeature(name), id, &code);
    return text ? *text : "(" + codeText(code) + ")";
}

void row(const std::string& label, const std::string& text) {
    std::cout << "  " << std::left << std::setw(22) << label << text << "\n";
}

int apply(const AppletParameters& parameters, const std::string& setting) {
    const auto equals = setting.find('=');
    if (equals == std::string::npos)
        return fail("setting " + setting + " is not NAME=VALUE");
    const std::string name = setting.substr(0, equals);
    const std::string text = setting.substr(equals + 1);
    const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), name.c_str());
    if (id < 0)
        return fail("no parameter " + name + ": " + codeText(id));
    std::string why;
    const Node* feature = parameters.findFeature(name);
    const int32_t code = parameters.setFromText(feature, id, text, &why);
    if (code == AppletParameters::kParseError)
        return fail("set " + name + ": " + why);
    if (code != 0) {
        const std::string range = rangeText(feature);
        return fail(name + ": " + text + " refused: " + codeText(code) +
                    (range.empty() ? "" : "; allowed " + range));
    }
    return kExitOk;
}

int runTrigger(const ToolOptions& options, const Arguments& arguments) {
    gh5::Board board = gh5::Board::open(options.board);
    gh5::Grabber grabber = gh5::Grabber::create(board, options.applet);
    const AppletParameters parameters(grabber);
    for (const std::string& setting : arguments.settings) {
        if (const int exitCode = apply(parameters, setting); exitCode != kExitOk)
            return exitCode;
    }

    std::cout << "Area trigger\n";
    row("Mode", value(parameters, "FG_AREATRIGGERMODE"));
    row("State", value(parameters, "FG_TRIGGERSTATE"));
    row("Frequency (Hz)", value(parameters, "FG_TRIGGER_FRAMESPERSECOND"));
    row("Queue", value(parameters, "FG_TRIGGERQUEUE_MODE") + ", fill level " +
                     value(parameters, "FG_TRIGGERQUEUE_FILLLEVEL"));
    row("Multiply pulses", value(parameters, "FG_TRIGGER_MULTIPLY_PULSES"));
    row("Legacy interface", value(parameters, "FG_TRIGGER_LEGACY_MODE"));
    row("Input", value(parameters, "FG_TRIGGERIN_SRC") + ", " + value(parameters, "FG_TRIGGERIN_POLARITY") +
                     ", downscale " + value(parameters, "FG_TRIGGERIN_DOWNSCALE") + " phase " +
                     value(parameters, "FG_TRIGGERIN_DOWNSCALE_PHASE"));

    std::cout << "Pulse-form generators (downscale, phase, delay us, width us)\n";
    for (int n = 0; n < 4; ++n) {
        const std::string prefix = "FG_TRIGGER_PULSEFORMGEN" + std::to_string(n) + "_";
        row("Generator " + std::to_string(n),
            value(parameters, prefix + "DOWNSCALE") + ", " + value(parameters, prefix + "DOWNSCALE_PHASE") +
                ", " + value(parameters, prefix + "DELAY") + ", " + value(parameters, prefix + "WIDTH"));
    }

    std::cout << "Outputs\n";
    for (int i = 0; i < 4; ++i)
        row("CC" + std::to_string(i), value(parameters, "FG_TRIGGERCC_SELECT" + std::to_string(i)));
    for (int i = 0; i < 8; ++i)
        row("Trigger output " + std::to_string(i),
            value(parameters, "FG_TRIGGEROUT_SELECT" + std::to_string(i)));
    return kExitOk;
}

const CommandRegistrar registrar{Command{
    "trigger", "show the area trigger: mode, state, frequency, pulse-form generators and outputs",
    [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("settings", arguments->settings,
                       "settings applied first, in order, e.g. FG_AREATRIGGERMODE=ATM_SOFTWARE");
        return std::function<int()>([&options, arguments] { return runTrigger(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
