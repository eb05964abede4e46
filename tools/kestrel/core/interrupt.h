// Stopping a command cleanly: a stop signal (Ctrl-C, a termination request, a hang-up, a closed
// pipe) only asks, and the command ends its work (files finished or removed, a summary printed)
// before it exits. A second request while it finishes stops at once, after removing the files
// that were still being made.
#pragma once

#include <memory>
#include <string>

namespace kestrel::tool {

// Stop requests are caught while an object of this type lives; the handlers that were there
// before come back afterwards. The tool makes one before anything else, so that no temporary file
// exists without one; guards made inside it add nothing. How requests arrive is the platform's:
// signals on POSIX, the console control handler on Windows.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // Whether a stop was asked for since the outermost guard was made.
    static bool requested();
    // 128 + the number of the signal that asked (130 for Ctrl-C), as shells report it.
    static int exitCode();
    // Whether the request came from standard output's reader going away (a closed pipe): what the
    // command would print there is lost, so its summary goes to standard error.
    static bool outputClosed();

private:
    // What the platform's handler replaced, put back by the destructor.
    struct PreviousHandlers;
    std::unique_ptr<PreviousHandlers> previous_;
};

// A file that a stop at once removes while this object lives: a frame's .part file, a temporary
// copy, a configuration written beside its final name. At most kMaxFilesInWork at a time; more
// are made but not registered.
class RemovedOnForcedStop {
public:
    explicit RemovedOnForcedStop(const std::string& path);
    ~RemovedOnForcedStop();
    RemovedOnForcedStop(const RemovedOnForcedStop&) = delete;
    RemovedOnForcedStop& operator=(const RemovedOnForcedStop&) = delete;

    static constexpr int kMaxFilesInWork = 64;

private:
    int slot_ = -1;
};

// While an object of this type lives, a second request does not stop at once: what the command
// waits for cannot be cut short without leaving files behind (the applet's temporary coefficient
// files). The request is answered with "kestrel: waiting for <what>".
class StopWaitsFor {
public:
    explicit StopWaitsFor(const char* what);
    ~StopWaitsFor();
    StopWaitsFor(const StopWaitsFor&) = delete;
    StopWaitsFor& operator=(const StopWaitsFor&) = delete;

private:
    const char* previous_;
};

// 128 + SIGINT, as shells report a command that Ctrl-C ended.
constexpr int kExitInterrupted = 130;

} // namespace kestrel::tool
