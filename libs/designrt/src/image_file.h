// Loads the part of a design image file that the reader needs.
#ifndef KESTREL_DESIGNRT_IMAGE_FILE_H
#define KESTREL_DESIGNRT_IMAGE_FILE_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kestrel::designrt {

struct ImageFileBytes {
    std::vector<std::byte> prefix; // the header and the checksummed region it names
    uint64_t totalBytes = 0;       // length of the file
};

// The filler after the tables is never read: only its length matters. Returns nothing for a
// missing or unreadable path, anything but a regular file, or a file too short or too long to be
// an image; what is returned may still be corrupt.
std::optional<ImageFileBytes> loadImageFile(const char* path);

} // namespace kestrel::designrt

#endif
