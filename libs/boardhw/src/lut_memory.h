// The design's lookup-table memory: 4096 entries of 12 bits.
#pragma once

#include <array>
#include <cstdint>

namespace kestrel::boardhw {

class LutMemory {
public:
    static constexpr uint32_t kEntries = 4096;
    static constexpr uint32_t kMaxEntry = 4095;

    // Entries first .. first + count - 1. Codes: BOARD_ERR_INVALID_ARGUMENT for a range outside the
    // memory or a null pointer with count > 0, BOARD_ERR_OUT_OF_RANGE (nothing written) for an entry
    // above kMaxEntry.
    int32_t write(uint32_t first, const uint32_t* entries, uint32_t count);
    int32_t read(uint32_t first, uint32_t* entries, uint32_t count) const;

    uint32_t at(uint32_t index) const { return entries_.at(index); }
    void reset() { entries_.fill(0); }

private:
    static bool inside(uint32_t first, uint32_t count) {
        return first <= kEntries && count <= kEntries - first;
    }

    std::array<uint32_t, kEntries> entries_{};
};

} // namespace kestrel::boardhw
