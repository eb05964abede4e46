// Storage for frames and coefficient images: blocks of megabytes the pipeline streams through.
#pragma once

#include "huge_page_block.h"
#include "pipeline/block_allocator.h"

#include <cstddef>
#include <new>
#include <vector>

namespace kestrel::board {

// A block of `bytes` on huge pages where it is large (see reserveHugePageBlock); std::bad_alloc
// when there is no memory. Released with releaseLargeBuffer.
inline void* reserveLargeBuffer(size_t bytes) {
    if (void* block = memory::reserveHugePageBlock(bytes))
        return block;
    throw std::bad_alloc();
}
inline void releaseLargeBuffer(void* block) noexcept {
    memory::releaseHugePageBlock(block);
}

struct LargeBlocks {
    static void* reserve(size_t bytes) { return reserveLargeBuffer(bytes); }
    static void release(void* block) noexcept { releaseLargeBuffer(block); }
};

// std::vector's allocator for such storage.
template <class T> using LargeBufferAllocator = BlockAllocator<T, LargeBlocks>;
template <class T> using LargeBuffer = std::vector<T, LargeBufferAllocator<T>>;

} // namespace kestrel::board
