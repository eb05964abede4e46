// One board and the applet created on it, with the options every face of the tool shares.
#pragma once

#include "grabhost5.hpp"

#include <optional>
#include <string>

namespace kestrel::tool {

// Options of the whole tool, given before or after the subcommand name.
struct ToolOptions {
    int board = 0;
    std::string applet = "Kestrel12";
    // --config FILE.scf: loaded before the command when it exists; kept by commands that change
    // settings. Empty when not given.
    std::string config;
};

// Loads the --config file into grabber's applet when one is given and exists; throws on failure.
// Commands that only look at or change settings warn about what the file asked for and the board
// did not take; commands that acquire (strict) refuse to go on.
void loadConfigOption(const ToolOptions& options, gh5::Grabber& grabber, bool strict = false);

// A file name that a setting keeps (a reference image, a LUT file): absolute when --config will
// store it, so that the configuration works from any directory; unchanged otherwise.
std::string pathForConfig(const ToolOptions& options, const std::string& path);

// The board and the applet created on it for one command. Unless told otherwise, the --config
// file's settings are loaded first when the file exists; a load that fails throws.
class Session {
public:
    enum class Config { Load, Later };
    explicit Session(const ToolOptions& options, Config config = Config::Load);

    gh5::Board& board() { return board_; }
    gh5::Grabber& grabber() { return grabber_; }
    // Loads the --config file when one is given and exists (Config::Later sessions call it).
    void loadConfig();
    // Writes the applet's settings back to the --config file, if one is given: the success exit;
    // throws naming the reason. Changes another command made to the file since it was read are
    // kept with this command's; one key changed by both to different values keeps nothing of
    // this command and says so.
    int keepSettings();

private:
    const ToolOptions& options_;
    // The --config file's content as this command read it (nothing when it did not exist), and
    // the applet's settings it started from: what another command's change is told apart by.
    std::optional<std::string> readContent_;
    std::string startSettings_;
    gh5::Board board_;
    gh5::Grabber grabber_;
};

} // namespace kestrel::tool
