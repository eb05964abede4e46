// The tool's messages on stderr, each with the exit code it ends with.
#include "tool_errors.h"

#include <iostream>

namespace kestrel::tool {

int fail(const std::string& message) {
    std::cerr << "kestrel: " << message << "\n";
    return kExitFailure;
}

int usageError(const std::string& message) {
    std::cerr << "kestrel: " << message << "\n";
    return kExitUsage;
}

} // namespace kestrel::tool
