// One of the board's two shading coefficient images (offset or gain), 4096 x 4096 uint16.
#pragma once

#include "pipeline/large_buffer.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kestrel::board {

// Coefficient images cover a 4096 x 4096 sensor. Their address counters are 12 bits wide, so a
// sensor coordinate beyond 4095 wraps around (X mod 4096, Y mod 4096) rather than failing.
class CoefficientPlane {
public:
    static constexpr uint32_t kSide = 4096;
    static constexpr uint32_t kAddressMask = kSide - 1;

    // Offset coefficient that marks a defective pixel (and counts as offset 0).
    static constexpr uint16_t kDefective = 65535;
    // Neutral values: what a freshly initialised buffer holds.
    static constexpr uint16_t kNeutralOffset = 0;
    static constexpr uint16_t kUnityGain = 4096;

    explicit CoefficientPlane(uint16_t fill) : values_(size_t{kSide} * kSide, fill) {}

    // Builds a plane from raw elements in row order (line stride 4096); `elements` must hold
    // exactly 4096 x 4096 values, else std::invalid_argument.
    static CoefficientPlane fromElements(std::span<const uint16_t> elements);

    // Wrapped sensor coordinates.
    uint16_t at(uint64_t sensorX, uint64_t sensorY) const { return values_[index(sensorX, sensorY)]; }
    void set(uint64_t sensorX, uint64_t sensorY, uint16_t value) { values_[index(sensorX, sensorY)] = value; }

    // Line y (0..4095) as 4096 contiguous elements.
    const uint16_t* line(uint32_t y) const { return values_.data() + size_t{y} * kSide; }
    uint16_t* line(uint32_t y) { return values_.data() + size_t{y} * kSide; }

    // `count` coefficients from (sensorX, sensorY) onwards along the line, wrapping as above.
    // Points into the plane when no wrap occurs, else fills `scratch` (count elements).
    const uint16_t* run(uint64_t sensorX, uint64_t sensorY, uint32_t count, uint16_t* scratch) const;

    std::span<const uint16_t> elements() const { return values_; }
    std::span<uint16_t> elements() { return values_; }

private:
    static size_t index(uint64_t sensorX, uint64_t sensorY) {
        return size_t(sensorY & kAddressMask) * kSide + size_t(sensorX & kAddressMask);
    }

    LargeBuffer<uint16_t> values_;
};

} // namespace kestrel::board
