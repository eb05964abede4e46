// One command's board and applet, with the --config file loaded before and kept after.
#include "session.h"
#include "config_file.h"
#include "parameter_view.h"
#include "tool_errors.h"

#include <filesystem>

namespace kestrel::tool {

Session::Session(const ToolOptions& options, Config config)
    : options_(options), board_(gh5::Board::open(options.board)),
      grabber_(gh5::Grabber::create(board_, options.applet)) {
    if (config == Config::Load)
        loadConfig();
}

void loadConfigOption(const ToolOptions& options, gh5::Grabber& grabber, bool strict) {
    // A file that does not exist yet is where the first changing command will keep its result.
    std::error_code error;
    if (options.config.empty() || !std::filesystem::exists(options.config, error))
        return;
    loadConfiguration(AppletParameters(grabber), options.config, !strict);
}

std::string pathForConfig(const ToolOptions& options, const std::string& path) {
    if (options.config.empty() || path.empty())
        return path;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

void Session::loadConfig() {
    loadConfigOption(options_, grabber_);
}

int Session::keepSettings() {
    if (options_.config.empty())
        return kExitOk;
    saveConfiguration(AppletParameters(grabber_), options_.config);
    return kExitOk;
}

} // namespace kestrel::tool
