// Output format: 12-bit values become the 8- or 16-bit pixels the host receives.
#pragma once

#include "pipeline/frame.h"
#include "pipeline/lut.h"
#include "pipeline/table_gather.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kestrel::board {

enum class OutputFormat {
    Gray8,             // v >> 4
    Gray16,            // v, right aligned
    Gray16LeftAligned, // v << 4
};

constexpr size_t bytesPerPixel(OutputFormat format) {
    return format == OutputFormat::Gray8 ? 1 : 2;
}

// 16-bit pixels are written in the host's byte order (little endian), rows packed.

// Whole-frame formatting, written for clarity. `out` holds at least pixelCount x bytesPerPixel
// bytes; std::invalid_argument otherwise.
void writeOutput(const Frame12& image, OutputFormat format, std::span<std::byte> out);

// How a line of output pixels is stored. A frame of many megabytes leaves the caches before
// anyone reads it, and a cached store first reads each line it writes to from memory: ToMemory
// writes whole lines straight to memory where it can, and the writer calls
// OutputTable::finishWrites() before another thread may read them.
enum class OutputStores { Cached, ToMemory };

// The last two stages fused for streaming: one table maps a 12-bit value through the lookup
// table straight to its output pixel, so each pixel costs one table load, sixteen at a time by
// a gather where the processor has them.
class OutputTable {
public:
    OutputTable(const Lut& lut, OutputFormat format);

    OutputFormat format() const { return format_; }

    // n 12-bit values into n output pixels at `out` (n x bytesPerPixel bytes, any alignment).
    void writeLine(const uint16_t* values, size_t n, std::byte* out,
                   OutputStores stores = OutputStores::Cached) const;
    // Makes the lines written ToMemory so far visible before anything this thread stores next.
    static void finishWrites();

private:
    OutputFormat format_;
    bool gathers_;
    // The vector lookups load more than one entry from any entry on, hence the spare entries.
    std::array<uint8_t, kLutEntries + kTableSpare8> pixels8_{};
    std::array<uint16_t, kLutEntries + kTableSpare16> pixels16_{};
};

} // namespace kestrel::board
