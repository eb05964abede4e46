// Where the applet library lives: its module name and the "inspect.conf" beside it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// The module name used when the library's own file name cannot be split.
inline constexpr const char* kUnknownModuleName = "none";

// The module path is read into a buffer of this many characters (terminator included); longer
// paths are cut to its size minus one, as the module-file-name query does.
inline constexpr std::size_t kModulePathBufferSize = 261;

inline constexpr const char* kInspectFileName = "inspect.conf";

struct ModuleLocation {
    std::string directory;  // without the trailing separator
    std::string moduleName; // file name without directory and extension
    char separator = '/';   // the separator the path used before the file name
};

// Splits a module's full path at its last '/' or '\': the part before is the directory, the part
// after, cut at its last '.', the module name. Nothing when either comes out empty (also when
// the path has no separator): the applet then keeps kUnknownModuleName and reads no settings.
std::optional<ModuleLocation> splitModulePath(std::string_view path);

// directory + separator + "inspect.conf": the file beside the library, named the way the
// loader named the library ('\\' on Windows, '/' on POSIX).
std::string inspectFilePath(const ModuleLocation& location);

} // namespace kestrel
