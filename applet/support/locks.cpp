// Lock use checks and the two lock kinds over the platform mutex.
#include "support/locks.h"

namespace quil::templates::patterns {

GenericLock::~GenericLock() noexcept(false) {
    checkNotHeldOnDestruction();
}

void GenericLock::checkNotHeldOnDestruction() const {
    if (isLocked())
        throw LockUseError("GenericLock object destroyed with lock still held");
}

void GenericLock::enter() {
    lock();
    // Only the holder can see the flag set right after taking the lock: the underlying lock lets
    // its owner in again, so this is a second entry by the same thread.
    if (locked_.load(std::memory_order_relaxed)) {
        unlock();
        throw LockUseError("GenericLock object got lock but is already marked as locked");
    }
    locked_.store(true, std::memory_order_relaxed);
}

void GenericLock::leave() {
    if (!locked_.load(std::memory_order_relaxed))
        throw LockUseError("GenericLock::leave() called with lock not held");
    locked_.store(false, std::memory_order_relaxed);
    unlock();
}

GenericLockGuard::GenericLockGuard(GenericLock& lock) : Guard(&lock) {
    lock_->enter();
    held_ = true;
}

GenericLockGuard::~GenericLockGuard() noexcept(false) {
    if (held_) {
        held_ = false;
        lock_->leave();
    }
}

} // namespace quil::templates::patterns

namespace quil::templates::platform {

// A section still entered is given back before it is destroyed (destroying a held mutex is
// undefined here); the base destructor then reports the misuse.
CriticalSection::~CriticalSection() noexcept(false) {
    if (isLocked())
        section_.unlock();
}

void CriticalSection::lock() {
    section_.lock();
}

bool CriticalSection::tryLock() {
    return section_.tryLock();
}

void CriticalSection::unlock() {
    section_.unlock();
}

void RecursiveMutex::lock() {
    mutex_.lock();
    holdCount_.fetch_add(1, std::memory_order_relaxed);
}

void RecursiveMutex::unlock() {
    if (mutex_.unlock())
        holdCount_.fetch_sub(1, std::memory_order_relaxed);
}

RecursiveMutexGuard::RecursiveMutexGuard(RecursiveMutex& mutex) : Guard(&mutex) {
    lock_->lock();
    held_ = true;
}

RecursiveMutexGuard::~RecursiveMutexGuard() noexcept(false) {
    if (held_) {
        held_ = false;
        lock_->unlock();
    }
}

} // namespace quil::templates::platform
