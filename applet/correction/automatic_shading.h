// The automatic shading correction: offsets from a black reference image, gains from a gray one.
#pragma once

#include <cstdint>

#include "correction/coefficient_images.h"
#include "correction/reference_image.h"

namespace kestrel {

// Modes of FG_SHADING_GAIN_CORRECTION_MODE: what the gains normalise to.
enum class GainCorrectionMode : uint32_t { MaxValue = 0, MeanValue = 1, MaxRange = 2, CustomValue = 3 };

// Fills offsets[y x 4096 + x] for the part of the black image inside 4096 x 4096: the black level
// in 1/16 grey level of 12 bits (8-bit b gives b x 256, 16-bit b gives b), at most 65534. With
// `markDefective`, a pixel also inside the gray image whose black level is above `threshold`, or
// whose gray level is below 2^blackBits - 1 - threshold, gets the defective mark 65535. Nothing
// happens without a black image; the gray image may be absent.
// Only rows firstRow <= y < endRow are computed; the default range is the whole image.
void computeOffsets(const ReferenceImage& black, const ReferenceImage& gray, uint32_t threshold,
                    bool markDefective, uint16_t* offsets, int32_t firstRow = 0,
                    int32_t endRow = static_cast<int32_t>(kCoefficientSide));

// The level d(x, y) the gains normalise: g / (2^grayBits - 1), less b / (2^blackBits - 1) where a
// black image covers (x, y). The target over the whole gray image: the largest d (from 0.0) for
// MaxValue, the mean for MeanValue, 1.0 for MaxRange and customValue / 4095 for CustomValue.
double gainTarget(const ReferenceImage& black, const ReferenceImage& gray, GainCorrectionMode mode,
                  double customValue);

// Fills gains[y x 4096 + x] for the part of the gray image inside 4096 x 4096 with
// trunc(target / d x 4096 + 0.5), at most 65535; a quotient that is zero, negative or undefined
// gives 65535. Requires a gray image. Only rows firstRow <= y < endRow, as for the offsets.
void computeGains(const ReferenceImage& black, const ReferenceImage& gray, double target, uint16_t* gains,
                  int32_t firstRow = 0, int32_t endRow = static_cast<int32_t>(kCoefficientSide));

} // namespace kestrel
