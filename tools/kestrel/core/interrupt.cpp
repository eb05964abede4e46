// The stop request the platform's handlers record, and the files a stop at once removes.
#include "interrupt.h"

#include "interrupt_flag.h"

#include <array>
#include <atomic>
#include <cstring>

namespace kestrel::tool {
namespace {

std::atomic<int> requests{0};
std::atomic<int> stopSignal{0};
std::atomic<int> guards{0};
std::atomic<const char*> waitedFor{nullptr};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<const char*>::is_always_lock_free,
              "read and set from a signal handler");

// A slot is free (0), being filled (1) or holds a path the handler may remove (2). The handler
// only reads slots in state 2, so it never sees a path half copied.
constexpr std::size_t kPathBytes = 4096;
struct FileInWork {
    std::atomic<int> state{0};
    char path[kPathBytes] = {};
};
std::array<FileInWork, RemovedOnForcedStop::kMaxFilesInWork> filesInWork;

} // namespace

int askToStop(int signal) noexcept {
    int expected = 0;
    stopSignal.compare_exchange_strong(expected, signal);
    return requests.fetch_add(1) + 1;
}

void clearStopRequest() noexcept {
    requests.store(0);
    stopSignal.store(0);
}

int stopSignalNumber() noexcept {
    return stopSignal.load();
}

bool enterGuard() noexcept {
    return guards.fetch_add(1) == 0;
}

bool leaveGuard() noexcept {
    return guards.fetch_sub(1) == 1;
}

const char* waitingFor() noexcept {
    return waitedFor.load();
}

void removeFilesInWork(void (*remove)(const char* path)) noexcept {
    for (FileInWork& file : filesInWork)
        if (file.state.load() == 2)
            remove(file.path);
}

bool InterruptGuard::requested() {
    return requests.load() != 0;
}

int InterruptGuard::exitCode() {
    const int signal = stopSignal.load();
    return signal != 0 ? 128 + signal : kExitInterrupted;
}

RemovedOnForcedStop::RemovedOnForcedStop(const std::string& path) {
    if (path.size() >= kPathBytes)
        return;
    for (int i = 0; i < kMaxFilesInWork; ++i) {
        int expected = 0;
        if (!filesInWork[size_t(i)].state.compare_exchange_strong(expected, 1))
            continue;
        std::memcpy(filesInWork[size_t(i)].path, path.c_str(), path.size() + 1);
        filesInWork[size_t(i)].state.store(2);
        slot_ = i;
        return;
    }
}

RemovedOnForcedStop::~RemovedOnForcedStop() {
    if (slot_ >= 0)
        filesInWork[size_t(slot_)].state.store(0);
}

StopWaitsFor::StopWaitsFor(const char* what) : previous_(waitedFor.exchange(what)) {}

StopWaitsFor::~StopWaitsFor() {
    waitedFor.store(previous_);
}

} // namespace kestrel::tool
