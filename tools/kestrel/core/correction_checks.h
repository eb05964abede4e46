// Corrections that cannot work, found before the applet applies them: dead-pixel marks the
// applet's rule would put on most of the image, references that do not fit the window or each
// other, LUT files that do not fill the table, and references recorded through a correction.
#pragma once

#include "parameter_view.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::tool {

// Grey samples of a reference image as the applet reads it (8 or 16 bits, one sample a pixel).
struct ReferenceImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bits = 0;
    std::vector<uint16_t> samples; // row by row, width x height
};

// Reads a reference (a TIFF: PNG references reach the applet as TIFF copies) the way the applet
// will; on failure why it would refuse it ("cannot be read: No such file or directory", "has 3
// samples a pixel; ...", "has 12-bit samples; ...").
std::optional<ReferenceImage> readReference(const std::string& path, std::string* why);

// The pixels the applet would mark defective with threshold T: it compares on the references' own
// scale, marking a pixel whose black value is above T or whose gray value is below
// 2^(black bits) - 1 - T, inside both references and the 4096 x 4096 coefficients.
struct DeadPixelForecast {
    uint64_t marked = 0;
    uint64_t pixels = 0;
    uint64_t hotInBlack = 0; // marked for their black value
    uint64_t darkInGray = 0; // marked for their gray value
};
DeadPixelForecast forecastDeadPixels(const ReferenceImage& black, const ReferenceImage& gray,
                                     uint32_t threshold);

// The share of marked pixels above which a dead-pixel run is refused: sensors with more defects
// than this are not corrected by interpolation, and a threshold that marks them is on the wrong
// scale.
constexpr double kMaxDeadPixelShare = 0.01;

// What a LUT file gives the applet's table: the element count it declares, the value lines the
// applet's reader takes in index order, and the last index of any value line.
struct LutFileContent {
    uint64_t declared = 0;
    uint64_t taken = 0;
    std::optional<uint64_t> lastIndex;
};
LutFileContent readLutFileContent(const std::string& path);
// "" when the file fills the table of tableEntries exactly; else what it leaves or drops, with the
// counts.
std::string lutFileShortfall(const LutFileContent& content, uint64_t tableEntries);

// The corrections that change the pixels now: shading offset, gain and dead-pixel replacement, a
// custom or non-identity lookup table; each as "NAME=VALUE". Empty when the pixels pass unchanged.
std::vector<std::string> activeCorrections(const AppletParameters& parameters);

} // namespace kestrel::tool
