// The design's settings as the emulation reads them: register values grouped by pipeline stage.
#pragma once

#include "register_file.h"
#include "register_roles.h"

#include <array>
#include <cstdint>

namespace kestrel::boardhw {

// Camera simulator timing, in the registers' own units (4-pixel words, lines minus one, clocks
// minus one); the helpers give the physical sizes.
struct GeneratorSettings {
    bool enabled = false;
    bool running = false;
    uint32_t widthWords = 0;
    uint32_t lineWidthWords = 0;
    uint32_t heightMinus1 = 0;
    uint32_t activeMinus1 = 0;
    uint32_t passiveMinus1 = 0;
    uint32_t tapMask = 0;
    uint32_t roll = 0;

    uint32_t frameWidthPixels() const { return 4 * widthWords; }
    uint32_t lineLengthClocks() const { return 4 * lineWidthWords; }
    uint32_t frameHeightLines() const { return heightMinus1 + 1; }
    // Pixel rate of the simulator: 125 MHz scaled by the active share of a clock period.
    double pixelRateHz() const {
        const double active = activeMinus1 + 1.0;
        const double passive = passiveMinus1 + 1.0;
        return 125.0e6 * active / (active + passive);
    }
};

// A window at sensor coordinates, in pixels and lines.
struct Window {
    uint32_t xOffsetPixels = 0;
    uint32_t yOffsetLines = 0;
    uint32_t widthPixels = 0;
    uint32_t heightLines = 0;
};

struct DesignSettings {
    GeneratorSettings generator;
    uint32_t cameraFormat = 0; // 0: 8-bit, 1: 10-bit, 2: 12-bit camera
    bool useDval = false;
    std::array<Window, 2> bankWindow;    // the image buffer's two DRAM banks
    std::array<Window, 2> shadingWindow; // the two coefficient buffers, x in pixels
    bool offsetCorrection = false;
    bool gainCorrection = false;
    uint32_t defaultGain = 0; // gain used while gain correction is off (4096 = 1.0)
    bool deadPixelReplacement = false;
    bool noiseFilter = false;
    uint32_t selectorPeriod = 0;
    uint32_t selectorPhase = 0;
    bool eightBitOutput = false;
    bool leftAligned = false;
    bool overflow = false;
    std::array<uint32_t, 2> fillLevelPercent{};

    uint32_t cameraBitDepth() const { return cameraFormat == 0 ? 8 : cameraFormat == 1 ? 10 : 12; }
    uint32_t bitsPerOutputPixel() const { return eightBitOutput ? 8 : 16; }
};

// Reads the current values; registers the design lacks read as 0.
DesignSettings readDesignSettings(const RegisterFile& registers, const RoleMap& roles);

} // namespace kestrel::boardhw
