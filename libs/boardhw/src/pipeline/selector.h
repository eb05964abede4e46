// Image selector: passes one frame of every `period`, the one at `phase`.
#pragma once

#include <cstdint>

namespace kestrel::board {

// Frames are counted where they reach the selector, from 0 at acquisition start. The period is
// at least 1 and the phase below it; validate() in settings.h refuses anything else.
struct ImageSelector {
    uint32_t period = 1;
    uint32_t phase = 0;

    bool passes(uint64_t frameIndex) const { return frameIndex % period == phase; }
    friend bool operator==(const ImageSelector&, const ImageSelector&) = default;
};

} // namespace kestrel::board
