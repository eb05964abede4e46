// Table lookup by vector gathers, for processors that have them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel::board {

// True when this processor runs gatherPixels (AVX-512 foundation: 16 lanes per gather).
bool processorGathers();

// Looks up the first n - n % 16 of n values (each masked to 12 bits first) in `table`'s 4096
// entries and stores each entry's low `pixelBytes` (1 or 2) bytes, little endian, at `out` (any
// alignment). Each lane loads four bytes from its entry on, so the table must be followed by an
// element it owns. Returns the count done; the caller looks up the rest. Only on a processor for
// which processorGathers() is true. With `toMemory`, pixels that fill whole 64-byte lines from a
// 64-byte boundary on go straight to memory with non-temporal stores: other threads see them only
// after finishStreamingStores().
size_t gatherPixels(const uint16_t* table, const uint16_t* values, size_t n, uint8_t* out, size_t pixelBytes,
                    bool toMemory);

// Puts the non-temporal stores this thread made so far before any store it makes next.
void finishStreamingStores();

} // namespace kestrel::board
