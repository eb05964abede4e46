// The lookup-table memory: range checks and whole-transfer refusal.
#include "lut_memory.h"

#include "boardhw.h"

#include <algorithm>

namespace kestrel::boardhw {

int32_t LutMemory::write(uint32_t first, const uint32_t* entries, uint32_t count) {
    if (!inside(first, count) || (count > 0 && entries == nullptr))
        return BOARD_ERR_INVALID_ARGUMENT;
    // A transfer is checked before any entry changes: the pipeline never sees half a table.
    if (std::any_of(entries, entries + count, [](uint32_t v) { return v > kMaxEntry; }))
        return BOARD_ERR_OUT_OF_RANGE;
    std::copy(entries, entries + count, entries_.begin() + first);
    return BOARD_OK;
}

int32_t LutMemory::read(uint32_t first, uint32_t* entries, uint32_t count) const {
    if (!inside(first, count) || (count > 0 && entries == nullptr))
        return BOARD_ERR_INVALID_ARGUMENT;
    std::copy(entries_.begin() + first, entries_.begin() + first + count, entries);
    return BOARD_OK;
}

} // namespace kestrel::boardhw
