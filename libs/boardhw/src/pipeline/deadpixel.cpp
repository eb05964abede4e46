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

constexpr size_t kBlock = 32;

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
        // Long runs (a whole broken column block, or a reference that marks everything) go a
        // block at a time.
        while (x < n && offsets[x] == CoefficientPlane::kDefective && x % kBlock != 0)
            ++x;
        while (x + kBlock <= n && blockAllDefects(offsets + x))
            x += kBlock;
        while (x < n && offsets[x] == CoefficientPlane::kDefective)
            ++x;
        const bool hasLeft = runStart > 0;
        const bool hasRight = x < n;
        uint16_t value = 0;
        if (hasLeft && hasRight)
            value = uint16_t((uint32_t{line[runStart - 1]} + line[x] + 1) >> 1);
        else if (hasLeft)
            value = line[runStart - 1];
        else if (hasRight)
            value = line[x];
        std::fill(line + runStart, line + x, value);
    }
}

} // namespace

bool lineHasDefects(const uint16_t* offsets, size_t n) {
    return anyDefect(offsets, n);
}

void replaceDeadPixelsInLine(uint16_t* line, const uint16_t* offsets, size_t n) {
    replaceRuns(line, offsets, n);
}

} // namespace kestrel::board
