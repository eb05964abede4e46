// The tool's exit conventions, shared by every face of the tool: exit codes and the messages that go with
// them.
#pragma once

#include <stdexcept>
#include <string>

namespace kestrel::tool {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Prints "kestrel: message" to stderr; returns the failure exit code.
int fail(const std::string& message);
// Prints "kestrel: message" to stderr; returns the usage exit code.
int usageError(const std::string& message);

// A command line the tool refuses before doing anything: main reports it with the usage exit.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace kestrel::tool
