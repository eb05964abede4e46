// Table lookup by vector gathers: sixteen table loads per instruction.
#include "pipeline/table_gather.h"

#include "pipeline/frame.h"

#include <immintrin.h>

namespace kestrel::board {

namespace {

// The functions below are compiled for AVX-512 alone and called only after the processor was
// asked, so the rest of the build keeps its baseline instruction set. One load and one gather
// cover sixteen pixels where scalar code needs sixteen loads of values and sixteen of entries.
//
// A gather is still slow, about twelve cycles for sixteen loads, and the values of a line of
// pixels usually lie close together: where the 64 values of a 64-byte line of 8-bit pixels span
// less than a window of the table, the window is loaded as whole vectors from the lowest value's
// entry on and each pixel picked out of it by its value's distance from the lowest, four permutes
// of two vectors each. Lines of wider span are gathered. (For 16-bit pixels the same window is
// twice the loads and permutes for half the pixels, and measured slower than the gathers.)
constexpr size_t kLanes = 16;
// The all-lanes masked forms: g++ 12 warns that the unmasked ones read an undefined vector.
constexpr __mmask16 kAll = 0xFFFF;
constexpr size_t kLineBytes = 64;

#define KESTREL_GATHERS "avx512f,avx512bw"
// Permutes of bytes come with the vector byte-manipulation instructions.
#define KESTREL_BYTE_PERMUTES "avx512f,avx512bw,avx512vbmi"

// Sixteen table entries for the sixteen values at `values`.
[[gnu::target(KESTREL_GATHERS), gnu::always_inline]] inline __m512i gatherEntries(const uint16_t* table,
                                                                                  const uint16_t* values) {
    const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values));
    const __m512i index =
        _mm512_and_si512(_mm512_maskz_cvtepu16_epi32(kAll, words), _mm512_set1_epi32(kSampleMask));
    return _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), kAll, index, table, sizeof(uint16_t));
}

