// The stop request shared by the platform's interrupt handlers and the guard's readers. Every
// function here is safe to call from a signal handler or another thread.
#pragma once

namespace kestrel::tool {

// Records a request by signal (the number it exits with is 128 + signal); the number of requests
// since the outermost guard was made.
int askToStop(int signal) noexcept;
void clearStopRequest() noexcept;
// The signal of the first request, 0 when none came.
int stopSignalNumber() noexcept;
// The outermost guard counts 1; false when a guard already lives.
bool enterGuard() noexcept;
// True when the outermost guard is leaving.
bool leaveGuard() noexcept;

// A second request: what the command waits for (the handler says so and returns), or null when it
// may stop at once; then each file in work is handed to remove, and the handler ends the process.
const char* waitingFor() noexcept;
void removeFilesInWork(void (*remove)(const char* path)) noexcept;

} // namespace kestrel::tool
