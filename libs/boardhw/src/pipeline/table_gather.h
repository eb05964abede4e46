// Table lookup by vector gathers, for processors that have them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel::board {

// True when this processor runs gatherPixels (AVX-512 foundation and byte and word instructions:
// 16 lanes per gather).
bool processorGathers();

// Entries each table must have beyond the 4096 of the lookup: a gather loads four bytes from each
// entry on, the 8-bit lookup whole vectors.
inline constexpr size_t kTableSpare16 = 1;
inline constexpr size_t kTableSpare8 = 512;

// The output pixels of the 4096 12-bit values: `pixels16` for either format (an 8-bit pixel in the
// low byte of its entry), `pixels8` the 8-bit ones again, bytes only. Each is followed by the
// spare entries above, which it owns.
struct PixelTables {
    const uint16_t* pixels16;
    const uint8_t* pixels8;
};

// Looks up the first n - n % 16 of n values (each masked to 12 bits first) in `tables` and stores
// each value's pixel of `pixelBytes` (1 or 2) bytes, little endian, at `out` (any alignment).
// Returns the count done; the caller looks up the rest. Only on a processor for which
// processorGathers() is true. With `toMemory`, pixels that fill whole 64-byte lines from a 64-byte
// boundary on go straight to memory with non-temporal stores: other threads see them only after
// finishStreamingStores().
size_t gatherPixels(const PixelTables& tables, const uint16_t* values, size_t n, uint8_t* out,
                    size_t pixelBytes, bool toMemory);

// Puts the non-temporal stores this thread made so far before any store it makes next.
void finishStreamingStores();

} // namespace kestrel::board
