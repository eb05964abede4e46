// The tool's file and console calls on Windows: CREATE_NEW files, MoveFileEx, GetConsoleMode.
#include "system_calls.h"

#if defined(_WIN32)

#include <cerrno>
#include <io.h>
#include <regex>
#include <string_view>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace kestrel::tool::os {
namespace {

// The errno that names a Win32 error the way the POSIX build would.
int errnoFor(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
        return EINVAL;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return EIO;
    }
}

constexpr std::string_view kNameCharacters = "abcdefghijklmnopqrstuvwxyz0123456789";

} // namespace

int createUniqueFile(std::string& pattern, std::size_t suffixLength) {
    if (pattern.size() < suffixLength + 6 ||
        pattern.compare(pattern.size() - suffixLength - 6, 6, "XXXXXX") != 0)
        return EINVAL;
    const std::size_t at = pattern.size() - suffixLength - 6;
    // Names from a counter seeded by the clock and the process: CREATE_NEW refuses a name that is
    // taken, and the next one is tried.
    unsigned long long seed = GetTickCount64() * 65537ull + GetCurrentProcessId();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        unsigned long long value = seed++;
        for (std::size_t i = 0; i < 6; ++i) {
            pattern[at + i] = kNameCharacters[value % kNameCharacters.size()];
            value /= kNameCharacters.size();
        }
        HANDLE file = CreateFileA(pattern.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return 0;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return errnoFor(error);
    }
    return EEXIST;
}

std::filesystem::perms newFilePermissions() {
    // Windows keeps only a read-only mark; a new file is writable.
    return static_cast<std::filesystem::perms>(0666);
}

int followLinkError(const std::string& path) {
    // Opening without access follows every link to the end (folders need the backup flag).
    HANDLE target = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (target == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_CANT_RESOLVE_FILENAME ? ELOOP : errnoFor(GetLastError());
    CloseHandle(target);
    return 0;
}

int writeAccessError(const std::string& path, bool folder) {
    // A folder's read-only mark does not stop files being made in it: only existence counts.
    return _access(path.c_str(), folder ? 0 : 2) == 0 ? 0 : errno;
}

int replaceFile(const std::string& from, const std::string& to) {
    // Unlike rename on POSIX, a plain move refuses an existing target; write-through returns only
    // once the move is on disk.
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0
               ? 0
               : errnoFor(GetLastError());
}

bool standardErrorIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

// The C runtime has no fnmatch; the pattern becomes the regular expression that says the same.
bool matchesShellPattern(const std::string& pattern, const std::string& text) {
    std::string expression;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '*') {
            expression += ".*";
        } else if (c == '?') {
            expression += '.';
        } else if (c == '[') {
            std::size_t first = i + 1;
            const bool negated = first < pattern.size() && (pattern[first] == '!' || pattern[first] == '^');
            if (negated)
                ++first;
            // A ']' right after the opening (or its '!') is a member, as fnmatch reads it; a '['
            // without its ']' matches itself.
            const std::size_t end = pattern.find(']', first + 1);
            if (first >= pattern.size() || end == std::string::npos) {
                expression += "\\[";
                continue;
            }
            expression += negated ? "[^" : "[";
            for (std::size_t k = first; k < end; ++k) {
                if (std::string_view("\\[]^").find(pattern[k]) != std::string_view::npos)
                    expression += '\\';
                expression += pattern[k];
            }
            expression += ']';
            i = end;
        } else {
            if (std::string_view("\\^$.|+()[]{}").find(c) != std::string_view::npos)
                expression += '\\';
            expression += c;
        }
    }
    try {
        return std::regex_match(text, std::regex(expression, std::regex::icase | std::regex::ECMAScript));
    } catch (const std::regex_error&) {
        return false;
    }
}

} // namespace kestrel::tool::os

#endif // _WIN32
