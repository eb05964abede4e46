// The two shading coefficient images the applet keeps in host memory: per-pixel offsets and gains
// for the design's 4096 x 4096 coefficient buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kestrel {

inline constexpr std::size_t kCoefficientSide = 4096; // pixels per line and lines
inline constexpr std::size_t kCoefficientCount = kCoefficientSide * kCoefficientSide;
// Offsets count 1/16 grey level; this one marks a defective pixel.
inline constexpr uint16_t kDefectiveOffset = 65535;
inline constexpr uint16_t kNeutralOffset = 0;
// Gains have 12 fraction bits: this is 1.0.
inline constexpr uint16_t kNeutralGain = 4096;

// Each image is allocated on first use (32 MiB), never shrunk, and freed with the owner. Pixel
// (x, y) is element y x 4096 + x.
class CoefficientImages {
public:
    CoefficientImages() = default;
    CoefficientImages(const CoefficientImages&) = delete;
    CoefficientImages& operator=(const CoefficientImages&) = delete;

    // Allocate when missing (kErrOutOfMemory raised when that fails), then fill with the
    // neutral value: offsets 0, gains 4096.
    void initialiseOffsets();
    void initialiseGains();
    // The same, except that pixels x < width, y < height are left as they are: for a computation
    // about to write them.
    void initialiseOffsetsOutside(std::size_t width, std::size_t height);
    void initialiseGainsOutside(std::size_t width, std::size_t height);

    // Null until initialised.
    uint16_t* offsets() { return offsets_.get(); }
    uint16_t* gains() { return gains_.get(); }
    const uint16_t* offsets() const { return offsets_.get(); }
    const uint16_t* gains() const { return gains_.get(); }

private:
    std::unique_ptr<uint16_t[]> offsets_;
    std::unique_ptr<uint16_t[]> gains_;
};

} // namespace kestrel
