// Blocks on ordinary pages: Windows gives large pages only to accounts holding the lock-pages
// privilege, which a frame grabber's user does not have by default.
#include "huge_page_block.h"

#include <cstdlib>

namespace kestrel::memory {

void* reserveHugePageBlock(std::size_t bytes) noexcept {
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void releaseHugePageBlock(void* block) noexcept {
    std::free(block);
}

} // namespace kestrel::memory
