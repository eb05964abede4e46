// Dead-pixel replacement, whole frame and line by line.
#include "pipeline/deadpixel.h"

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

[[gnu::target_clones("avx2", "default")]] size_t countDefects(const uint16_t* offsets, size_t n) {
    size_t count = 0;
    size_t x = 0;
    for (; x + kBlock <= n; x += kBlock) {
        uint16_t blockCount = 0;
        for (size_t i = 0; i < kBlock; ++i)
            blockCount += offsets[x + i] == CoefficientPlane::kDefective ? 1 : 0;
        count += blockCount;
    }
    for (; x < n; ++x)
        count += offsets[x] == CoefficientPlane::kDefective ? 1 : 0;
    return count;
}

} // namespace

bool lineHasDefects(const uint16_t* offsets, size_t n) { return countDefects(offsets, n) != 0; }

void replaceDeadPixelsInLine(uint16_t* line, const uint16_t* offsets, size_t n) {
    // Defects come in runs; each run needs only the pixels just outside it, which are good.
    size_t x = 0;
    while (x < n) {
        if (offsets[x] != CoefficientPlane::kDefective) {
            ++x;
            continue;
        }
        const size_t runStart = x;
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
        for (size_t i = runStart; i < x; ++i)
            line[i] = value;
    }
}

} // namespace kestrel::board
