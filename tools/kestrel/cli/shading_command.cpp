// kestrel shading: the automatic shading correction from a black and a gray reference image,
// computed by the applet and loaded into the board's coefficient memories.
#include "command.h"
#include "core/correction_checks.h"
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
    std::string mode; // "" : max-value, the applet's default
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

// The applet compares the threshold with the references' own samples. Threshold 0 marks every
// pixel of a real dark frame; half of 8-bit full scale marks hot pixels brighter than half scale in
// the dark and dead ones darker than half scale in the light. For 16-bit references the largest
// threshold the applet takes (4095, one sixteenth of their scale) is the least harmful.
uint32_t defaultThreshold(int32_t blackBits) {
    return blackBits == 16 ? 4095u : 127u;
}

// Options that do nothing with the references given: refused before the board is touched.
void refuseIgnoredOptions(const Arguments& arguments) {
    if (arguments.black.empty() && arguments.gray.empty())
        throw UsageError("shading needs a reference: --black (offsets), --gray (gains) or both");
    if (arguments.value && arguments.mode != "custom")
        throw UsageError(
            "--value is the normalization of --mode custom; give --mode custom or leave --value out");
    if (arguments.threshold && !arguments.deadPixels)
        throw UsageError("--threshold sets the dead-pixel marking; give --dead-pixels too");
    if (arguments.deadPixels && (arguments.black.empty() || arguments.gray.empty()))
        throw UsageError("--dead-pixels marks pixels from both references; give --black and --gray");
    std::error_code error;
    if (!arguments.black.empty() && !arguments.gray.empty() &&
        (arguments.black == arguments.gray ||
         std::filesystem::equivalent(arguments.black, arguments.gray, error)))
        throw UsageError("--black and --gray are the same file " + arguments.gray +
                         "; record a black reference with the lens capped and a gray one of an even light");
}

// The references' sizes against each other and the window: coefficients of another size correct
// the wrong pixels or leave some uncorrected.
void warnAboutSizes(const AppletParameters& parameters,
                    const std::vector<std::pair<std::string, ReferenceImage>>& references) {
    const auto number = [&](const char* name) {
        const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), name);
        int32_t code = 0;
        return parameters.valueText(parameters.findFeature(name), id, &code).value_or("?");
    };
    const std::string window = number("FG_WIDTH") + " x " + number("FG_HEIGHT");
    for (const auto& [role, image] : references) {
        const std::string size = std::to_string(image.width) + " x " + std::to_string(image.height);
        if (size != window)
            std::cerr << "kestrel: warning: the " << role << " reference is " << size << " but the window is "
                      << window << ": its coefficients cover other pixels than the frames; record the "
                      << "reference with the window you grab with\n";
    }
    if (references.size() == 2 && (references[0].second.width != references[1].second.width ||
                                   references[0].second.height != references[1].second.height))
        std::cerr << "kestrel: warning: the black and gray references differ in size; only the pixels both "
                     "cover are corrected with both\n";
}

