// kestrel shading: the automatic shading correction from a black and a gray reference image,
// computed by the applet and loaded into the board's coefficient memories.
#include "command.h"
#include "core/interrupt.h"
#include "core/parameter_view.h"
#include "core/reference_file.h"
#include "core/shading_correction.h"

#include "boardhw.h"
#include "grabhost5.hpp"
#include "kestrel12.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace kestrel::tool {
namespace {

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

// Where a PNG reference's TIFF copy is kept for the --config file: beside it, named after it.
std::string keptCopy(const ToolOptions& options, const std::string& role) {
    if (options.config.empty())
        return "";
    std::filesystem::path kept(pathForConfig(options, options.config));
    const std::string stem = kept.stem().string();
    return kept.replace_filename(stem + "-" + role + ".tif").string();
}

// Threshold 0 marks every pixel of a real dark frame; half of the references' full scale marks hot
// pixels brighter than half scale in the dark and dead ones darker than half scale in the light.
uint32_t defaultThreshold(const ReferenceFile& black) {
    return std::min<uint32_t>(4095, black.bits() == 8 || black.bits() == 16 ? ((1u << black.bits()) - 1u) / 2
                                                                            : 127);
}

// What the applet computed, read back from the board's coefficient memories: the gains over the
// gray reference (pixels marked defective left out, they are replaced anyway) and the marks.
struct CoefficientSummary {
    uint16_t minGain = UINT16_MAX;
    uint16_t maxGain = 0;
    double meanGain = 0.0;
    uint64_t gainPixels = 0;
    uint64_t defective = 0;
};

std::optional<CoefficientSummary> summarise(void* board, uint32_t grayWidth, uint32_t grayHeight) {
    constexpr uint32_t kSide = BOARD_COEFFICIENT_SIDE;
    constexpr uint32_t kLinesAtOnce = 256;
    constexpr uint16_t kDefective = 65535;
    const uint32_t width = std::min(grayWidth, kSide);
    const uint32_t height = std::min(grayHeight, kSide);
    std::vector<uint16_t> offsets(size_t{kSide} * kLinesAtOnce), gains(size_t{kSide} * kLinesAtOnce);
    CoefficientSummary summary;
    uint64_t gainSum = 0;
    for (uint32_t first = 0; first < kSide; first += kLinesAtOnce) {
        if (Board_ReadCoefficientLines(board, BOARD_COEFFICIENT_OFFSET, first, kLinesAtOnce,
                                       offsets.data()) != BOARD_OK ||
            Board_ReadCoefficientLines(board, BOARD_COEFFICIENT_GAIN, first, kLinesAtOnce, gains.data()) !=
                BOARD_OK)
            return std::nullopt;
        for (uint32_t line = 0; line < kLinesAtOnce; ++line) {
            for (uint32_t x = 0; x < kSide; ++x) {
                const size_t at = size_t{line} * kSide + x;
                const bool marked = offsets[at] == kDefective;
                summary.defective += marked;
                if (marked || first + line >= height || x >= width)
                    continue;
                summary.minGain = std::min(summary.minGain, gains[at]);
                summary.maxGain = std::max(summary.maxGain, gains[at]);
                gainSum += gains[at];
                ++summary.gainPixels;
            }
        }
    }
    if (summary.gainPixels != 0)
        summary.meanGain = double(gainSum) / double(summary.gainPixels);
    return summary;
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
    const ReferenceFile black(arguments.black, keptCopy(options, "black"));
    const ReferenceFile gray(arguments.gray, keptCopy(options, "gray"));
    for (const auto& [reference, given] :
         {std::pair(&black, &arguments.black), std::pair(&gray, &arguments.gray)})
        if (reference->converted())
            std::cout << *given << ": PNG, handed to the applet as the TIFF "
                      << (options.config.empty() ? "copy " : "copy kept in ") << reference->appletPath()
                      << "\n";
    const uint32_t threshold = arguments.threshold ? uint32_t(*arguments.threshold) : defaultThreshold(black);
    if ((arguments.threshold || arguments.deadPixels) &&
        !setValue("FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD",
                  FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD, threshold))
        return kExitFailure;
    if (arguments.deadPixels && !setValue("FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE",
                                          FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, uint32_t{1}))
        return kExitFailure;
    if (!setText("FG_SHADING_BLACK_FILENAME", FG_SHADING_BLACK_FILENAME,
                 pathForConfig(options, black.appletPath())) ||
        !setText("FG_SHADING_GRAY_FILENAME", FG_SHADING_GRAY_FILENAME,
                 pathForConfig(options, gray.appletPath())))
        return kExitFailure;

    std::cout << "shading: reading references, computing and uploading coefficients ..." << std::flush;
    const auto start = std::chrono::steady_clock::now();
    std::string failure;
    {
        // Ctrl-C waits for the applet, which removes its temporary coefficient files on every path.
        const InterruptGuard interruptGuard;
        failure = applyShadingCorrection(grabber, !arguments.black.empty(), !arguments.gray.empty());
        if (InterruptGuard::requested()) {
            std::cout << " interrupted; nothing kept\n";
            return kExitInterrupted;
        }
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::cout << (failure.empty() ? " done" : " failed") << " (" << elapsed.count() << " ms)\n";
    if (!failure.empty())
        return fail(failure);

    double normalization = 0.0;
    ex.Fg_getParameterWithType(fg, FG_SHADING_GAIN_NORMALIZATION_VALUE, &normalization, 0, 0);
    std::cout << "FG_SHADING_GAIN_NORMALIZATION_VALUE = " << normalization << "\n";
    if (gray.width() > 0) {
        const auto summary =
            summarise(session.board().device(), uint32_t(gray.width()), uint32_t(gray.height()));
        if (!summary)
            return fail("cannot read the coefficients back from the board");
        std::cout << std::fixed << std::setprecision(3) << "gain: minimum " << summary->minGain / 4096.0
                  << ", mean " << summary->meanGain / 4096.0 << ", maximum " << summary->maxGain / 4096.0
                  << " (" << summary->gainPixels << " pixels"
                  << (summary->defective != 0 ? ", those marked defective left out" : "") << ")\n";
        std::cout.unsetf(std::ios::floatfield);
        if (arguments.deadPixels && black.width() > 0) {
            const uint64_t pixels = uint64_t(std::min({black.width(), gray.width(), 4096})) *
                                    uint64_t(std::min({black.height(), gray.height(), 4096}));
            std::cout << "dead pixels: " << summary->defective << " of " << pixels << " marked (threshold "
                      << threshold << ")\n";
            if (summary->defective * 100 > pixels)
                std::cerr
                    << "kestrel: warning: more than 1% of the pixels are marked dead: a pixel is marked when "
                       "its black level is above "
                    << threshold << " or its gray level below full scale less " << threshold
                    << "; set --threshold\n";
        }
    }
    if (arguments.deadPixels && (black.width() == 0 || gray.width() == 0))
        std::cout << "dead pixels: marked only with both a black and a gray reference\n";
    return session.keepSettings();
}

const CommandRegistrar registrar{Command{
    "shading", "compute shading coefficients from reference images and load them",
    [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("--black", arguments->black, "black reference image (8- or 16-bit TIFF or PNG)");
        sub.add_option("--gray", arguments->gray, "gray reference image (8- or 16-bit TIFF or PNG)");
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
