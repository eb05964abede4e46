// The loader's side of applet libraries: the few facts and calls that differ between POSIX
// (applet_library_posix.cpp) and Windows (applet_library_win32.cpp).
#pragma once

#include <string>

namespace kestrel::host::loader {

// The folder that holds the host library itself (found through its own module, not through the
// executable's); "." when the loader cannot tell.
std::string hostDirectory();

// The file suffix of a loadable library: ".so" or ".dll".
const char* librarySuffix();

// What separates the entries of KESTREL_APPLET_PATH: ':' on POSIX, ';' on Windows, where ':'
// belongs to drive letters.
char searchPathSeparator();

// Whether an applet name is a path rather than a bare name: it holds '/' (or, on Windows, '\').
bool namesDirectory(const std::string& name);

// directory + the platform's separator + file.
std::string joinPath(const std::string& directory, const std::string& file);

// Loads `file` with every reference bound now, its own dependencies resolved beside it. Null
// when the loader refuses; `why` then holds the loader's reason.
void* open(const std::string& file, std::string& why);

// Drops the reference open gave.
void close(void* module);

// Address of the export `name` of `module` itself, never of a namesake in a library it depends
// on; null when the module lacks it.
void* exportOf(void* module, const char* name);

} // namespace kestrel::host::loader
