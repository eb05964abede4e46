// SIGINT, SIGTERM, SIGHUP and SIGPIPE ask for a stop while an InterruptGuard lives. A closed pipe
// asks too: the command's next write fails with EPIPE and names it, instead of the process dying
// with its temporary files in place.
#include "interrupt.h"

#if !defined(_WIN32)

#include "interrupt_flag.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace kestrel::tool {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

void say(const char* text) {
    const ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

void removeFile(const char* path) {
    unlink(path);
}

// A repeat this soon is the same request delivered twice (timeout(1) signals the command and then
// its process group), not a user who presses Ctrl-C again.
constexpr int64_t kRepeatAfterNs = 250'000'000;
std::atomic<int64_t> firstRequestNs{0};

int64_t nowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Only async-signal-safe calls: atomics, clock_gettime, write, unlink, _exit.
extern "C" void onStopSignal(int signal) {
    const int requests = askToStop(signal);
    if (requests == 1)
        firstRequestNs.store(nowNs());
    if (requests < 2 || signal == SIGPIPE || nowNs() - firstRequestNs.load() < kRepeatAfterNs)
        return;
    if (const char* what = waitingFor()) {
        say("kestrel: waiting for ");
        say(what);
        say("\n");
        return;
    }
    removeFilesInWork(removeFile);
    say("kestrel: stopped at once; the files still being written were removed\n");
    _exit(128 + signal);
}

} // namespace

bool InterruptGuard::outputClosed() {
    return stopSignalNumber() == SIGPIPE;
}

struct InterruptGuard::PreviousHandlers {
    struct sigaction replaced[sizeof kStopSignals / sizeof kStopSignals[0]]{};
};

InterruptGuard::InterruptGuard() {
    if (!enterGuard())
        return;
    previous_ = std::make_unique<PreviousHandlers>();
    clearStopRequest();
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < sizeof kStopSignals / sizeof kStopSignals[0]; ++i)
        sigaction(kStopSignals[i], &action, &previous_->replaced[i]);
}

InterruptGuard::~InterruptGuard() {
    const bool outermost = leaveGuard();
    if (!outermost || !previous_)
        return;
    for (std::size_t i = 0; i < sizeof kStopSignals / sizeof kStopSignals[0]; ++i)
        sigaction(kStopSignals[i], &previous_->replaced[i], nullptr);
}

} // namespace kestrel::tool

#endif // !_WIN32
