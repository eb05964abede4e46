// kestrel events: the design's event names with their 64-bit masks, the mask of one name, or,
// with --watch, the events as they fire during an acquisition.
#include "command.h"
#include "core/interrupt.h"
#include "core/parameter_view.h"
#include "core/suggest.h"

#include "boardhw.h"
#include "grabhost5.hpp"

#include <chrono>
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace kestrel::tool {
namespace {

struct Arguments {
    std::vector<std::string> names;
    bool watch = false;
    uint64_t count = 0; // 0: until Ctrl-C
    int timeoutSeconds = 0;
};

constexpr uint32_t kWatchBuffers = 4;
constexpr uint32_t kPollMs = 100;

std::string hexMask(uint64_t mask) {
    std::ostringstream text;
    text << "0x" << std::hex << std::setw(16) << std::setfill('0') << mask;
    return text.str();
}

// Every mask bit that has a name, with the applet's name for it.
std::vector<std::pair<uint64_t, std::string>> namedBits(const gh5::Grabber& grabber) {
    std::vector<std::pair<uint64_t, std::string>> bits;
    for (int bit = 0; bit < 64; ++bit) {
        const uint64_t mask = uint64_t{1} << bit;
        if (const char* name = grabber.exports().Fg_getEventName(grabber.record(), mask); name != nullptr)
            bits.emplace_back(mask, name);
    }
    return bits;
}

// The mask of a name; throws naming the applet's code and the likely spelling.
uint64_t maskOf(const gh5::Grabber& grabber, const std::string& name) {
    const uint64_t mask = grabber.exports().Fg_getEventMask(grabber.record(), name.c_str());
    if (mask != 0)
        return mask;
    std::vector<std::string> names;
    for (const auto& [bit, known] : namedBits(grabber))
        names.push_back(known);
    throw std::runtime_error("no event " + name + ": " +
                             codeText(grabber.exports().Fg_getLastErrorNumber(grabber.record())) +
                             didYouMean(name, names));
}

// Acquires into a small ring and prints each event of the names as it arrives.
int watch(Session& session, const Arguments& arguments) {
    gh5::Grabber& grabber = session.grabber();
    const auto bits = namedBits(grabber);
    uint64_t watched = 0;
    for (const std::string& name : arguments.names)
        watched |= maskOf(grabber, name);
    if (arguments.names.empty())
        for (const auto& [mask, name] : bits)
            watched |= mask;

    BoardImageFormat format{};
    if (const int32_t code = Board_GetImageFormat(session.board().device(), &format); code != BOARD_OK)
        return fail("image format: " + codeText(code));
    const uint64_t frameBytes = uint64_t{format.widthPixels} * format.heightLines * (format.bitsPerPixel / 8);
    if (frameBytes == 0)
        return fail("the window is empty");
    const Gh5AppletExports& x = grabber.exports();
    void* fg = grabber.record();
    gh5::Memory memory(grabber, kWatchBuffers, frameBytes);
    if (const int32_t code = x.Fg_AcquireEx(fg, 0, GH5_GRAB_INFINITE, GH5_ACQ_STANDARD, memory.handle());
        code != 0)
        return fail("cannot start acquisition: " + codeText(code));
    const InterruptGuard interruptGuard;

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(arguments.timeoutSeconds);
    uint64_t printed = 0;
    while (!InterruptGuard::requested() && (arguments.count == 0 || printed < arguments.count) &&
           (arguments.timeoutSeconds == 0 || Clock::now() < deadline)) {
        const auto info = grabber.waitEvent(watched, kPollMs);
        if (!info)
            continue;
        for (const auto& [mask, name] : bits) {
            if ((info->mask & mask) == 0 || (arguments.count != 0 && printed == arguments.count))
                continue;
            char time[32];
            std::snprintf(time, sizeof time, "%.6f", static_cast<double>(info->timestampNs) / 1e9);
            std::cout << name << "  " << hexMask(mask) << "  " << time << " s";
            if (info->missed != 0)
                std::cout << "  (" << info->missed << " more folded)";
            std::cout << std::endl; // a watcher reads each line as it comes
            ++printed;
        }
    }
    x.Fg_stopAcquireEx(fg, 0, memory.handle(), GH5_STOP_ASYNC);
    const bool interrupted = InterruptGuard::requested();
    std::cout << printed << (printed == 1 ? " event" : " events") << (interrupted ? ", interrupted" : "")
              << "\n";
    if (arguments.count != 0 && printed < arguments.count && !interrupted)
        return fail("time-out after " + std::to_string(printed) + " of " + std::to_string(arguments.count) +
                    " events");
    return interrupted ? kExitInterrupted : kExitOk;
}

int runEvents(const ToolOptions& options, const Arguments& arguments) {
    if (!arguments.watch && (arguments.count != 0 || arguments.timeoutSeconds != 0))
        throw UsageError("-n and --timeout go with --watch");
    if (!arguments.watch && arguments.names.size() > 1)
        throw UsageError("events takes one name without --watch");
    Session session(options);
    gh5::Grabber& grabber = session.grabber();
    const Gh5AppletExports& exports = grabber.exports();
    if (exports.Fg_getEventMask == nullptr || exports.Fg_getEventName == nullptr)
        return fail("the applet names no events");
    if (arguments.watch)
        return watch(session, arguments);
    if (!arguments.names.empty()) {
        const std::string& name = arguments.names.front();
        std::cout << name << " = " << hexMask(maskOf(grabber, name)) << "\n";
        return kExitOk;
    }
    for (int bit = 0; bit < 64; ++bit) {
        const uint64_t mask = uint64_t{1} << bit;
        const char* name = exports.Fg_getEventName(grabber.record(), mask);
        if (name != nullptr)
            std::cout << std::setw(2) << bit << "  " << hexMask(mask) << "  " << name << "\n";
    }
    return kExitOk;
}

const CommandRegistrar registrar{Command{
    "events", "list the event names with their masks, print one name's mask, or --watch events as they fire",
    [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("names", arguments->names,
                       "event names, e.g. FG_OVERFLOW_CAM0 (--watch: all by default)");
        sub.add_flag("--watch", arguments->watch,
                     "acquire and print each event as it arrives: name, mask, board time");
        sub.add_option("-n,--count", arguments->count,
                       "with --watch: stop after N events (default: at Ctrl-C)");
        sub.add_option("--timeout", arguments->timeoutSeconds, "with --watch: stop after this many seconds")
            ->check(CLI::Range(1, 86400));
        return std::function<int()>([&options, arguments] { return runEvents(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
