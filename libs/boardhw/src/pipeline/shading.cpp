// Shading correction, whole frame and vectorised line kernels.
#include "pipeline/shading.h"
#include "pipeline/vector_clones.h"

namespace kestrel::board {

Frame12 applyShading(const Frame12& window, const RoiWindow& roi, const ShadingSettings& settings) {
    Frame12 shaded(window.widthPixels(), window.heightLines());
    for (uint32_t y = 0; y < window.heightLines(); ++y) {
        for (uint32_t x = 0; x < window.widthPixels(); ++x) {
            const uint64_t sensorX = uint64_t{x} + roi.xOffset;
            const uint64_t sensorY = uint64_t{y} + roi.yOffset;
            uint16_t offset = 0;
            if (settings.offsetEnabled && settings.offsets)
                offset = settings.offsets->at(sensorX, sensorY);
            uint16_t gain = settings.defaultGain;
            if (settings.gainEnabled)
                gain = settings.gains ? settings.gains->at(sensorX, sensorY) : CoefficientPlane::kUnityGain;
            shaded.at(x, y) = shadePixel(window.at(x, y), offset, gain);
        }
    }
    return shaded;
}

namespace {

// The kernel works in 16-bit lanes, so a vector holds as many pixels as the median's. With q <= 0
// the result is 0 whatever the gain, so q saturates at 0: 16p - o becomes 16p - min(16p, o), and
// 16p (at most 65520) fits 16 bits once the sample is cut to 12. The two roundings fold into one:
// ((q g + 2048) >> 12 + 8) >> 4 == (q g + 34816) >> 16, and with q g = 65536 hi + lo that is
// hi + (lo >= 30720): the high and low halves of a 16 x 16-bit product, one instruction each.
// Lines are walked in blocks of a fixed size so the compiler vectorises them without a
// run-time trip count, with the same arithmetic for the tail.
constexpr size_t kBlock = kDefectBlockPixels;

[[gnu::always_inline]] inline uint16_t min16(uint16_t a, uint16_t b) {
    return a < b ? a : b;
}

template <bool kOffsets>
[[gnu::always_inline]] inline uint16_t shadeOne(uint16_t sample, uint16_t offset, uint16_t gain) {
    uint16_t q = uint16_t(sample << 4);
    if constexpr (kOffsets) {
        const uint16_t o = offset == CoefficientPlane::kDefective ? 0 : offset;
        q = uint16_t(q - min16(q, o));
    }
    const auto high = uint16_t((uint32_t{q} * gain) >> 16);
    const auto low = uint16_t(uint32_t{q} * uint32_t{gain});
    const auto v = uint16_t(high + (low >= 30720 ? 1 : 0));
    return min16(v, kMaxSample);
}

// With kFindDefects, block b's defect flag is the OR of its marks, found with the same loads,
// and every word of flags is written, the last one's unused bits clear.
template <bool kOffsets, bool kGainLine, bool kFindDefects = false>
[[gnu::always_inline]] inline void
shadeKernel(const uint16_t* __restrict samples, const uint16_t* __restrict offsets,
            const uint16_t* __restrict gains, uint16_t constantGain, uint16_t* __restrict out, size_t n,
            uint64_t* __restrict defectBlocks = nullptr) {
    size_t x = 0;
    size_t block = 0;
    uint64_t flags = 0;
    for (; x + kBlock <= n; x += kBlock, ++block) {
        uint16_t defects = 0;
        for (size_t i = 0; i < kBlock; ++i) {
            out[x + i] = shadeOne<kOffsets>(samples[x + i], kOffsets ? offsets[x + i] : 0,
                                            kGainLine ? gains[x + i] : constantGain);
            if constexpr (kFindDefects)
                defects |= offsets[x + i] == CoefficientPlane::kDefective ? 1 : 0;
        }
        if constexpr (kFindDefects) {
            flags |= uint64_t{defects} << (block % 64);
            if (block % 64 == 63) {
                defectBlocks[block / 64] = flags;
                flags = 0;
            }
        }
    }
    uint16_t defects = 0;
    for (size_t i = x; i < n; ++i) {
        out[i] =
            shadeOne<kOffsets>(samples[i], kOffsets ? offsets[i] : 0, kGainLine ? gains[i] : constantGain);
        if constexpr (kFindDefects)
            defects |= offsets[i] == CoefficientPlane::kDefective ? 1 : 0;
    }
    if constexpr (kFindDefects) {
        // The tail block may be the last of its word, which the loop above then never wrote.
        if (x < n)
            flags |= uint64_t{defects} << (block++ % 64);
        if (x < n || block % 64 != 0)
            defectBlocks[(block - 1) / 64] = flags;
    }
}

KESTREL_VECTOR_CLONES void shadeWithOffsetsAndGains(const uint16_t* samples, const uint16_t* offsets,
                                                    const uint16_t* gains, uint16_t* out, size_t n) {
    shadeKernel<true, true>(samples, offsets, gains, 0, out, n);
}

KESTREL_VECTOR_CLONES void shadeWithOffsetsAndGainsFindingDefects(const uint16_t* samples,
                                                                  const uint16_t* offsets,
                                                                  const uint16_t* gains, uint16_t* out,
                                                                  size_t n, uint64_t* defectBlocks) {
    shadeKernel<true, true, true>(samples, offsets, gains, 0, out, n, defectBlocks);
}

KESTREL_VECTOR_CLONES void shadeWithOffsetsFindingDefects(const uint16_t* samples, const uint16_t* offsets,
                                                          uint16_t constantGain, uint16_t* out, size_t n,
                                                          uint64_t* defectBlocks) {
    shadeKernel<true, false, true>(samples, offsets, nullptr, constantGain, out, n, defectBlocks);
}

KESTREL_VECTOR_CLONES void shadeWithOffsets(const uint16_t* samples, const uint16_t* offsets,
                                            uint16_t constantGain, uint16_t* out, size_t n) {
    shadeKernel<true, false>(samples, offsets, nullptr, constantGain, out, n);
}

KESTREL_VECTOR_CLONES void shadeWithGains(const uint16_t* samples, const uint16_t* gains, uint16_t* out,
                                          size_t n) {
    shadeKernel<false, true>(samples, nullptr, gains, 0, out, n);
}

KESTREL_VECTOR_CLONES void shadeUniform(const uint16_t* samples, uint16_t constantGain, uint16_t* out,
                                        size_t n) {
    shadeKernel<false, false>(samples, nullptr, nullptr, constantGain, out, n);
}

} // namespace

void shadeLine(const uint16_t* samples, const uint16_t* offsets, const uint16_t* gains, uint16_t constantGain,
               uint16_t* out, size_t n) {
    if (offsets && gains)
        shadeWithOffsetsAndGains(samples, offsets, gains, out, n);
    else if (offsets)
        shadeWithOffsets(samples, offsets, constantGain, out, n);
    else if (gains)
        shadeWithGains(samples, gains, out, n);
    else
        shadeUniform(samples, constantGain, out, n);
}

void shadeLineFindingDefects(const uint16_t* samples, const uint16_t* offsets, const uint16_t* gains,
                             uint16_t constantGain, uint16_t* out, size_t n, uint64_t* defectBlocks) {
    if (gains)
        shadeWithOffsetsAndGainsFindingDefects(samples, offsets, gains, out, n, defectBlocks);
    else
        shadeWithOffsetsFindingDefects(samples, offsets, constantGain, out, n, defectBlocks);
}

} // namespace kestrel::board
