// Opening and closing the virtual boards.
#include "board_registry.h"

#include <new>

namespace kestrel::boardhw {

BoardRegistry& BoardRegistry::instance() {
    static BoardRegistry registry;
    return registry;
}

void* BoardRegistry::open(int32_t index, int32_t& error) {
    if (index < 0 || index >= kBoardCount) {
        error = BOARD_ERR_NO_SUCH_BOARD;
        return nullptr;
    }
    try {
        auto board = std::make_shared<Board>(index);
        std::lock_guard lock(mutex_);
        if (indexInUse_[static_cast<std::size_t>(index)]) {
            error = BOARD_ERR_BOARD_IN_USE;
            return nullptr;
        }
        const uintptr_t token = nextToken_;
        nextToken_ += 0x10;
        open_.emplace(token, std::move(board));
        indexInUse_[static_cast<std::size_t>(index)] = true;
        error = BOARD_OK;
        return reinterpret_cast<void*>(token);
    } catch (const std::bad_alloc&) {
        error = BOARD_ERR_OUT_OF_MEMORY;
        return nullptr;
    }
}

int32_t BoardRegistry::close(void* handle) {
    std::shared_ptr<Board> board;
    {
        std::lock_guard lock(mutex_);
        const auto it = open_.find(reinterpret_cast<uintptr_t>(handle));
        if (it == open_.end())
            return BOARD_ERR_INVALID_HANDLE;
        board = std::move(it->second);
        open_.erase(it);
        indexInUse_[static_cast<std::size_t>(board->index())] = false;
    }
    // The board itself goes when the last call still using it returns.
    return BOARD_OK;
}

std::shared_ptr<Board> BoardRegistry::find(void* handle) const {
    std::lock_guard lock(mutex_);
    const auto it = open_.find(reinterpret_cast<uintptr_t>(handle));
    return it == open_.end() ? nullptr : it->second;
}

} // namespace kestrel::boardhw
