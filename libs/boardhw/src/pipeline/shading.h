// Shading correction: per-pixel offset subtraction and gain multiplication.
#pragma once

#include "pipeline/coefficient_plane.h"
#include "pipeline/deadpixel.h"
#include "pipeline/frame.h"
#include "pipeline/roi.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace kestrel::board {

// Coefficient images are addressed at sensor coordinates, so a moved window keeps each pixel's
// own coefficients. A missing image reads as freshly initialised: offsets 0, gains 4096.
struct ShadingSettings {
    bool offsetEnabled = false;
    bool gainEnabled = false;
    // Gain applied to every pixel while gain correction is off (4096 = 1.0).
    uint16_t defaultGain = CoefficientPlane::kUnityGain;
    std::shared_ptr<const CoefficientPlane> offsets;
    std::shared_ptr<const CoefficientPlane> gains;

    // The coefficient images compare by identity: an image is never changed once it is shared.
    friend bool operator==(const ShadingSettings&, const ShadingSettings&) = default;
};

// One pixel, exactly as the design computes it. `offset` is the raw offset coefficient in 1/16
// grey level (65535, the defect mark, subtracts nothing) or 0 when offset correction is off;
// `gain` is the gain coefficient, or the default gain when gain correction is off.
// q = 16p - o; r = (q g + 2048) >> 12 (arithmetic: q may be negative); clamp((r + 8) >> 4).
// Gain correction off with the default gain 4096 gives r = q exactly, so the pixel then passes
// with only its offset removed, and unchanged with both corrections off.
constexpr uint16_t shadePixel(uint16_t sample, uint16_t offset, uint16_t gain) {
    const int64_t o = offset == CoefficientPlane::kDefective ? 0 : offset;
    const int64_t q = 16 * int64_t{sample} - o;
    const int64_t r = (q * gain + 2048) >> 12;
    return uint16_t(std::clamp<int64_t>((r + 8) >> 4, 0, kMaxSample));
}

// Whole-frame shading of a cut window, written for clarity.
Frame12 applyShading(const Frame12& window, const RoiWindow& roi, const ShadingSettings& settings);

// One line of n raw samples (cut to 12 bits here) into n shaded values. `offsets` is null when
// offset correction is off; `gains` is null when every pixel takes `constantGain`. The
// buffers must not overlap.
void shadeLine(const uint16_t* samples, const uint16_t* offsets, const uint16_t* gains, uint16_t constantGain,
               uint16_t* out, size_t n);

// shadeLine with offsets, which also fills defectBlockWords(n) words of `defectBlocks` from the
// marks it reads on the way (see replaceDeadPixelsInBlocks).
void shadeLineFindingDefects(const uint16_t* samples, const uint16_t* offsets, const uint16_t* gains,
                             uint16_t constantGain, uint16_t* out, size_t n, uint64_t* defectBlocks);

} // namespace kestrel::board
