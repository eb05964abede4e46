// Loads the part of a design image file that the reader needs.
#include "image_file.h"

#include "image_format.h"

#include "read_only_file.h"

namespace kestrel::designrt {

std::optional<ImageFileBytes> loadImageFile(const char* path) {
    if (path == nullptr)
        return std::nullopt;
    const std::optional<ReadOnlyFile> file = ReadOnlyFile::open(path);
    if (!file)
        return std::nullopt;
    const uint64_t size = file->size();
    if (size < format::kHeaderBytes || size > format::kMaxImageBytes)
        return std::nullopt;

    ImageFileBytes bytes;
    bytes.totalBytes = size;
    bytes.prefix.resize(format::kHeaderBytes);
    if (!file->readAt(bytes.prefix.data(), format::kHeaderBytes, 0))
        return std::nullopt;
    // A region longer than the file leaves just the header, which the reader then refuses.
    const uint32_t checksummed = format::loadU32(bytes.prefix.data() + format::header::kChecksummedBytes);
    if (checksummed > format::kHeaderBytes && checksummed <= size) {
        bytes.prefix.resize(checksummed);
        if (!file->readAt(bytes.prefix.data() + format::kHeaderBytes, checksummed - format::kHeaderBytes,
                          format::kHeaderBytes))
            return std::nullopt;
    }
    return bytes;
}

} // namespace kestrel::designrt
