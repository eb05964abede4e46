// Splitting the applet's own file path into directory and module name.
#include "params/module_location.h"

namespace kestrel {

std::optional<ModuleLocation> splitModulePath(std::string_view path) {
    if (path.size() >= kModulePathBufferSize)
        path = path.substr(0, kModulePathBufferSize - 1);
    const std::size_t separator = path.find_last_of("/\\");
    if (separator == std::string_view::npos)
        return std::nullopt;
    const std::string_view directory = path.substr(0, separator);
    std::string_view base = path.substr(separator + 1);
    const std::size_t dot = base.rfind('.');
    if (dot != std::string_view::npos)
        base = base.substr(0, dot);
    if (directory.empty() || base.empty())
        return std::nullopt;
    return ModuleLocation{std::string(directory), std::string(base), path[separator]};
}

std::string inspectFilePath(const ModuleLocation& location) {
    return location.directory + location.separator + kInspectFileName;
}

} // namespace kestrel
