// Allocation and reset of the shading coefficient images.
#include "correction/coefficient_images.h"

#include <algorithm>
#include <new>

#include "api/error_codes.h"

namespace kestrel {

namespace {

void initialise(std::unique_ptr<uint16_t[]>& image, uint16_t value) {
    if (!image) {
        // Refused allocations are an ordinary outcome here (32 MiB at a time), reported as a code.
        image.reset(new (std::nothrow) uint16_t[kCoefficientCount]);
        if (!image)
            raise(kErrOutOfMemory);
    }
    std::fill_n(image.get(), kCoefficientCount, value);
}

}  // namespace

void CoefficientImages::initialiseOffsets() { initialise(offsets_, kNeutralOffset); }

void CoefficientImages::initialiseGains() { initialise(gains_, kNeutralGain); }

}  // namespace kestrel
