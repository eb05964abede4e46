// Reading a design image file with CreateFileA and ReadFile at an offset.
#include "read_only_file.h"

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace kestrel::designrt {
namespace {

HANDLE handleOf(intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}

} // namespace

std::optional<ReadOnlyFile> ReadOnlyFile::open(const char* path) {
    // Others may read the image meanwhile, and even replace it: this copy reads what was opened.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || GetFileSizeEx(file, &size) == 0 || size.QuadPart < 0) {
        CloseHandle(file);
        return std::nullopt;
    }
    return ReadOnlyFile(reinterpret_cast<intptr_t>(file), static_cast<uint64_t>(size.QuadPart));
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept : native_(other.native_), size_(other.size_) {
    other.native_ = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
}

ReadOnlyFile::~ReadOnlyFile() {
    if (handleOf(native_) != INVALID_HANDLE_VALUE)
        CloseHandle(handleOf(native_));
}

bool ReadOnlyFile::readAt(std::byte* out, std::size_t count, uint64_t offset) const {
    while (count > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset & 0xffffffffu);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD step = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
        DWORD n = 0;
        if (ReadFile(handleOf(native_), out, step, &n, &at) == 0 || n == 0)
            return false;
        out += n;
        count -= n;
        offset += n;
    }
    return true;
}

} // namespace kestrel::designrt

#endif // _WIN32
