// The lock classes' use checks, with their exact texts, and the recursive mutex's hold count.
#include "support/locks.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

using quil::templates::platform::CriticalSection;
using quil::templates::platform::CriticalSectionGuard;
using quil::templates::platform::RecursiveMutex;
using quil::templates::platform::RecursiveMutexGuard;

namespace {

std::string logicErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::logic_error& error) {
        return error.what();
    }
    return "no logic error";
}

} // namespace

TEST(Locks, MisuseRaisesAndNestingCounts) {
    CriticalSection section;
    EXPECT_EQ(logicErrorText([&] { section.leave(); }), "GenericLock::leave() called with lock not held");
    {
        CriticalSectionGuard outer(section);
        EXPECT_EQ(logicErrorText([&] { CriticalSectionGuard inner(section); }),
                  "GenericLock object got lock but is already marked as locked");
        EXPECT_TRUE(section.isLocked());
    }
    EXPECT_FALSE(section.isLocked()) << "one release frees it";
    EXPECT_EQ(logicErrorText([] {
                  CriticalSection held;
                  held.enter();
              }),
              "GenericLock object destroyed with lock still held");
    RecursiveMutex mutex;
    mutex.unlock();
    {
        RecursiveMutexGuard outer(mutex);
        RecursiveMutexGuard inner(mutex);
        EXPECT_EQ(mutex.holdCount(), 2u);
#if !defined(__SANITIZE_THREAD__) // the thread sanitizer reports the deliberate misuse itself
        std::thread([&] { mutex.unlock(); }).join();
        EXPECT_EQ(mutex.holdCount(), 2u) << "only the owner unlocks";
#endif
    }
    EXPECT_EQ(mutex.holdCount(), 0u);
}
