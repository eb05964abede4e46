// kestrel shading: the automatic shading correction from a black and a gray reference image,
// computed by the applet and loaded into the board's coefficient memories.
#include "command.h"
#include "parameter_view.h"

#include "grabhost5.hpp"

#include <chrono>
#include <cstdint>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace kestrel::tool {
namespace {

constexpr int32_t FG_SHADING_OFFSET_ENABLE = 300102;
constexpr int32_t FG_SHADING_GAIN_ENABLE = 300100;
constexpr int32_t FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE = 300104;
constexpr int32_t FG_SHADING_BLACK_FILENAME = 300103;
constexpr int32_t FG_SHADING_GRAY_FILENAME = 300101;
constexpr int32_t FG_SHADING_GAIN_CORRECTION_MODE = 300106;
constexpr int32_t FG_SHADING_GAIN_NORMALIZATION_VALUE = 300108;
constexpr int32_t FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD = 300105;
constexpr int32_t FG_SHADING_APPLY_SETTINGS = 300107;

constexpr int32_t kApplyValue = 1;

const std::map<std::string, uint32_t> kModes = {
    {"max-value", 0}, {"mean", 1}, {"max-range", 2}, {"custom", 3}};

struct Arguments {
    std::string black;
    std::string gray;
    std::string mode = "max-value";
    std::optional<double> value;
    std::optional<uint32_t> threshold;
    bool deadPixels = false;
};

int run(const ToolOptions& options, const Arguments& arguments) {
    Session session(options);
    gh5::Grabber& grabber = session.grabber();
    const Gh5AppletExports& ex = grabber.exports();
    Gh5Grabber* fg = grabber.record();
    const auto check = [](const char* name, int32_t code) {
        if (code != 0)
            fail(std::string(name) + ": " + codeText(code));
        return code == 0;
    };
    const auto setValue = [&](const char* name, int32_t id, const auto& value) {
        return check(name, ex.Fg_setParameterWithType(fg, id, &value, 0, 0));
    };
    const auto setText = [&](const char* name, int32_t id, const std::string& text) {
        return check(name, ex.Fg_setParameterWithType(fg, id, text.c_str(), 0, 0));
    };

    const uint32_t mode = kModes.at(arguments.mode);
    if (!setValue("FG_SHADING_GAIN_CORRECTION_MODE", FG_SHADING_GAIN_CORRECTION_MODE, mode))
        return kExitFailure;
    if (arguments.value &&
        !setValue("FG_SHADING_GAIN_NORMALIZATION_VALUE", FG_SHADING_GAIN_NORMALIZATION_VALUE, *arguments.value))
        return kExitFailure;
    if (arguments.threshold && !setValue("FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD",
                                         FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD, *arguments.threshold))
        return kExitFailure;
    if (arguments.deadPixels && !setValue("FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE",
                                          FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, uint32_t{1}))
        return kExitFailure;
    if (!setText("FG_SHADING_BLACK_FILENAME", FG_SHADING_BLACK_FILENAME, pathForConfig(options, arguments.black)) ||
        !setText("FG_SHADING_GRAY_FILENAME", FG_SHADING_GRAY_FILENAME, pathForConfig(options, arguments.gray)))
        return kExitFailure;

    std::cout << "shading: reading references, computing and uploading coefficients ..." << std::flush;
    const auto start = std::chrono::steady_clock::now();
    const int32_t code = ex.Fg_setParameterWithType(fg, FG_SHADING_APPLY_SETTINGS, &kApplyValue, 0, 0);
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::cout << (code == 0 ? " done" : " failed") << " (" << elapsed.count() << " ms)\n";
    if (!check("FG_SHADING_APPLY_SETTINGS", code))
        return kExitFailure;

    const int32_t on = 1;
    if (!arguments.black.empty() && !setValue("FG_SHADING_OFFSET_ENABLE", FG_SHADING_OFFSET_ENABLE, on))
        return kExitFailure;
    if (!arguments.gray.empty() && !setValue("FG_SHADING_GAIN_ENABLE", FG_SHADING_GAIN_ENABLE, on))
        return kExitFailure;
    double normalization = 0.0;
    ex.Fg_getParameterWithType(fg, FG_SHADING_GAIN_NORMALIZATION_VALUE, &normalization, 0, 0);
    std::cout << "FG_SHADING_GAIN_NORMALIZATION_VALUE = " << normalization << "\n";
    return session.keepSettings();
}

const CommandRegistrar registrar{Command{
    "shading", "compute shading coefficients from reference images and load them",
    [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("--black", arguments->black, "black reference image (8- or 16-bit TIFF)");
        sub.add_option("--gray", arguments->gray, "gray reference image (8- or 16-bit TIFF)");
        sub.add_option("--mode", arguments->mode, "gain target: max-value, mean, max-range or custom")
            ->check(CLI::IsMember({"max-value", "mean", "max-range", "custom"}))
            ->capture_default_str();
        sub.add_option("--value", arguments->value, "normalization value for --mode custom, 0 .. 4095");
        sub.add_option("--threshold", arguments->threshold, "dead-pixel threshold, 0 .. 4095");
        sub.add_flag("--dead-pixels", arguments->deadPixels, "mark and replace dead pixels");
        return std::function<int()>([&options, arguments] { return run(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
