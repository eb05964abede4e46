// Validates the bytes of a design image and decodes its tables.
#ifndef KESTREL_DESIGNRT_IMAGE_READER_H
#define KESTREL_DESIGNRT_IMAGE_READER_H

#include "design_tables.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kestrel::designrt {

struct ReadOptions {
    // Compare the stored CRC with the bytes; structure and bounds are checked in any case.
    bool verifyChecksum = true;
};

// prefix: the image from its first byte on, holding at least the checksummed region (the filler
// after it may be missing); totalBytes: the length of the whole image. Never reads outside
// prefix. Returns nothing for a truncated, corrupt or foreign image.
std::optional<DesignTables> readDesignTables(std::span<const std::byte> prefix, uint64_t totalBytes,
                                             const ReadOptions& options);

} // namespace kestrel::designrt

#endif
