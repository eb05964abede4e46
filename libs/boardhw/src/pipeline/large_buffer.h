// Storage for frames and coefficient images: blocks of megabytes the pipeline streams through.
#pragma once

#include "pipeline/block_allocator.h"

#include <cstddef>
#include <vector>

namespace kestrel::board {

// A block of `bytes`, aligned for any element; std::bad_alloc when there is no memory. Where the
// system has large pages, blocks of several megabytes are placed on them: a frame line touches
// a new small page in every image it reads, and the address translations they take cost the
// pipeline a few percent. Released with releaseLargeBuffer.
void* reserveLargeBuffer(size_t bytes);
void releaseLargeBuffer(void* block) noexcept;

struct LargeBlocks {
    static void* reserve(size_t bytes) { return reserveLargeBuffer(bytes); }
    static void release(void* block) noexcept { releaseLargeBuffer(block); }
};

// std::vector's allocator for such storage.
template <class T> using LargeBufferAllocator = BlockAllocator<T, LargeBlocks>;
template <class T> using LargeBuffer = std::vector<T, LargeBufferAllocator<T>>;

} // namespace kestrel::board
