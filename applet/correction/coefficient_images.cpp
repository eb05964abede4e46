// Allocation and reset of the shading coefficient images.
#include "correction/coefficient_images.h"

#include <algorithm>
#include <new>

#include "core/error_codes.h"

namespace kestrel {

namespace {

void initialise(std::unique_ptr<uint16_t[]>& image, uint16_t value, std::size_t width, std::size_t height) {
    if (!image) {
        // Refused allocations are an ordinary outcome here (32 MiB at a time), reported as a code.
        image.reset(new (std::nothrow) uint16_t[kCoefficientCount]);
        if (!image)
            raise(kErrOutOfMemory);
    }
    width = std::min(width, kCoefficientSide);
    height = std::min(height, kCoefficientSide);
    if (width < kCoefficientSide)
        for (std::size_t y = 0; y < height; ++y)
            std::fill_n(image.get() + y * kCoefficientSide + width, kCoefficientSide - width, value);
    std::fill(image.get() + height * kCoefficientSide, image.get() + kCoefficientCount, value);
}

} // namespace

void CoefficientImages::initialiseOffsets() {
    initialise(offsets_, kNeutralOffset, 0, 0);
}

void CoefficientImages::initialiseGains() {
    initialise(gains_, kNeutralGain, 0, 0);
}

void CoefficientImages::initialiseOffsetsOutside(std::size_t width, std::size_t height) {
    initialise(offsets_, kNeutralOffset, width, height);
}

void CoefficientImages::initialiseGainsOutside(std::size_t width, std::size_t height) {
    initialise(gains_, kNeutralGain, width, height);
}

} // namespace kestrel
