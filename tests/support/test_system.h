// The few operating-system calls and facts the tests need themselves, with a POSIX and a Win32 file.
#pragma once

#include <string>
#include <string_view>

namespace kestrel::test {

// Sets `name` to `value` in this process's environment, or removes it when `value` is null.
void setEnvironment(const char* name, const char* value);

// This process's id, for file names that must not collide with a parallel test run.
long processId();

// `text` (lines ended by "\n") as this platform's text streams write it: CR LF on Windows.
std::string nativeLineEnds(std::string_view text);

// The environment variable that names the folder of temporary files.
const char* temporaryDirectoryVariable();

// True on Windows, for the tests that check a POSIX fact and skip there with the reason.
bool onWindows();

} // namespace kestrel::test
