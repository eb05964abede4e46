// Standard output checked at the end of a command: a full disk or a closed pipe is an error of the
// command, named with the operating system's reason, not output silently lost.
#pragma once

#include <string>

namespace kestrel::tool {

// Flushes standard output; "" when everything written reached it, else the OS reason ("No space
// left on device", "Broken pipe").
std::string standardOutputProblem();

} // namespace kestrel::tool
