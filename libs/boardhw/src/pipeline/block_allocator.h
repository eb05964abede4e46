// std::vector's allocator over a kind of storage block.
#pragma once

#include <cstddef>
#include <new>

namespace kestrel::board {

// `Blocks` provides static reserve(bytes), which throws std::bad_alloc when it cannot, and
// release(block) for what reserve gave. The element count is checked here, once for every kind.
template <class T, class Blocks> struct BlockAllocator {
    using value_type = T;

    BlockAllocator() = default;
    template <class U> BlockAllocator(const BlockAllocator<U, Blocks>&) noexcept {}

    T* allocate(size_t n) {
        if (n > size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(Blocks::reserve(n * sizeof(T)));
    }
    void deallocate(T* block, size_t) noexcept { Blocks::release(block); }

    friend bool operator==(const BlockAllocator&, const BlockAllocator&) { return true; }
};

} // namespace kestrel::board
