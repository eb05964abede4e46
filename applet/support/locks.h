// The applet's two lock kinds and their scope guards. The object lock checks its own use, so a
// handler that re-enters the parameter lock or leaves it twice fails loudly instead of deadlocking.
#pragma once

#include <atomic>
#include <cstdint>
#include <stdexcept>

#include "platform/platform.h"

namespace quil::templates::patterns {

// The logic error raised for every misuse of a lock. The exports let it through (and nothing
// else): it marks a programming error, not a condition to report as a code.
class LockUseError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// A lock that refuses misuse: entering it twice without a leave, or leaving it when it is not
// held, raises LockUseError (a std::logic_error). Derived classes supply the three raw primitives.
class GenericLock {
public:
    GenericLock() = default;
    GenericLock(const GenericLock&) = delete;
    GenericLock& operator=(const GenericLock&) = delete;

    // Raises LockUseError "GenericLock object destroyed with lock still held" when the lock
    // is destroyed while entered; correct use never gets there.
    virtual ~GenericLock() noexcept(false);

    // Raw primitives without the use checks.
    virtual void lock() = 0;
    virtual bool tryLock() = 0;
    virtual void unlock() = 0;

    // Takes the lock. When the calling thread already holds it, the underlying lock is given
    // back and LockUseError "GenericLock object got lock but is already marked as locked"
    // is raised: the first entry stays the only one.
    void enter();

    // Gives the lock back; LockUseError "GenericLock::leave() called with lock not held"
    // when it is not entered.
    void leave();

    bool isLocked() const { return locked_.load(std::memory_order_relaxed); }

private:
    void checkNotHeldOnDestruction() const;

    // Written only by the thread that holds the lock; atomic so that a misplaced leave() on
    // another thread reads it without a data race.
    std::atomic<bool> locked_{false};
};

// Base of the scope guards: the lock it guards and whether this guard holds it.
template <typename Lock> class Guard {
public:
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
    virtual ~Guard() noexcept(false) = default;

    bool held() const { return held_; }

protected:
    explicit Guard(Lock* lock) : lock_(lock) {}
    Lock* lock_;
    bool held_ = false;
};

// Enters a GenericLock for the guard's lifetime (through the checked enter()/leave()).
class GenericLockGuard : public Guard<GenericLock> {
public:
    explicit GenericLockGuard(GenericLock& lock);
    ~GenericLockGuard() noexcept(false) override;
};

} // namespace quil::templates::patterns

namespace quil::templates::platform {

// The object lock of an applet: a section the owning thread could take again, behind the checks
// of GenericLock, which turn such a second entry into a logic error.
class CriticalSection : public patterns::GenericLock {
public:
    CriticalSection() = default;
    ~CriticalSection() noexcept(false) override;

    void lock() override;
    bool tryLock() override;
    void unlock() override;

private:
    kestrel::platform::NativeSection section_;
};

class CriticalSectionGuard : public patterns::GenericLockGuard {
public:
    explicit CriticalSectionGuard(CriticalSection& section) : GenericLockGuard(section) {}
};

// A mutex that the thread holding it may take again; the hold count follows the nesting. Not a
// GenericLock: re-entry is its purpose.
class RecursiveMutex {
public:
    RecursiveMutex() = default;
    RecursiveMutex(const RecursiveMutex&) = delete;
    RecursiveMutex& operator=(const RecursiveMutex&) = delete;
    virtual ~RecursiveMutex() = default;

    // Waits without time-out, then counts the hold.
    void lock();
    // Releases one hold; a thread that does not hold the mutex changes nothing.
    void unlock();

    // Holds across all threads (only meaningful to the holder, or when nobody holds it).
    uint32_t holdCount() const { return holdCount_.load(std::memory_order_relaxed); }

private:
    kestrel::platform::NativeMutex mutex_;
    std::atomic<uint32_t> holdCount_{0};
};

class RecursiveMutexGuard : public patterns::Guard<RecursiveMutex> {
public:
    explicit RecursiveMutexGuard(RecursiveMutex& mutex);
    ~RecursiveMutexGuard() noexcept(false) override;
};

} // namespace quil::templates::platform
