// kestrel shading: the automatic shading correction from a black and a gray reference image,
// computed by the applet and loaded into the board's coefficient memories.
#include "command.h"
#include "parameter_view.h"

#include "grabhost5.hpp"
#include "regiort.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
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
    std::optional<int64_t> threshold;
    bool deadPixels = false;
};

// A reference image as the applet reads it; empty when it cannot be read here.
class Reference {
public:
    explicit Reference(const std::string& path) {
        if (!path.empty() &&
            ImageFile_Read(path.c_str(), &samples_, &width_, &height_, &bits_, &perPixel_) == 0)
            samples_ = nullptr;
    }
    ~Reference() { ImageFile_Release(samples_); }
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;

    bool exists() const { return samples_ != nullptr && perPixel_ == 1 && (bits_ == 8 || bits_ == 16); }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    uint32_t maxValue() const { return (1u << bits_) - 1u; }
    uint32_t at(int32_t x, int32_t y) const {
        const size_t index = size_t(y) * size_t(width_) + size_t(x);
        return bits_ == 8 ? static_cast<const uint8_t*>(samples_)[index]
                          : static_cast<const uint16_t*>(samples_)[index];
    }

private:
    void* samples_ = nullptr;
    int32_t width_ = 0, height_ = 0, bits_ = 0, perPixel_ = 0;
};

// The applet marks a pixel inside both references defective when its black level is above the
// threshold T or its gray level below full scale less T: the count it will have marked.
uint64_t deadPixelCount(const Reference& black, const Reference& gray, uint32_t threshold) {
    constexpr int32_t kSide = 4096;
    const int64_t grayLimit = int64_t(black.maxValue()) - threshold;
    uint64_t marked = 0;
    for (int32_t y = 0; y < std::min({black.height(), gray.height(), kSide}); ++y)
        for (int32_t x = 0; x < std::min({black.width(), gray.width(), kSide}); ++x)
            marked += black.at(x, y) > threshold || int64_t(gray.at(x, y)) < grayLimit;
    return marked;
}

// Threshold 0 marks every pixel of a real dark frame; half of the references' full scale marks hot
// pixels brighter than half scale in the dark and dead ones darker than half scale in the light.
uint32_t defaultThreshold(const Reference& black) {
    return std::min<uint32_t>(4095, black.exists() ? black.maxValue() / 2 : 127);
}

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
    const AppletParameters parameters(grabber);
    if (arguments.value) {
        std::ostringstream text;
        text.precision(17);
        text << *arguments.value;
        if (const int exitCode = setByName(parameters, "FG_SHADING_GAIN_NORMALIZATION_VALUE", text.str());
            exitCode != kExitOk)
            return exitCode;
    }
    const Reference black(arguments.deadPixels ? arguments.black : std::string());
    const Reference gray(arguments.deadPixels ? arguments.gray : std::string());
    const uint32_t threshold = arguments.threshold ? uint32_t(*arguments.threshold) : defaultThreshold(black);
    if ((arguments.threshold || arguments.deadPixels) &&
        !setValue("FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD",
                  FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD, threshold))
        return kExitFailure;
    if (arguments.deadPixels && !setValue("FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE",
                                          FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, uint32_t{1}))
        return kExitFailure;
    if (!setText("FG_SHADING_BLACK_FILENAME", FG_SHADING_BLACK_FILENAME,
                 pathForConfig(options, arguments.black)) ||
        !setText("FG_SHADING_GRAY_FILENAME", FG_SHADING_GRAY_FILENAME,
                 pathForConfig(options, arguments.gray)))
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
    if (arguments.deadPixels && black.exists() && gray.exists()) {
        const uint64_t marked = deadPixelCount(black, gray, threshold);
        const uint64_t pixels = uint64_t(std::min({black.width(), gray.width(), 4096})) *
                                uint64_t(std::min({black.height(), gray.height(), 4096}));
        std::cout << "dead pixels: " << marked << " of " << pixels << " marked (threshold " << threshold
                  << ")\n";
        if (marked * 100 > pixels)
            std::cerr
                << "kestrel: warning: more than 1% of the pixels are marked dead: a pixel is marked when its "
                   "black level is above "
                << threshold << " or its gray level below "
                << black.maxValue() - std::min(threshold, black.maxValue()) << "; set --threshold\n";
    } else if (arguments.deadPixels) {
        std::cout << "dead pixels: marked only with both a black and a gray reference\n";
    }
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
        sub.add_option(
               "--threshold", arguments->threshold,
               "dead-pixel threshold, 0 .. 4095 (default with --dead-pixels: half the references' full "
               "scale, at most 4095)")
            ->check(CLI::Range(int64_t{0}, int64_t{4095}));
        sub.add_flag("--dead-pixels", arguments->deadPixels, "mark and replace dead pixels");
        return std::function<int()>([&options, arguments] { return run(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
