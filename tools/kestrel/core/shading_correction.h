// The automatic shading correction once the applet knows its reference images: the applet reads
// them, computes the coefficients and loads them into the board, and the correction is switched on.
#pragma once

#include "grabhost5.hpp"

#include <string>

namespace kestrel::tool {

// Computes the coefficients from the reference files the applet holds, then enables the offset
// correction when a black reference was given and the gain correction when a gray one was: "" or
// "PARAMETER: reason" of the step that failed.
std::string applyShadingCorrection(gh5::Grabber& grabber, bool withBlack, bool withGray);

} // namespace kestrel::tool
