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
constexpr size_t kBlock = 32;

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

template <bool kOffsets, bool kGainLine>
[[gnu::always_inline]] inline void
shadeKernel(const uint16_t* __restrict samples, const uint16_t* __restrict offsets,
            const uint16_t* __restrict gains, uint16_t constantGain, uint16_t* __restrict out, size_t n) {
    size_t x = 0;
    for (; x + kBlock <= n; x += kBlock) {
        for (size_t i = 0; i < kBlock; ++i)
            out[x + i] = shadeOne<kOffsets>(samples[x + i], kOffsets ? offsets[x + i] : 0,
                                            kGainLine ? gains[x + i] : constantGain);
    }
    for (; x < n; ++x)
        out[x] =
            shadeOne<kOffsets>(samples[x], kOffsets ? offsets[x] : 0, kGainLine ? gains[x] : constantGain);
}

KESTREL_VECTOR_CLONES void shadeWithOffsetsAndGains(const uint16_t* samples, const uint16_t* offsets,
                                                    const uint16_t* gains, uint16_t* out, size_t n) {
    shadeKernel<true, true>(samples, offsets, gains, 0, out, n);
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

} // namespace kestrel::board
