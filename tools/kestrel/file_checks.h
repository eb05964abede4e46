// What the tool checks about the files it hands to the applet or writes itself, so that a file it
// cannot honour is named with the operating system's reason instead of passing without a word.
#pragma once

#include <string>
#include <string_view>

namespace kestrel::tool {

// Why path is no LUT file the applet would take values from ("" when it is): unreadable, or no
// "[gray]" section with a positive "nrOfElements" and the value line of index 0. The applet's
// reader never fails on content, so this is the tool's only chance to say so.
std::string lutFileProblem(const std::string& path);

// The text of errno after a failed call; "" when errno is 0.
std::string osReason(int error);

// Writes content to path, checking every write, the flush and the close. On failure returns the OS
// reason and removes what was written of a regular file (a device such as /dev/full stays).
std::string writeWholeFile(const std::string& path, std::string_view content);

} // namespace kestrel::tool
