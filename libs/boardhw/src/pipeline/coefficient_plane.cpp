// Construction of coefficient planes from raw coefficient elements.
#include "pipeline/coefficient_plane.h"

#include <algorithm>
#include <stdexcept>

namespace kestrel::board {

CoefficientPlane CoefficientPlane::fromElements(std::span<const uint16_t> elements) {
    if (elements.size() != size_t{kSide} * kSide)
        throw std::invalid_argument("coefficient image must hold 4096 x 4096 elements");
    CoefficientPlane plane(0);
    std::copy(elements.begin(), elements.end(), plane.values_.begin());
    return plane;
}

const uint16_t* CoefficientPlane::run(uint64_t sensorX, uint64_t sensorY, uint32_t count,
                                      uint16_t* scratch) const {
    const uint16_t* line = this->line(uint32_t(sensorY & kAddressMask));
    const uint32_t first = uint32_t(sensorX & kAddressMask);
    if (first + uint64_t{count} <= kSide)
        return line + first;
    for (uint32_t i = 0; i < count; ++i)
        scratch[i] = line[(first + i) & kAddressMask];
    return scratch;
}

} // namespace kestrel::board
