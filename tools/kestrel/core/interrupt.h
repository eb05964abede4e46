// Ctrl-C for commands that acquire until told to stop: the signal only asks, and the command ends
// its work cleanly (files finished or removed, a summary printed) before it exits.
#pragma once

#include <csignal>

namespace kestrel::tool {

// SIGINT and SIGTERM ask for a stop while an object of this type lives; the handlers that were
// there before come back afterwards.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // Whether a stop was asked for since this guard was made.
    static bool requested();

private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

// 128 + SIGINT, as shells report a command that Ctrl-C ended.
constexpr int kExitInterrupted = 130;

} // namespace kestrel::tool
