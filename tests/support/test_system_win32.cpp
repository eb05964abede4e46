#if defined(_WIN32)
#include "test_system.h"

#include <windows.h>

#include <cstdlib>

namespace kestrel::test {

// The C runtime keeps its own copy of the environment, which getenv reads; _putenv_s with an
// empty value removes the variable there, and the Win32 block is kept in step for child
// processes and GetEnvironmentVariable readers (GetTempPath among them).
void setEnvironment(const char* name, const char* value) {
    _putenv_s(name, value != nullptr ? value : "");
    SetEnvironmentVariableA(name, value);
}

long processId() {
    return static_cast<long>(GetCurrentProcessId());
}

std::string nativeLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// GetTempPath looks at TMP first.
const char* temporaryDirectoryVariable() {
    return "TMP";
}

bool onWindows() {
    return true;
}

} // namespace kestrel::test
#endif
