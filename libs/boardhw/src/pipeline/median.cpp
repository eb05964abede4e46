// 3 x 3 median, whole frame and vectorised line kernel.
#include "pipeline/median.h"
#include "pipeline/vector_clones.h"

#include <algorithm>
#include <array>

namespace kestrel::board {

Frame12 medianFilter(const Frame12& image) {
    const int64_t width = image.widthPixels();
    const int64_t height = image.heightLines();
    Frame12 filtered(image.widthPixels(), image.heightLines());
    for (int64_t y = 0; y < height; ++y) {
        for (int64_t x = 0; x < width; ++x) {
            std::array<uint16_t, 9> neighbourhood{};
            size_t i = 0;
            for (int64_t dy = -1; dy <= 1; ++dy) {
                for (int64_t dx = -1; dx <= 1; ++dx) {
                    const int64_t nx = std::clamp<int64_t>(x + dx, 0, width - 1);
                    const int64_t ny = std::clamp<int64_t>(y + dy, 0, height - 1);
                    neighbourhood[i++] = image.at(uint32_t(nx), uint32_t(ny));
                }
            }
            std::sort(neighbourhood.begin(), neighbourhood.end());
            filtered.at(uint32_t(x), uint32_t(y)) = neighbourhood[4];
        }
    }
    return filtered;
}

namespace {

// The median of nine is the median of three numbers once each column of three is sorted: the
// largest column minimum, the median of the column medians and the smallest column maximum.
// Sorting each column once serves the three outputs that share it, and min/max vectorise.
constexpr size_t kBlock = 32;
constexpr size_t kChunkPixels = 512;

[[gnu::always_inline]] inline uint16_t min16(uint16_t a, uint16_t b) {
    return a < b ? a : b;
}
[[gnu::always_inline]] inline uint16_t max16(uint16_t a, uint16_t b) {
    return a < b ? b : a;
}
[[gnu::always_inline]] inline uint16_t median3(uint16_t a, uint16_t b, uint16_t c) {
    return max16(min16(a, b), min16(max16(a, b), c));
}

[[gnu::always_inline]] inline void sortColumn(const uint16_t* __restrict above,
                                              const uint16_t* __restrict centre,
                                              const uint16_t* __restrict below, uint16_t* __restrict lo,
                                              uint16_t* __restrict mid, uint16_t* __restrict hi, size_t i) {
    const uint16_t t = min16(above[i], centre[i]);
    const uint16_t u = max16(above[i], centre[i]);
    lo[i] = min16(t, below[i]);
    const uint16_t v = max16(t, below[i]);
    mid[i] = min16(u, v);
    hi[i] = max16(u, v);
}

[[gnu::always_inline]] inline void combineColumns(const uint16_t* __restrict lo,
                                                  const uint16_t* __restrict mid,
                                                  const uint16_t* __restrict hi, uint16_t* __restrict out,
                                                  size_t x) {
    const uint16_t largestLow = max16(max16(lo[x], lo[x + 1]), lo[x + 2]);
    const uint16_t smallestHigh = min16(min16(hi[x], hi[x + 1]), hi[x + 2]);
    const uint16_t middle = median3(mid[x], mid[x + 1], mid[x + 2]);
    out[x] = median3(largestLow, middle, smallestHigh);
}

KESTREL_VECTOR_CLONES void sortColumns(const uint16_t* __restrict above, const uint16_t* __restrict centre,
                                       const uint16_t* __restrict below, uint16_t* __restrict lo,
                                       uint16_t* __restrict mid, uint16_t* __restrict hi, size_t columns) {
    size_t i = 0;
    for (; i + kBlock <= columns; i += kBlock)
        for (size_t k = 0; k < kBlock; ++k)
            sortColumn(above, centre, below, lo, mid, hi, i + k);
    for (; i < columns; ++i)
        sortColumn(above, centre, below, lo, mid, hi, i);
}

KESTREL_VECTOR_CLONES void combine(const uint16_t* __restrict lo, const uint16_t* __restrict mid,
                                   const uint16_t* __restrict hi, uint16_t* __restrict out, size_t n) {
    size_t x = 0;
    for (; x + kBlock <= n; x += kBlock)
        for (size_t k = 0; k < kBlock; ++k)
            combineColumns(lo, mid, hi, out, x + k);
    for (; x < n; ++x)
        combineColumns(lo, mid, hi, out, x);
}

} // namespace

void medianLine(const uint16_t* above, const uint16_t* centre, const uint16_t* below, uint16_t* out, size_t n,
                uint16_t* scratch) {
    // The line goes in chunks so that the sorted columns stay in the first-level cache between
    // the two passes. Output x uses columns x-1, x, x+1, stored at x..x+2 of the chunk.
    const size_t chunk = std::min(n, kChunkPixels);
    uint16_t* lo = scratch;
    uint16_t* mid = scratch + chunk + 2;
    uint16_t* hi = scratch + 2 * (chunk + 2);
    for (size_t start = 0; start < n; start += chunk) {
        const size_t count = std::min(chunk, n - start);
        sortColumns(above + start - 1, centre + start - 1, below + start - 1, lo, mid, hi, count + 2);
        combine(lo, mid, hi, out + start, count);
    }
}

} // namespace kestrel::board
