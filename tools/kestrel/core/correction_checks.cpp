// Sanity checks of shading references, dead-pixel thresholds and LUT files.
#include "correction_checks.h"

#include "config_file.h"

#include "regiort.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace kestrel::tool {
namespace {

constexpr int32_t kCoefficientSide = 4096;

std::string currentValue(const AppletParameters& parameters, const char* name) {
    const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), name);
    int32_t code = 0;
    const std::string text = parameters.valueText(parameters.findFeature(name), id, &code).value_or("");
    // An enumeration reads "FG_ON (1)": the entry is what counts here.
    return text.substr(0, text.find(" ("));
}

} // namespace

std::optional<ReferenceImage> readReference(const std::string& path, std::string* why) {
    if (std::string reason = whyNotReadable(path); !reason.empty()) {
        *why = "cannot be read: " + reason;
        return std::nullopt;
    }
    void* samples = nullptr;
    ReferenceImage image;
    int32_t perPixel = 0;
    if (ImageFile_Read(path.c_str(), &samples, &image.width, &image.height, &image.bits, &perPixel) == 0) {
        *why = "is not a TIFF image the image library can read";
        return std::nullopt;
    }
    const std::unique_ptr<void, void (*)(void*)> owned(samples, ImageFile_Release);
    if (perPixel != 1) {
        *why = "has " + std::to_string(perPixel) + " samples a pixel; a reference is a grey image of one";
        return std::nullopt;
    }
    if (image.bits != 8 && image.bits != 16) {
        *why = "has " + std::to_string(image.bits) + "-bit samples; a reference has 8 or 16";
        return std::nullopt;
    }
    const size_t count = size_t(image.width) * size_t(image.height);
    image.samples.resize(count);
    if (image.bits == 8)
        std::copy_n(static_cast<const uint8_t*>(samples), count, image.samples.begin());
    else
        std::copy_n(static_cast<const uint16_t*>(samples), count, image.samples.begin());
    return image;
}

DeadPixelForecast forecastDeadPixels(const ReferenceImage& black, const ReferenceImage& gray,
                                     uint32_t threshold) {
    DeadPixelForecast forecast;
    const int64_t lowestGray = (int64_t{1} << black.bits) - 1 - int64_t(threshold);
    const int32_t width = std::min({black.width, gray.width, kCoefficientSide});
    const int32_t height = std::min({black.height, gray.height, kCoefficientSide});
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const bool hot = black.samples[size_t(y) * size_t(black.width) + size_t(x)] > threshold;
            const bool dark = gray.samples[size_t(y) * size_t(gray.width) + size_t(x)] < lowestGray;
            forecast.hotInBlack += hot;
            forecast.darkInGray += dark;
            forecast.marked += hot || dark;
        }
    }
    forecast.pixels = uint64_t(std::max(width, 0)) * uint64_t(std::max(height, 0));
    return forecast;
}

// The applet's reader: the first line holding the key gives the count; value lines are taken in
// index order from the section on, each only when it holds the text of the next index.
LutFileContent readLutFileContent(const std::string& path) {
    LutFileContent content;
    std::ifstream in(path);
    std::string line;
    bool counted = false, inSection = false;
    while (std::getline(in, line)) {
        if (!counted && line.find("nrOfElements") != std::string::npos) {
            const size_t cut = line.find_first_of("='");
            content.declared =
                cut == std::string::npos ? 0 : uint64_t(std::max(0, std::atoi(line.c_str() + cut + 1)));
            counted = true;
        }
        if (!inSection) {
            inSection = line.find("[gray]") != std::string::npos;
            if (!inSection)
                continue;
        }
        if (content.taken < content.declared &&
            line.find(std::to_string(content.taken) + ",") != std::string::npos)
            ++content.taken;
        const size_t comma = line.find(',');
        if (comma != std::string::npos && comma > 0 && line.find_first_not_of("0123456789") == comma)
            content.lastIndex =
                std::max<uint64_t>(content.lastIndex.value_or(0), std::strtoull(line.c_str(), nullptr, 10));
    }
    return content;
}

std::string lutFileShortfall(const LutFileContent& content, uint64_t tableEntries) {
    const std::string table = "the table has " + std::to_string(tableEntries);
    if (content.taken < std::min(content.declared, tableEntries))
        return "declares " + std::to_string(content.declared) + " entries but its value lines stop after " +
               std::to_string(content.taken) + " (no line for index " + std::to_string(content.taken) +
               "): entries " + std::to_string(content.taken) + " .. " + std::to_string(tableEntries - 1) +
               " keep their values";
    if (content.declared < tableEntries)
        return "holds " + std::to_string(content.declared) + " entries and " + table + ": entries " +
               std::to_string(content.declared) + " .. " + std::to_string(tableEntries - 1) +
               " keep their values";
    if (content.declared > tableEntries)
        return "holds " + std::to_string(content.declared) + " entries and " + table + ": entries " +
               std::to_string(tableEntries) + " .. " + std::to_string(content.declared - 1) + " are not used";
    if (content.lastIndex && *content.lastIndex >= tableEntries)
        return "has a value line for index " + std::to_string(*content.lastIndex) + " and " + table +
               ": lines past index " + std::to_string(tableEntries - 1) + " are not used";
    return "";
}

std::vector<std::string> activeCorrections(const AppletParameters& parameters) {
    std::vector<std::string> active;
    for (const char* name :
         {"FG_SHADING_OFFSET_ENABLE", "FG_SHADING_GAIN_ENABLE", "FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE"})
        if (const std::string value = currentValue(parameters, name); value == "FG_ON")
            active.push_back(std::string(name) + "=" + value);
    const std::string type = currentValue(parameters, "FG_LUT_TYPE");
    if (type == "LUT_TYPE_CUSTOM") {
        active.push_back("FG_LUT_TYPE=" + type);
        return active;
    }
    const std::pair<const char*, const char*> identity[] = {{"FG_PROCESSING_OFFSET", "0"},
                                                            {"FG_PROCESSING_GAIN", "1"},
                                                            {"FG_PROCESSING_GAMMA", "1"},
                                                            {"FG_PROCESSING_INVERT", "FG_OFF"}};
    for (const auto& [name, neutral] : identity)
        if (const std::string value = currentValue(parameters, name); !value.empty() && value != neutral)
            active.push_back(std::string(name) + "=" + value);
    return active;
}

} // namespace kestrel::tool
