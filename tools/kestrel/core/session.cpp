// One command's board and applet, with the --config file loaded before and kept after.
#include "session.h"
#include "config_file.h"
#include "config_text.h"
#include "directory_lock.h"
#include "file_checks.h"
#include "parameter_view.h"
#include "tool_errors.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

namespace kestrel::tool {
namespace {

std::optional<std::string> contentOf(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The applet's current settings as the text of a configuration file.
std::string settingsText(const AppletParameters& parameters) {
    const TemporaryFile file(".scf");
    if (const int32_t code = parameters.exports().Fg_saveConfig(parameters.fg(), file.path().c_str());
        code != 0)
        throw std::runtime_error("cannot read the applet's settings: " + codeText(code));
    return file.content();
}

} // namespace

Session::Session(const ToolOptions& options, Config config)
    : options_(options), board_(gh5::Board::open(options.board)),
      grabber_(gh5::Grabber::create(board_, options.applet)) {
    if (config == Config::Load)
        loadConfig();
}

void loadConfigOption(const ToolOptions& options, gh5::Grabber& grabber, bool strict) {
    // A file that does not exist yet is where the first changing command will keep its result.
    std::error_code error;
    if (const std::string dangling = options.config.empty() ? "" : brokenLink(options.config);
        !dangling.empty())
        throw std::runtime_error("--config " + options.config + ": " + dangling);
    if (options.config.empty())
        return;
    if (!std::filesystem::exists(options.config, error)) {
        // Only a file that is not there yet is one to create; a loop of links or a folder that
        // cannot be searched is refused with its reason.
        if (error && error != std::errc::no_such_file_or_directory)
            throw std::runtime_error("--config " + options.config + ": " + error.message());
        return;
    }
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
    if (options_.config.empty())
        return;
    const AppletParameters parameters(grabber_);
    readContent_ = contentOf(options_.config);
    if (!readContent_)
        startSettings_ = settingsText(parameters);
    loadConfigOption(options_, grabber_);
    if (readContent_)
        startSettings_ = *readContent_;
}

int Session::keepSettings() {
    if (options_.config.empty())
        return kExitOk;
    const AppletParameters parameters(grabber_);
    const DirectoryLock lock(options_.config);
    const std::optional<std::string> current = contentOf(options_.config);
    if (current && current != readContent_) {
        const ConfigLayout layout = configurationLayout(parameters);
        std::string conflict;
        const auto merged = mergeSettings(ConfigText(startSettings_), ConfigText(settingsText(parameters)),
                                          ConfigText(*current), layout, &conflict);
        if (!merged)
            throw std::runtime_error(options_.config +
                                     " was changed by another command since this one read it, "
                                     "which set " +
                                     conflict + "; nothing of this command was kept: run it again");
        const TemporaryFile both(".scf");
        if (const std::string why = writeWholeFile(both.path(), *merged); !why.empty())
            throw std::runtime_error("cannot keep the settings in " + options_.config + ": " + why);
        try {
            loadConfiguration(parameters, both.path());
        } catch (const std::exception& error) {
            throw std::runtime_error(options_.config +
                                     " was changed by another command since this one read it, "
                                     "and both changes together are refused: " +
                                     std::string(error.what()));
        }
        std::cerr << "kestrel: " << options_.config
                  << " was changed by another command meanwhile; its changes are kept with this one's\n";
    }
    saveConfiguration(parameters, options_.config);
    // A session that keeps its settings more than once (the server's) starts over from what it
    // wrote: its own earlier changes are no other command's.
    readContent_ = contentOf(options_.config);
    if (readContent_)
        startSettings_ = *readContent_;
    return kExitOk;
}

} // namespace kestrel::tool
