// The lock classes: use checks with their exact texts, re-entry rules, hold counts.
#include "support/locks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

using quil::templates::patterns::GenericLock;
using quil::templates::patterns::GenericLockGuard;
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

bool otherThreadCanTake(GenericLock& lock) {
    bool acquired = false;
    std::thread other([&] {
        acquired = lock.tryLock();
        if (acquired)
            lock.unlock();
    });
    other.join();
    return acquired;
}

bool otherThreadCanTake(RecursiveMutex& mutex) {
    std::atomic<bool> acquired{false};
    std::thread other([&] {
        RecursiveMutexGuard guard(mutex);
        acquired = true;
    });
    other.join();
    return acquired;
}

} // namespace

TEST(GenericLock, SecondEnterOnOneThreadRaisesAndKeepsTheFirstEntry) {
    CriticalSection section;
    section.enter();
    EXPECT_EQ(logicErrorText([&] { section.enter(); }),
              "GenericLock object got lock but is already marked as locked");
    EXPECT_TRUE(section.isLocked());
    EXPECT_FALSE(otherThreadCanTake(section));
    section.leave();
    // Held exactly once: one leave frees it for everybody.
    EXPECT_FALSE(section.isLocked());
    EXPECT_TRUE(otherThreadCanTake(section));
}

TEST(GenericLock, LeaveWithoutEnterRaises) {
    CriticalSection section;
    EXPECT_EQ(logicErrorText([&] { section.leave(); }), "GenericLock::leave() called with lock not held");
    section.enter();
    section.leave();
    EXPECT_EQ(logicErrorText([&] { section.leave(); }), "GenericLock::leave() called with lock not held");
}

TEST(GenericLock, DestructionWhileEnteredRaises) {
    auto destroyHeld = [] {
        CriticalSection section;
        section.enter();
    };
    EXPECT_EQ(logicErrorText(destroyHeld), "GenericLock object destroyed with lock still held");
}

TEST(GenericLock, DestructionAfterLeaveIsQuiet) {
    EXPECT_NO_THROW({
        CriticalSection section;
        section.enter();
        section.leave();
    });
}

TEST(CriticalSectionGuard, HoldsTheSectionForItsScope) {
    CriticalSection section;
    {
        CriticalSectionGuard guard(section);
        EXPECT_TRUE(guard.held());
        EXPECT_TRUE(section.isLocked());
        EXPECT_FALSE(otherThreadCanTake(section));
    }
    EXPECT_FALSE(section.isLocked());
    EXPECT_TRUE(otherThreadCanTake(section));
}

TEST(CriticalSectionGuard, NestedGuardOnOneThreadRaisesAndOuterGuardStillReleases) {
    CriticalSection section;
    {
        CriticalSectionGuard outer(section);
        EXPECT_EQ(logicErrorText([&] { CriticalSectionGuard inner(section); }),
                  "GenericLock object got lock but is already marked as locked");
        EXPECT_TRUE(section.isLocked());
    }
    EXPECT_FALSE(section.isLocked());
    EXPECT_TRUE(otherThreadCanTake(section));
}

TEST(GenericLockGuard, WorksThroughTheAbstractInterface) {
    CriticalSection section;
    GenericLock& lock = section;
    {
        GenericLockGuard guard(lock);
        EXPECT_TRUE(lock.isLocked());
    }
    EXPECT_FALSE(lock.isLocked());
}

TEST(RecursiveMutex, NestedLocksCountAndFreeTheMutexAtZero) {
    RecursiveMutex mutex;
    mutex.lock();
    mutex.lock();
    EXPECT_EQ(mutex.holdCount(), 2u);
    mutex.unlock();
    EXPECT_EQ(mutex.holdCount(), 1u);
    mutex.unlock();
    EXPECT_EQ(mutex.holdCount(), 0u);
    EXPECT_TRUE(otherThreadCanTake(mutex));
    EXPECT_EQ(mutex.holdCount(), 0u);
}

TEST(RecursiveMutex, UnlockByAThreadThatDoesNotHoldItChangesNothing) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the thread sanitizer reports the deliberate misuse itself";
#endif
    RecursiveMutex mutex;
    mutex.unlock();
    EXPECT_EQ(mutex.holdCount(), 0u);
    mutex.lock();
    std::thread other([&] { mutex.unlock(); });
    other.join();
    EXPECT_EQ(mutex.holdCount(), 1u);
    mutex.unlock();
    EXPECT_EQ(mutex.holdCount(), 0u);
}

TEST(RecursiveMutexGuard, NestsOnOneThread) {
    RecursiveMutex mutex;
    {
        RecursiveMutexGuard outer(mutex);
        RecursiveMutexGuard inner(mutex);
        EXPECT_TRUE(inner.held());
        EXPECT_EQ(mutex.holdCount(), 2u);
    }
    EXPECT_EQ(mutex.holdCount(), 0u);
}
