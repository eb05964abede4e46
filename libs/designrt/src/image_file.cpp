// Loads the part of a design image file that the reader needs.
#include "image_file.h"

#include "image_format.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::designrt {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool readAt(int fd, std::byte* out, std::size_t count, off_t offset) {
    while (count > 0) {
        const ssize_t n = ::pread(fd, out, count, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out += n;
        count -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

} // namespace

std::optional<ImageFileBytes> loadImageFile(const char* path) {
    if (path == nullptr)
        return std::nullopt;
    const FileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    const auto size = static_cast<uint64_t>(info.st_size);
    if (size < format::kHeaderBytes || size > format::kMaxImageBytes)
        return std::nullopt;

    ImageFileBytes bytes;
    bytes.totalBytes = size;
    bytes.prefix.resize(format::kHeaderBytes);
    if (!readAt(fd.get(), bytes.prefix.data(), format::kHeaderBytes, 0))
        return std::nullopt;
    // A region longer than the file leaves just the header, which the reader then refuses.
    const uint32_t checksummed = format::loadU32(bytes.prefix.data() + format::header::kChecksummedBytes);
    if (checksummed > format::kHeaderBytes && checksummed <= size) {
        bytes.prefix.resize(checksummed);
        if (!readAt(fd.get(), bytes.prefix.data() + format::kHeaderBytes, checksummed - format::kHeaderBytes,
                    static_cast<off_t>(format::kHeaderBytes)))
            return std::nullopt;
    }
    return bytes;
}

} // namespace kestrel::designrt
