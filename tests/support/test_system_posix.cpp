#if !defined(_WIN32)
#include "test_system.h"

#include <unistd.h>

#include <cstdlib>

namespace kestrel::test {

void setEnvironment(const char* name, const char* value) {
    if (value != nullptr)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

long processId() {
    return static_cast<long>(getpid());
}

std::string nativeLineEnds(std::string_view text) {
    return std::string(text);
}

const char* temporaryDirectoryVariable() {
    return "TMPDIR";
}

bool onWindows() {
    return false;
}

} // namespace kestrel::test
#endif
