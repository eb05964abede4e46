// The few file and console calls of the tool that differ between POSIX (system_calls_posix.cpp)
// and Windows (system_calls_win32.cpp). Failures come back as errno values, so that every caller
// names them with the same strerror texts on both.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace kestrel::tool::os {

// Creates a new, empty file from `pattern`, whose six characters before the last `suffixLength`
// are "XXXXXX" and are replaced to make the name unique; `pattern` then holds the name. 0, or
// the errno of the failure.
int createUniqueFile(std::string& pattern, std::size_t suffixLength);

// The permissions an ordinary create gives a new file (0666 less the umask on POSIX).
std::filesystem::perms newFilePermissions();

// 0 when following `path` through its links reaches something; else the errno (ENOENT for a
// dangling link, ELOOP for a loop).
int followLinkError(const std::string& path);

// 0 when the calling user may write `path` (a folder: create files in it); else the errno.
int writeAccessError(const std::string& path, bool folder);

// Moves `from` onto `to`, replacing a file that is there, in one step where the system can. 0,
// or the errno.
int replaceFile(const std::string& from, const std::string& to);

// Whether standard error is a terminal or console (progress is shown only there).
bool standardErrorIsConsole();

// Whether the whole of `text` matches the shell pattern `pattern` (* ? and [...] with ! or ^ for
// a negated set), ignoring case.
bool matchesShellPattern(const std::string& pattern, const std::string& text);

} // namespace kestrel::tool::os
