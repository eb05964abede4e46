// Dead-pixel replacement, whole frame and line by line.
#include "pipeline/deadpixel.h"
#include "pipeline/vector_clones.h"

#include <algorithm>
#include <optional>

namespace kestrel::board {

void replaceDeadPixels(Frame12& shaded, const RoiWindow& roi, const CoefficientPlane* offsets) {
    if (!offsets)
        return;
    const uint32_t width = shaded.widthPixels();
    for (uint32_t y = 0; y < shaded.heightLines(); ++y) {
        const uint64_t sensorY = uint64_t{y} + roi.yOffset;
        auto defective = [&](uint32_t x) {
            return offsets->at(uint64_t{x} + roi.xOffset, sensorY) == CoefficientPlane::kDefective;
        };
        // Neighbours are looked up in the unmodified line: they are good pixels, which this
        // stage never changes, so replacing in place is safe.
        for (uint32_t x = 0; x < width; ++x) {
            if (!defective(x))
                continue;
            std::optional<uint32_t> left;
            for (uint32_t l = x; l-- > 0;) {
                if (!defective(l)) {
                    left = shaded.at(l, y);
                    break;
                }
            }
            std::optional<uint32_t> right;
            for (uint32_t r = x + 1; r < width; ++r) {
                if (!defective(r)) {
                    right = shaded.at(r, y);
                    break;
                }
            }
            uint32_t value = 0;
            if (left && right)
                value = (*left + *right + 1) >> 1;
            else if (left)
                value = *left;
            else if (right)
                value = *right;
            shaded.at(x, y) = uint16_t(value);
        }
    }
}

namespace {

constexpr size_t kBlock = kDefectBlockPixels;

[[gnu::always_inline]] inline bool blockHasDefect(const uint16_t* offsets) {
    uint16_t any = 0;
    for (size_t i = 0; i < kBlock; ++i)
        any |= offsets[i] == CoefficientPlane::kDefective ? 1 : 0;
    return any != 0;
}

[[gnu::always_inline]] inline bool blockAllDefects(const uint16_t* offsets) {
    uint16_t all = 1;
    for (size_t i = 0; i < kBlock; ++i)
        all &= offsets[i] == CoefficientPlane::kDefective ? 1 : 0;
    return all != 0;
}

KESTREL_VECTOR_CLONES bool anyDefect(const uint16_t* offsets, size_t n) {
    size_t x = 0;
    for (; x + kBlock <= n; x += kBlock)
        if (blockHasDefect(offsets + x))
            return true;
    for (; x < n; ++x)
        if (offsets[x] == CoefficientPlane::kDefective)
            return true;
    return false;
}

// The end of the run of defects that starts at x. Long runs (a whole broken column block, or a
// reference that marks everything) go a block at a time.
[[gnu::always_inline]] inline size_t runEnd(const uint16_t* offsets, size_t x, size_t n) {
    while (x < n && offsets[x] == CoefficientPlane::kDefective && x % kBlock != 0)
        ++x;
    while (x + kBlock <= n && blockAllDefects(offsets + x))
        x += kBlock;
    while (x < n && offsets[x] == CoefficientPlane::kDefective)
        ++x;
    return x;
}

// The value a run of defects [runStart, runEnd) takes from the good pixels just outside it.
uint16_t runValue(const uint16_t* line, size_t runStart, size_t runEnd, size_t n) {
    const bool hasLeft = runStart > 0;
    const bool hasRight = runEnd < n;
    if (hasLeft && hasRight)
        return uint16_t((uint32_t{line[runStart - 1]} + line[runEnd] + 1) >> 1);
    if (hasLeft)
        return line[runStart - 1];
    if (hasRight)
        return line[runEnd];
    return 0;
}

KESTREL_VECTOR_CLONES void replaceRuns(uint16_t* line, const uint16_t* offsets, size_t n) {
    // Defects are rare and come in runs; blocks without one are skipped with a vector test, and
    // each run needs only the pixels just outside it, which are good.
    size_t x = 0;
    while (x < n) {
        if (x + kBlock <= n && !blockHasDefect(offsets + x)) {
            x += kBlock;
            continue;
        }
        const size_t blockEnd = std::min(n, x + kBlock);
        while (x < blockEnd && offsets[x] != CoefficientPlane::kDefective)
            ++x;
        if (x == blockEnd)
            continue;
        const size_t runStart = x;
        x = runEnd(offsets, x, n);
        std::fill(line + runStart, line + x, runValue(line, runStart, x, n));
    }
}

// Bit i set where pixel i of the `count` <= kBlock from `offsets` is marked defective.
[[gnu::always_inline]] inline uint32_t defectMask(const uint16_t* offsets, size_t count) {
    static_assert(kBlock <= 32);
    uint32_t mask = 0;
    if (count == kBlock) {
        for (size_t i = 0; i < kBlock; ++i)
            mask |= uint32_t{offsets[i] == CoefficientPlane::kDefective} << i;
        return mask;
    }
    for (size_t i = 0; i < count; ++i)
        mask |= uint32_t{offsets[i] == CoefficientPlane::kDefective} << i;
    return mask;
}

// Only the flagged blocks are visited, found a word of flags at a time, and in each the runs are
// found from a mask of its marks rather than pixel by pixel. A run that leaves its block reaches
// only into flagged blocks, so the scan of a run never needs the flags; blocks it covered are
// passed over when their flag comes up.
KESTREL_VECTOR_CLONES void replaceFlaggedRuns(uint16_t* line, const uint16_t* offsets, size_t n,
                                              const uint64_t* defectBlocks) {
    const size_t words = defectBlockWords(n);
    size_t x = 0;
    for (size_t w = 0; w < words; ++w) {
        for (uint64_t bits = defectBlocks[w]; bits != 0; bits &= bits - 1) {
            const size_t blockStart = (w * 64 + size_t(__builtin_ctzll(bits))) * kBlock;
            const size_t blockEnd = std::min(n, blockStart + kBlock);
            if (x >= blockEnd)
                continue;
            uint32_t marks = defectMask(offsets + blockStart, blockEnd - blockStart);
            if (x > blockStart)
                marks &= ~uint32_t{0} << (x - blockStart);
            while (marks != 0) {
                const size_t runStart = blockStart + size_t(__builtin_ctz(marks));
                x = runEnd(offsets, runStart, n);
                std::fill(line + runStart, line + x, runValue(line, runStart, x, n));
                if (x >= blockEnd)
                    break;
                marks &= ~uint32_t{0} << (x - blockStart);
            }
        }
    }
}

} // namespace

bool lineHasDefects(const uint16_t* offsets, size_t n) {
    return anyDefect(offsets, n);
}

void replaceDeadPixelsInLine(uint16_t* line, const uint16_t* offsets, size_t n) {
    replaceRuns(line, offsets, n);
}

void replaceDeadPixelsInBlocks(uint16_t* line, const uint16_t* offsets, size_t n,
                               const uint64_t* defectBlocks) {
    replaceFlaggedRuns(line, offsets, n, defectBlocks);
}

} // namespace kestrel::board
