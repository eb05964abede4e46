// The flag the signal handler sets and the commands read.
#include "interrupt.h"

#include <atomic>

namespace kestrel::tool {
namespace {

std::atomic<bool> stopAsked{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void askToStop(int) {
    stopAsked.store(true);
}

} // namespace

InterruptGuard::InterruptGuard() {
    stopAsked.store(false);
    struct sigaction action {};
    action.sa_handler = askToStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
}

InterruptGuard::~InterruptGuard() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
}

bool InterruptGuard::requested() {
    return stopAsked.load();
}

} // namespace kestrel::tool
