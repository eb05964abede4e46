// Table lookup by vector gathers: sixteen table loads per instruction.
#include "pipeline/table_gather.h"

#include "pipeline/frame.h"

#include <immintrin.h>

namespace kestrel::board {

namespace {

// The functions below are compiled for AVX-512 alone and called only after the processor was
// asked, so the rest of the build keeps its baseline instruction set. One load and one gather
// cover sixteen pixels where scalar code needs sixteen loads of values and sixteen of entries:
// the lookup is bound by the load ports, and this halves their work.
template <size_t kPixelBytes>
[[gnu::target("avx512f"), gnu::always_inline]] inline size_t
gatherKernel(const uint16_t* table, const uint16_t* values, size_t n, uint8_t* out) {
    constexpr size_t kLanes = 16;
    // The all-lanes masked forms: g++ 12 warns that the unmasked ones read an undefined vector.
    constexpr __mmask16 kAll = 0xFFFF;
    const __m512i mask = _mm512_set1_epi32(kSampleMask);
    size_t x = 0;
    for (; x + kLanes <= n; x += kLanes) {
        const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values + x));
        const __m512i index = _mm512_and_si512(_mm512_maskz_cvtepu16_epi32(kAll, words), mask);
        const __m512i entries =
            _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), kAll, index, table, sizeof(uint16_t));
        if constexpr (kPixelBytes == 1)
            _mm512_mask_cvtepi32_storeu_epi8(out + x, kAll, entries);
        else
            _mm512_mask_cvtepi32_storeu_epi16(out + 2 * x, kAll, entries);
    }
    return x;
}

[[gnu::target("avx512f")]] size_t gatherPixels8(const uint16_t* table, const uint16_t* values, size_t n,
                                                uint8_t* out) {
    return gatherKernel<1>(table, values, n, out);
}

[[gnu::target("avx512f")]] size_t gatherPixels16(const uint16_t* table, const uint16_t* values, size_t n,
                                                 uint8_t* out) {
    return gatherKernel<2>(table, values, n, out);
}

} // namespace

bool processorGathers() {
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") != 0;
    }();
    return supported;
}

size_t gatherPixels(const uint16_t* table, const uint16_t* values, size_t n, uint8_t* out,
                    size_t pixelBytes) {
    return pixelBytes == 1 ? gatherPixels8(table, values, n, out) : gatherPixels16(table, values, n, out);
}

} // namespace kestrel::board
