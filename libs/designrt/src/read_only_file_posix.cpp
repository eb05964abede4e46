// Reading a design image file with open, fstat and pread.
#include "read_only_file.h"

#if !defined(_WIN32)

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::designrt {

std::optional<ReadOnlyFile> ReadOnlyFile::open(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    return ReadOnlyFile(fd, static_cast<uint64_t>(info.st_size));
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept : native_(other.native_), size_(other.size_) {
    other.native_ = -1;
}

ReadOnlyFile::~ReadOnlyFile() {
    if (native_ >= 0)
        ::close(static_cast<int>(native_));
}

bool ReadOnlyFile::readAt(std::byte* out, std::size_t count, uint64_t offset) const {
    while (count > 0) {
        const ssize_t n = ::pread(static_cast<int>(native_), out, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out += n;
        count -= static_cast<std::size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

} // namespace kestrel::designrt

#endif // !_WIN32
