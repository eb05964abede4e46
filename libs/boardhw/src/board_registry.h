// The machine's virtual boards and the handles under which they are open.
#pragma once

#include "board.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace kestrel::boardhw {

// A handle is an opaque token, not an address: tokens are never reused, so a closed handle is
// refused for good instead of reaching whatever board was opened later.
class BoardRegistry {
public:
    static constexpr int32_t kBoardCount = 4;

    static BoardRegistry& instance();

    // The new board's handle, or nullptr with error set.
    void* open(int32_t index, int32_t& error);
    int32_t close(void* handle);
    // A reference that keeps the board alive for the caller's call, or null for a bad handle.
    std::shared_ptr<Board> find(void* handle) const;

private:
    mutable std::mutex mutex_;
    std::unordered_map<uintptr_t, std::shared_ptr<Board>> open_;
    std::vector<bool> indexInUse_ = std::vector<bool>(kBoardCount, false);
    uintptr_t nextToken_ = 0x4b310000;
};

} // namespace kestrel::boardhw
