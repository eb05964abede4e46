// The camera simulator's frames: a diagonal ramp that rolls from frame to frame.
#pragma once

#include "pipeline/frame_source.h"

#include <cstdint>

namespace kestrel::board {

// p(x, y) = (x + y + n x roll) mod 4096 for frame n; pixel x comes from tap x mod 4, and a tap
// whose bit in the tap mask is clear sends 0.
struct GeneratorSettings {
    uint32_t widthPixels = 1024;
    uint32_t heightLines = 1024;
    uint8_t tapMask = 0x0F;
    uint32_t rollPerFrame = 0;

    // From the simulator's own counts: the width in words of four pixels and the height less
    // one line (so 0xFFFFFFFF, the height 0 wrapped, gives an empty frame).
    static GeneratorSettings fromWordCounts(uint32_t widthWords, uint32_t heightMinusOne, uint32_t tapMask,
                                            uint32_t roll);

    friend bool operator==(const GeneratorSettings&, const GeneratorSettings&) = default;
};

class GeneratorSource final : public FrameSource {
public:
    explicit GeneratorSource(const GeneratorSettings& settings) : settings_(settings) {}

    const GeneratorSettings& settings() const { return settings_; }
    uint32_t widthPixels() const override { return settings_.widthPixels; }
    uint32_t heightLines() const override { return settings_.heightLines; }
    void renderLine(uint64_t frameNumber, uint32_t y, uint16_t* line) const override;

    // The one pixel, for tests and for sources that need a single value.
    uint16_t pixel(uint64_t frameNumber, uint32_t x, uint32_t y) const;

private:
    GeneratorSettings settings_;
};

} // namespace kestrel::board
