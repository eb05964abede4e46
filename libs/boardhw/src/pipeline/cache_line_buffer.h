// Storage one thread writes while other threads write theirs.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace kestrel::board {

// Processors keep their caches coherent a line at a time, so two threads that write the same line
// take it from each other at every write, even when they never touch the same bytes. Measured on
// the two-thread pipeline: where the heap had put one thread's line buffer next to the other's,
// a frame took 9 to 10 ms instead of 6.
inline constexpr size_t kCacheLineBytes = 64;

// An allocator whose blocks start on a cache line and end on one: no other block shares a line
// with them.
template <class T> struct CacheLineAllocator {
    using value_type = T;

    CacheLineAllocator() = default;
    template <class U> CacheLineAllocator(const CacheLineAllocator<U>&) noexcept {}

    T* allocate(size_t n) {
        if (n > (size_t(-1) - kCacheLineBytes) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(::operator new (wholeLines(n), std::align_val_t{kCacheLineBytes}));
    }
    // The unsized form: clang declares the sized aligned one only with -fsized-deallocation.
    void deallocate(T* block, size_t) noexcept {
        ::operator delete (block, std::align_val_t{kCacheLineBytes});
    }

    friend bool operator==(const CacheLineAllocator&, const CacheLineAllocator&) { return true; }

private:
    static size_t wholeLines(size_t n) {
        return (n * sizeof(T) + kCacheLineBytes - 1) / kCacheLineBytes * kCacheLineBytes;
    }
};

template <class T> using CacheLineBuffer = std::vector<T, CacheLineAllocator<T>>;

} // namespace kestrel::board
