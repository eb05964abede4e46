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
constexpr size_t kLanes = 16;
// The all-lanes masked forms: g++ 12 warns that the unmasked ones read an undefined vector.
constexpr __mmask16 kAll = 0xFFFF;
constexpr size_t kLineBytes = 64;

// Sixteen table entries for the sixteen values at `values`.
[[gnu::target("avx512f"), gnu::always_inline]] inline __m512i gatherEntries(const uint16_t* table,
                                                                            const uint16_t* values) {
    const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values));
    const __m512i index =
        _mm512_and_si512(_mm512_maskz_cvtepu16_epi32(kAll, words), _mm512_set1_epi32(kSampleMask));
    return _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), kAll, index, table, sizeof(uint16_t));
}

// A line of 8-bit pixels is four gathers, a line of 16-bit ones two, narrowed and joined.
template <size_t kPixelBytes>
[[gnu::target("avx512f"), gnu::always_inline]] inline __m512i gatherLine(const uint16_t* table,
                                                                         const uint16_t* values) {
    if constexpr (kPixelBytes == 1) {
        const __m128i part0 = _mm512_maskz_cvtepi32_epi8(kAll, gatherEntries(table, values));
        const __m128i part1 = _mm512_maskz_cvtepi32_epi8(kAll, gatherEntries(table, values + kLanes));
        const __m128i part2 = _mm512_maskz_cvtepi32_epi8(kAll, gatherEntries(table, values + 2 * kLanes));
        const __m128i part3 = _mm512_maskz_cvtepi32_epi8(kAll, gatherEntries(table, values + 3 * kLanes));
        __m512i line = _mm512_maskz_inserti32x4(kAll, _mm512_setzero_si512(), part0, 0);
        line = _mm512_maskz_inserti32x4(kAll, line, part1, 1);
        line = _mm512_maskz_inserti32x4(kAll, line, part2, 2);
        return _mm512_maskz_inserti32x4(kAll, line, part3, 3);
    } else {
        const __m256i low = _mm512_maskz_cvtepi32_epi16(kAll, gatherEntries(table, values));
        const __m256i high = _mm512_maskz_cvtepi32_epi16(kAll, gatherEntries(table, values + kLanes));
        const __m512i line = _mm512_maskz_inserti64x4(0xFF, _mm512_setzero_si512(), low, 0);
        return _mm512_maskz_inserti64x4(0xFF, line, high, 1);
    }
}

template <size_t kPixelBytes>
[[gnu::target("avx512f"), gnu::always_inline]] inline size_t
gatherKernel(const uint16_t* table, const uint16_t* values, size_t n, uint8_t* out, bool toMemory) {
    size_t x = 0;
    // Written whole, a line need not be read from memory first, as a cached store would.
    if (toMemory && reinterpret_cast<uintptr_t>(out) % kLineBytes == 0) {
        constexpr size_t kLinePixels = kLineBytes / kPixelBytes;
        for (; x + kLinePixels <= n; x += kLinePixels)
            _mm512_stream_si512(reinterpret_cast<__m512i*>(out + x * kPixelBytes),
                                gatherLine<kPixelBytes>(table, values + x));
    }
    for (; x + kLanes <= n; x += kLanes) {
        const __m512i entries = gatherEntries(table, values + x);
        if constexpr (kPixelBytes == 1)
            _mm512_mask_cvtepi32_storeu_epi8(out + x, kAll, entries);
        else
            _mm512_mask_cvtepi32_storeu_epi16(out + 2 * x, kAll, entries);
    }
    return x;
}

[[gnu::target("avx512f")]] size_t gatherPixels8(const uint16_t* table, const uint16_t* values, size_t n,
                                                uint8_t* out, bool toMemory) {
    return gatherKernel<1>(table, values, n, out, toMemory);
}

[[gnu::target("avx512f")]] size_t gatherPixels16(const uint16_t* table, const uint16_t* values, size_t n,
                                                 uint8_t* out, bool toMemory) {
    return gatherKernel<2>(table, values, n, out, toMemory);
}

} // namespace

bool processorGathers() {
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") != 0;
    }();
    return supported;
}

size_t gatherPixels(const uint16_t* table, const uint16_t* values, size_t n, uint8_t* out, size_t pixelBytes,
                    bool toMemory) {
    return pixelBytes == 1 ? gatherPixels8(table, values, n, out, toMemory)
                           : gatherPixels16(table, values, n, out, toMemory);
}

void finishStreamingStores() {
    _mm_sfence();
}

} // namespace kestrel::board