// Refuses a dead-pixel run that would mark more than a sane share of the pixels: the threshold is
// then on the wrong scale for the references.
std::string deadPixelProblem(const ReferenceImage& black, const ReferenceImage& gray, uint32_t threshold) {
    const DeadPixelForecast forecast = forecastDeadPixels(black, gray, threshold);
    if (forecast.pixels == 0 || double(forecast.marked) <= kMaxDeadPixelShare * double(forecast.pixels))
        return "";
    const uint32_t fullScale = (1u << black.bits) - 1u;
    std::ostringstream text;
    text << "--dead-pixels with threshold " << threshold << " would mark " << forecast.marked << " of "
         << forecast.pixels << " pixels (" << std::fixed << std::setprecision(1)
         << 100.0 * double(forecast.marked) / double(forecast.pixels) << " %: " << forecast.hotInBlack
         << " with a black value above " << threshold << ", " << forecast.darkInGray
         << " with a gray value below " << (fullScale > threshold ? fullScale - threshold : 0)
         << "); the applet compares the threshold with the " << black.bits << "-bit samples (0 .. "
         << fullScale << ")";
    if (black.bits == 16)
        text << " and takes at most 4095, so with 16-bit references a gray reference must lie within 4095 of "
                "full scale: record 8-bit references (FG_FORMAT=FG_GRAY) for dead-pixel marking";
    else
        text << "; set a --threshold that leaves the black level below it and the gray level above "
             << fullScale << " less it";
    return text.str();
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
    refuseIgnoredOptions(arguments);
    if (!arguments.mode.empty() && arguments.gray.empty())
        std::cerr << "kestrel: warning: --mode sets the gain target of a gray reference; without --gray it "
                     "changes nothing\n";
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

    const uint32_t mode = kModes.at(arguments.mode.empty() ? "max-value" : arguments.mode);
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
    // Each reference read as the applet will read it, so that a bad one is named with its role.
    std::vector<std::unique_ptr<ReferenceFile>> files;
    std::vector<std::pair<std::string, ReferenceImage>> images;
    for (const auto& [role, given] :
         {std::pair("black", &arguments.black), std::pair("gray", &arguments.gray)}) {
        files.push_back(nullptr);
        if (given->empty())
            continue;
        try {
            files.back() = std::make_unique<ReferenceFile>(*given, keptCopy(options, role));
        } catch (const std::exception& error) {
            return fail("--" + std::string(role) + ": the " + role + " reference " + error.what());
        }
        std::string why;
        std::optional<ReferenceImage> image = readReference(files.back()->appletPath(), &why);
        if (!image)
            return fail("--" + std::string(role) + " " + *given + ": the " + role + " reference " + why +
                        " (" + std::to_string(KESTREL12_ERR_FILE_READ) + ")");
        images.emplace_back(role, std::move(*image));
    }
    const ReferenceFile black = files[0] ? std::move(*files[0]) : ReferenceFile("", "");
    const ReferenceFile gray = files[1] ? std::move(*files[1]) : ReferenceFile("", "");
    warnAboutSizes(parameters, images);
    for (const auto& [reference, given] :
         {std::pair(&black, &arguments.black), std::pair(&gray, &arguments.gray)})
        if (reference->converted())
            std::cout << *given << ": PNG, handed to the applet as the TIFF "
                      << (options.config.empty() ? "copy " : "copy kept in ") << reference->appletPath()
                      << "\n";
    const uint32_t threshold =
        arguments.threshold ? uint32_t(*arguments.threshold) : defaultThreshold(black.bits());
    if (arguments.deadPixels) {
        if (black.bits() == 8 && threshold > 255)
            std::cerr << "kestrel: warning: threshold " << threshold
                      << " is above the 8-bit references' full scale 255: no pixel is marked\n";
        if (const std::string problem = deadPixelProblem(images[0].second, images[1].second, threshold);
            !problem.empty())
            return fail(problem);
    }
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
        // A stop waits for the applet, which removes its temporary coefficient files on every path.
        const InterruptGuard interruptGuard;
        const StopWaitsFor applet("the applet to finish the coefficients and remove its temporary files");
        failure = applyShadingCorrection(grabber, !arguments.black.empty(), !arguments.gray.empty());
        if (InterruptGuard::requested()) {
            std::cout << " interrupted; nothing kept\n";
            return InterruptGuard::exitCode();
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
        }
    }
    return session.keepSettings();
}

const CommandRegistrar registrar{Command{
    "shading", "compute shading coefficients from reference images and load them",
    [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("--black", arguments->black, "black reference image (8- or 16-bit TIFF or PNG)");
        sub.add_option("--gray", arguments->gray, "gray reference image (8- or 16-bit TIFF or PNG)");
        sub.add_option("--mode", arguments->mode,
                       "gain target of the gray reference: max-value (default), mean, max-range or custom")
            ->check(CLI::IsMember({"max-value", "mean", "max-range", "custom"}));
        sub.add_option("--value", arguments->value, "normalization value for --mode custom, 0 .. 4095");
        sub.add_option(
               "--threshold", arguments->threshold,
               "with --dead-pixels: a pixel is marked dead when its black value is above this or its gray "
               "value below full scale less this, on the references' own scale (0 .. 255 for 8-bit, "
               "0 .. 65535 for 16-bit); 0 .. 4095, default 127 for 8-bit and 4095 for 16-bit references")
            ->check(CLI::Range(int64_t{0}, int64_t{4095}));
        sub.add_flag(
            "--dead-pixels", arguments->deadPixels,
            "mark and replace dead pixels (needs --black and --gray; refused when it would mark more "
            "than 1 % of the pixels)");
        return std::function<int()>([&options, arguments] { return run(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
