// Large buffers on transparent huge pages.
#include "pipeline/large_buffer.h"

#include <sys/mman.h>

#include <cstdlib>

namespace kestrel::board {

namespace {

constexpr size_t kHugePageBytes = size_t{2} << 20;
// Blocks are rounded up to whole huge pages; from this size on, that adds at most a quarter.
constexpr size_t kSmallestHugeBlock = 4 * kHugePageBytes;

} // namespace

void* reserveLargeBuffer(size_t bytes) {
    if (bytes < kSmallestHugeBlock) {
        if (void* block = std::malloc(bytes == 0 ? 1 : bytes))
            return block;
        throw std::bad_alloc();
    }
    // Whole huge pages, so the kernel can back every part of the block with them.
    const size_t rounded = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    void* block = nullptr;
    if (rounded < bytes || posix_memalign(&block, kHugePageBytes, rounded) != 0)
        throw std::bad_alloc();
    // Advice only: where huge pages are off, the block simply stays on small ones.
    madvise(block, rounded, MADV_HUGEPAGE);
    return block;
}

void releaseLargeBuffer(void* block) noexcept {
    std::free(block);
}

} // namespace kestrel::board
