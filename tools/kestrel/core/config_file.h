// Configuration files from the tool's side: the applet's own reader and writer do the work; the
// tool adds entry names for enumerations and the operating system's reason when a file fails.
#pragma once

#include "config_text.h"
#include "parameter_view.h"

#include <string>

namespace kestrel::tool {

// "a symbolic link to TARGET, which does not exist" when path is one, the reason when it is a
// link that cannot be followed (a loop); "" otherwise.
std::string brokenLink(const std::string& path);
// Why path cannot be read ("No such file or directory", ...), or "" when it can.
std::string whyNotReadable(const std::string& path);
// Why path cannot be created or replaced, or "" when nothing stands in the way.
std::string whyNotWritable(const std::string& path);

// Loads a configuration file into the applet. Enumeration values written by entry name
// ("FG_FORMAT=FG_GRAY16;") are turned into the numbers the applet's reader takes, through a copy;
// the user's file is never changed. Throws std::runtime_error with a message naming the file and
// the reason.
// A value the applet's setter refused or a reference or LUT file that is missing fails the load
// too; with problemsAsWarnings they are only printed.
void loadConfiguration(const AppletParameters& parameters, const std::string& path,
                       bool problemsAsWarnings = false);

// The keys and header a configuration of this applet holds, from a file the applet writes.
ConfigLayout configurationLayout(const AppletParameters& parameters);

// Writes the applet's current settings to path; throws std::runtime_error naming the reason.
void saveConfiguration(const AppletParameters& parameters, const std::string& path);

} // namespace kestrel::tool
