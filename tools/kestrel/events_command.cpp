// kestrel events: the design's event names with their 64-bit masks, or the mask of one name.
#include "command.h"
#include "parameter_view.h"

#include "grabhost5.hpp"

#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

namespace kestrel::tool {
namespace {

struct Arguments {
    std::string name;
};

std::string hexMask(uint64_t mask) {
    std::ostringstream text;
    text << "0x" << std::hex << std::setw(16) << std::setfill('0') << mask;
    return text.str();
}

int runEvents(const ToolOptions& options, const Arguments& arguments) {
    gh5::Board board = gh5::Board::open(options.board);
    gh5::Grabber grabber = gh5::Grabber::create(board, options.applet);
    const Gh5AppletExports& exports = grabber.exports();
    if (exports.Fg_getEventMask == nullptr || exports.Fg_getEventName == nullptr)
        return fail("the applet names no events");
    if (!arguments.name.empty()) {
        const uint64_t mask = exports.Fg_getEventMask(grabber.record(), arguments.name.c_str());
        if (mask == 0)
            return fail("no event " + arguments.name + ": " +
                        codeText(exports.Fg_getLastErrorNumber(grabber.record())));
        std::cout << arguments.name << " = " << hexMask(mask) << "\n";
        return kExitOk;
    }
    // One line per mask bit that has a name: the applet's own name where it gives one.
    for (int bit = 0; bit < 64; ++bit) {
        const uint64_t mask = uint64_t{1} << bit;
        const char* name = exports.Fg_getEventName(grabber.record(), mask);
        if (name != nullptr)
            std::cout << std::setw(2) << bit << "  " << hexMask(mask) << "  " << name << "\n";
    }
    return kExitOk;
}

const CommandRegistrar registrar{
    Command{"events", "list the event names with their masks, or print the mask of one event",
            [](CLI::App& sub, const ToolOptions& options) {
                auto arguments = std::make_shared<Arguments>();
                sub.add_option("name", arguments->name, "event name, e.g. FG_OVERFLOW_CAM0");
                return std::function<int()>([&options, arguments] { return runEvents(options, *arguments); });
            }}};

} // namespace
} // namespace kestrel::tool
