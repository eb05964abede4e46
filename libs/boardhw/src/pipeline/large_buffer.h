// Storage for frames and coefficient images: blocks of megabytes the pipeline streams through.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace kestrel::board {

// A block of `bytes`, aligned for any element; std::bad_alloc when there is no memory. Where the
// system has large pages, blocks of several megabytes are placed on them: a frame line touches
// a new small page in every image it reads, and the address translations they take cost the
// pipeline a few percent. Released with releaseLargeBuffer.
void* reserveLargeBuffer(size_t bytes);
void releaseLargeBuffer(void* block) noexcept;

// std::vector's allocator for such storage.
template <class T> struct LargeBufferAllocator {
    using value_type = T;
    LargeBufferAllocator() = default;
    template <class U> LargeBufferAllocator(const LargeBufferAllocator<U>&) noexcept {}
    T* allocate(size_t n) {
        if (n > size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(reserveLargeBuffer(n * sizeof(T)));
    }
    void deallocate(T* block, size_t) noexcept { releaseLargeBuffer(block); }
    friend bool operator==(const LargeBufferAllocator&, const LargeBufferAllocator&) { return true; }
};

template <class T> using LargeBuffer = std::vector<T, LargeBufferAllocator<T>>;

} // namespace kestrel::board
