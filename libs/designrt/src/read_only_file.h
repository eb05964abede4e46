// A regular file opened for reading at given offsets: the one thing the image loader needs from
// the system (read_only_file_posix.cpp, read_only_file_win32.cpp).
#ifndef KESTREL_DESIGNRT_READ_ONLY_FILE_H
#define KESTREL_DESIGNRT_READ_ONLY_FILE_H

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kestrel::designrt {

class ReadOnlyFile {
public:
    // Nothing for a missing or unreadable path and for anything but a regular file.
    static std::optional<ReadOnlyFile> open(const char* path);

    ReadOnlyFile(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile& operator=(ReadOnlyFile&&) = delete;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile();

    // Length of the file when it was opened.
    uint64_t size() const { return size_; }

    // Reads exactly `count` bytes at `offset`; false when the file ends or a read fails first.
    bool readAt(std::byte* out, std::size_t count, uint64_t offset) const;

private:
    ReadOnlyFile(intptr_t native, uint64_t size) : native_(native), size_(size) {}
    // The descriptor on POSIX, the HANDLE on Windows; -1 (INVALID_HANDLE_VALUE) for none.
    intptr_t native_;
    uint64_t size_;
};

} // namespace kestrel::designrt

#endif