// A line of 8-bit pixels is four gathers, a line of 16-bit ones two, narrowed and joined.
template <size_t kPixelBytes>
[[gnu::target(KESTREL_GATHERS), gnu::always_inline]] inline __m512i gatherLine(const uint16_t* table,
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

// 32 values masked to 12 bits.
[[gnu::target(KESTREL_GATHERS), gnu::always_inline]] inline __m512i valuesAt(const uint16_t* values) {
    return _mm512_and_si512(_mm512_loadu_si512(values), _mm512_set1_epi16(kSampleMask));
}

// The lowest of 32 values.
[[gnu::target(KESTREL_GATHERS), gnu::always_inline]] inline uint16_t lowestOf(__m512i v) {
    const __m256i quarter = _mm256_min_epu16(_mm512_maskz_extracti64x4_epi64(0xFF, v, 0),
                                             _mm512_maskz_extracti64x4_epi64(0xFF, v, 1));
    const __m128i eighth =
        _mm_min_epu16(_mm256_castsi256_si128(quarter), _mm256_extracti128_si256(quarter, 1));
    return uint16_t(_mm_cvtsi128_si32(_mm_minpos_epu16(eighth)));
}

// The entries at `piece` + distance (below 128) of 64 distances.
[[gnu::target(KESTREL_BYTE_PERMUTES), gnu::always_inline]] inline __m512i bytePiece(const uint8_t* piece,
                                                                                    __m512i distance) {
    return _mm512_permutex2var_epi8(_mm512_loadu_si512(piece), distance, _mm512_loadu_si512(piece + 64));
}

// Bit `bit` of each of the 64 distances of two vectors of 32.
[[gnu::target(KESTREL_GATHERS), gnu::always_inline]] inline __mmask64 distanceBits(__m512i near, __m512i far,
                                                                                   short bit) {
    const __m512i test = _mm512_set1_epi16(bit);
    return _mm512_kunpackd(_mm512_test_epi16_mask(far, test), _mm512_test_epi16_mask(near, test));
}

// 64 8-bit pixels by permutation from a window of 512 entries (four of 128), when the values
// span no more; false otherwise.
[[gnu::target(KESTREL_BYTE_PERMUTES), gnu::always_inline]] inline bool
windowLine8(const uint8_t* table, const uint16_t* values, __m512i& line) {
    const __m512i first = valuesAt(values);
    const __m512i second = valuesAt(values + 32);
    const uint16_t lowest = lowestOf(_mm512_min_epu16(first, second));
    const __m512i from = _mm512_set1_epi16(short(lowest));
    const __m512i near = _mm512_sub_epi16(first, from);
    const __m512i far = _mm512_sub_epi16(second, from);
    const __m512i last = _mm512_set1_epi16(short(kTableSpare8 - 1));
    if ((_mm512_cmpgt_epu16_mask(near, last) | _mm512_cmpgt_epu16_mask(far, last)) != 0)
        return false;
    // Each permute reads a distance's low seven bits; bits 7 and 8 pick the piece.
    constexpr __mmask32 kAllWords = 0xFFFFFFFF;
    const __m512i nearBytes = _mm512_maskz_inserti64x4(0xFF, _mm512_setzero_si512(),
                                                       _mm512_maskz_cvtepi16_epi8(kAllWords, near), 0);
    const __m512i distance =
        _mm512_maskz_inserti64x4(0xFF, nearBytes, _mm512_maskz_cvtepi16_epi8(kAllWords, far), 1);
    const uint8_t* window = table + lowest;
    const __mmask64 odd = distanceBits(near, far, 128);
    const __m512i low =
        _mm512_mask_blend_epi8(odd, bytePiece(window, distance), bytePiece(window + 128, distance));
    const __m512i high =
        _mm512_mask_blend_epi8(odd, bytePiece(window + 256, distance), bytePiece(window + 384, distance));
    line = _mm512_mask_blend_epi8(distanceBits(near, far, 256), low, high);
    return true;
}

[[gnu::target(KESTREL_GATHERS), gnu::always_inline]] inline void storeLine(uint8_t* out, __m512i line,
                                                                           bool toMemory) {
    if (toMemory)
        _mm512_stream_si512(reinterpret_cast<__m512i*>(out), line);
    else
        _mm512_storeu_si512(out, line);
}

// What is left after the whole lines: sixteen pixels at a time.
template <size_t kPixelBytes>
[[gnu::target(KESTREL_GATHERS), gnu::always_inline]] inline size_t
gatherRest(const uint16_t* table, const uint16_t* values, size_t x, size_t n, uint8_t* out) {
    for (; x + kLanes <= n; x += kLanes) {
        const __m512i entries = gatherEntries(table, values + x);
        if constexpr (kPixelBytes == 1)
            _mm512_mask_cvtepi32_storeu_epi8(out + x, kAll, entries);
        else
            _mm512_mask_cvtepi32_storeu_epi16(out + 2 * x, kAll, entries);
    }
    return x;
}

// Written whole, a line need not be read from memory first, as a cached store would: only
// aligned lines go past the caches.
bool streamsLines(const uint8_t* out, bool toMemory) {
    return toMemory && reinterpret_cast<uintptr_t>(out) % kLineBytes == 0;
}

// Gathers alone: whole lines only where they go past the caches.
template <size_t kPixelBytes>
[[gnu::target(KESTREL_GATHERS)]] size_t gatherPixelsOf(const uint16_t* table, const uint16_t* values,
                                                       size_t n, uint8_t* out, bool toMemory) {
    size_t x = 0;
    if (streamsLines(out, toMemory)) {
        constexpr size_t kLinePixels = kLineBytes / kPixelBytes;
        for (; x + kLinePixels <= n; x += kLinePixels)
            storeLine(out + x * kPixelBytes, gatherLine<kPixelBytes>(table, values + x), true);
    }
    return gatherRest<kPixelBytes>(table, values, x, n, out);
}

[[gnu::target(KESTREL_BYTE_PERMUTES)]] size_t lookUpBytes(const PixelTables& tables, const uint16_t* values,
                                                          size_t n, uint8_t* out, bool toMemory) {
    const bool stream = streamsLines(out, toMemory);
    size_t x = 0;
    for (; x + kLineBytes <= n; x += kLineBytes) {
        __m512i line;
        if (!windowLine8(tables.pixels8, values + x, line))
            line = gatherLine<1>(tables.pixels16, values + x);
        storeLine(out + x, line, stream);
    }
    return gatherRest<1>(tables.pixels16, values, x, n, out);
}

bool processorPermutesBytes() {
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512vbmi") != 0;
    }();
    return supported;
}

} // namespace

bool processorGathers() {
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0;
    }();
    return supported;
}

size_t gatherPixels(const PixelTables& tables, const uint16_t* values, size_t n, uint8_t* out,
                    size_t pixelBytes, bool toMemory) {
    if (pixelBytes == 2)
        return gatherPixelsOf<2>(tables.pixels16, values, n, out, toMemory);
    return processorPermutesBytes() ? lookUpBytes(tables, values, n, out, toMemory)
                                    : gatherPixelsOf<1>(tables.pixels16, values, n, out, toMemory);
}

void finishStreamingStores() {
    _mm_sfence();
}

} // namespace kestrel::board
