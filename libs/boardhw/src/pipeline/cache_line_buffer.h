// Storage one thread writes while other threads write theirs.
#pragma once

#include "pipeline/block_allocator.h"

#include <cstddef>
#include <new>
#include <vector>

namespace kestrel::board {

// Processors keep their caches coherent a line at a time, so two threads that write the same line
// take it from each other at every write, even when they never touch the same bytes. Measured on
// the two-thread pipeline: where the heap had put one thread's line buffer next to the other's,
// a frame took 9 to 10 ms instead of 6.
inline constexpr size_t kCacheLineBytes = 64;

// Blocks that start on a cache line and end on one: no other block shares a line with them.
struct CacheLineBlocks {
    static void* reserve(size_t bytes) {
        if (bytes > size_t(-1) - kCacheLineBytes)
            throw std::bad_array_new_length();
        const size_t wholeLines = (bytes + kCacheLineBytes - 1) / kCacheLineBytes * kCacheLineBytes;
        return ::operator new (wholeLines, std::align_val_t{kCacheLineBytes});
    }
    // The unsized form: clang declares the sized aligned one only with -fsized-deallocation.
    static void release(void* block) noexcept {
        ::operator delete (block, std::align_val_t{kCacheLineBytes});
    }
};

template <class T> using CacheLineAllocator = BlockAllocator<T, CacheLineBlocks>;
template <class T> using CacheLineBuffer = std::vector<T, CacheLineAllocator<T>>;

} // namespace kestrel::board
