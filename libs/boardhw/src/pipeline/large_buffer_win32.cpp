// Large buffers on ordinary pages: Windows gives large pages only to accounts holding the
// lock-pages privilege, which a frame grabber's user does not have by default.
#include "pipeline/large_buffer.h"

#include <cstdlib>

namespace kestrel::board {

void* reserveLargeBuffer(size_t bytes) {
    if (void* block = std::malloc(bytes == 0 ? 1 : bytes))
        return block;
    throw std::bad_alloc();
}

void releaseLargeBuffer(void* block) noexcept {
    std::free(block);
}

} // namespace kestrel::board
