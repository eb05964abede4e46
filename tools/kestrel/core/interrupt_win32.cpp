// Ctrl-C, Ctrl-Break and the console's close, log-off and shut-down events ask for a stop while an
// InterruptGuard lives, through the console control handler. A closed pipe is no event here: the
// command's next write fails and names it.
#include "interrupt.h"

#if defined(_WIN32)

#include "interrupt_flag.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace kestrel::tool {
namespace {

// The numbers a POSIX shell would report: 128 + 2 for an interrupt, 128 + 15 for a termination.
constexpr int kInterruptSignal = 2;
constexpr int kTerminateSignal = 15;

void say(const char* text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

void removeFile(const char* path) {
    DeleteFileA(path);
}

// A repeat this soon is the same request delivered twice, not a user who presses Ctrl-C again.
constexpr uint64_t kRepeatAfterMs = 250;
std::atomic<uint64_t> firstRequestMs{0};

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI onConsoleEvent(DWORD event) {
    const bool closing =
        event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
    const int signal = closing ? kTerminateSignal : kInterruptSignal;
    const int requests = askToStop(signal);
    if (requests == 1)
        firstRequestMs.store(GetTickCount64());
    if (requests >= 2 && GetTickCount64() - firstRequestMs.load() >= kRepeatAfterMs) {
        if (const char* what = waitingFor()) {
            say("kestrel: waiting for ");
            say(what);
            say("\n");
            return TRUE;
        }
        removeFilesInWork(removeFile);
        say("kestrel: stopped at once; the files still being written were removed\n");
        std::_Exit(128 + signal);
    }
    // The system ends the process as soon as the handler of a closing console returns; waiting
    // here lets the command finish its files and exit on its own within the system's grace time.
    if (closing)
        Sleep(INFINITE);
    return TRUE;
}

} // namespace

bool InterruptGuard::outputClosed() {
    return false;
}

// The handler is added to the console's list and removed again; nothing else to put back.
struct InterruptGuard::PreviousHandlers {};

InterruptGuard::InterruptGuard() {
    if (!enterGuard())
        return;
    previous_ = std::make_unique<PreviousHandlers>();
    clearStopRequest();
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

InterruptGuard::~InterruptGuard() {
    const bool outermost = leaveGuard();
    if (!outermost || !previous_)
        return;
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}

} // namespace kestrel::tool

#endif // _WIN32
