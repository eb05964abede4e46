// What a configuration file asked for and the board did not take. Loading a configuration passes
// over a value its setter refuses and over reference or LUT files that are not there; the tool
// reads the file itself afterwards and names each of them.
#pragma once

#include "parameter_view.h"

#include <string>

namespace kestrel::tool {

// After the applet loaded file: prints on stderr every key whose value a setter refuses (with the
// value, the code and the allowed range) and every named reference or LUT file that cannot be read.
// An enumeration written by entry name is set by that name. Returns the number of problems.
// Values the applet only keeps until a later step uses them are checked against the tree's range
// instead. As warnings, the lines say so.
int reportConfigurationProblems(const AppletParameters& parameters, const std::string& file, bool asWarnings);

} // namespace kestrel::tool
