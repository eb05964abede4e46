// Blocks on transparent huge pages where they are large.
#include "huge_page_block.h"

#include <sys/mman.h>

#include <cstdlib>

namespace kestrel::memory {

namespace {

constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
// Blocks are rounded up to whole huge pages; from this size on, that adds at most a quarter.
constexpr std::size_t kSmallestHugeBlock = 4 * kHugePageBytes;

} // namespace

void* reserveHugePageBlock(std::size_t bytes) noexcept {
    if (bytes < kSmallestHugeBlock)
        return std::malloc(bytes == 0 ? 1 : bytes);
    // Whole huge pages, so the kernel can back every part of the block with them.
    const std::size_t rounded = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    void* block = nullptr;
    if (rounded < bytes || posix_memalign(&block, kHugePageBytes, rounded) != 0)
        return nullptr;
    // Advice only: where huge pages are off, the block simply stays on small ones.
    madvise(block, rounded, MADV_HUGEPAGE);
    return block;
}

void releaseHugePageBlock(void* block) noexcept {
    std::free(block);
}

} // namespace kestrel::memory
