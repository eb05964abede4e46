// The tool's file and console calls on POSIX: mkstemps, umask, stat, access, rename, isatty,
// fnmatch.
#include "system_calls.h"

#if !defined(_WIN32)

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::tool::os {

int createUniqueFile(std::string& pattern, std::size_t suffixLength) {
    const int fd = ::mkstemps(pattern.data(), int(suffixLength));
    if (fd < 0)
        return errno != 0 ? errno : EIO;
    ::close(fd);
    return 0;
}

std::filesystem::perms newFilePermissions() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<std::filesystem::perms>(0666 & ~mask);
}

int followLinkError(const std::string& path) {
    struct stat target {};
    return ::stat(path.c_str(), &target) == 0 ? 0 : errno;
}

int writeAccessError(const std::string& path, bool folder) {
    return ::access(path.c_str(), folder ? W_OK | X_OK : W_OK) == 0 ? 0 : errno;
}

int replaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool standardErrorIsConsole() {
    return ::isatty(STDERR_FILENO) != 0;
}

bool matchesShellPattern(const std::string& pattern, const std::string& text) {
    return ::fnmatch(pattern.c_str(), text.c_str(), FNM_CASEFOLD) == 0;
}

} // namespace kestrel::tool::os

#endif // !_WIN32
