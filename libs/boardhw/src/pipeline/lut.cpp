// Lookup-table stage.
#include "pipeline/lut.h"

namespace kestrel::board {

Lut identityLut() {
    Lut lut{};
    for (size_t i = 0; i < kLutEntries; ++i)
        lut[i] = uint16_t(i);
    return lut;
}

void applyLut(Frame12& image, const Lut& lut) {
    for (uint16_t& value : image.pixels())
        value = lut[value & kSampleMask] & kSampleMask;
}

} // namespace kestrel::board
