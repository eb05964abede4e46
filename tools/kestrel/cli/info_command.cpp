// kestrel info: the applet's properties, then whether it comes alive on the board.
#include "command.h"

#include "grabhost5.hpp"

#include <iomanip>
#include <iostream>

namespace kestrel::tool {
namespace {

// Queries of the applet's Info export.
constexpr int32_t kQueryDescription = 4096;
constexpr int32_t kQueryTitle = 4112;
constexpr int32_t kQueryClassification = 4128;
constexpr int32_t kQueryName = 4176;
constexpr int32_t kQueryVersion = 4192;
constexpr int32_t kQueryFullVersion = 4208;
constexpr int32_t kQueryDesignImage = 1042;

void row(const std::string& label, const std::string& value) {
    std::cout << std::left << std::setw(16) << label << value << "\n";
}

std::string textOr(const gh5::Applet& applet, int32_t query) {
    const auto text = applet.text(query);
    return text ? *text : "(not answered)";
}

int runInfo(const ToolOptions& options) {
    const gh5::Applet applet = gh5::Applet::load(options.applet);
    row("Applet", textOr(applet, kQueryName) + " (" + applet.file() + ")");
    row("Version", textOr(applet, kQueryVersion));
    row("Full version", textOr(applet, kQueryFullVersion));
    row("Title", textOr(applet, kQueryTitle));
    row("Description", textOr(applet, kQueryDescription));
    row("Classification", textOr(applet, kQueryClassification));
    const auto imageBytes = applet.number(kQueryDesignImage);
    row("Design image", imageBytes ? std::to_string(*imageBytes) + " bytes" : "(not answered)");

    gh5::Board board = gh5::Board::open(options.board);
    gh5::Grabber grabber = gh5::Grabber::create(board, options.applet);
    const Gh5AppletExports& exports = grabber.exports();
    const std::string where = "Board " + std::to_string(options.board);
    if (exports.Fg_getNrOfParameter == nullptr) {
        row(where, "applet created and alive");
        return kExitOk;
    }
    const int32_t parameters = exports.Fg_getNrOfParameter(grabber.record());
    if (parameters < 0)
        return fail("applet created on board " + std::to_string(options.board) + " but it does not answer: " +
                    gh5_error_text(parameters) + " (" + std::to_string(parameters) + ")");
    row(where, "applet created and alive, " + std::to_string(parameters) + " parameters");
    const int32_t freed = grabber.free();
    if (freed != 0)
        return fail("freeing the applet failed: " + gh5::describe("Fg_FreeGrabber", freed));
    return kExitOk;
}

const CommandRegistrar registrar{
    Command{"info", "show the applet's properties and create it on the board",
            [](CLI::App&, const ToolOptions& options) { return [&options] { return runInfo(options); }; }}};

} // namespace
} // namespace kestrel::tool
