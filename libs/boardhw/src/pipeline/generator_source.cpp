// Camera simulator frame generation.
#include "pipeline/generator_source.h"

#include <algorithm>

namespace kestrel::board {

namespace {

// The frame's shift along the ramp, n x roll mod 4096, without overflowing for any n.
uint32_t rollShift(uint64_t frameNumber, uint32_t roll) {
    return uint32_t(((frameNumber & kSampleMask) * (roll & kSampleMask)) & kSampleMask);
}

} // namespace

GeneratorSettings GeneratorSettings::fromWordCounts(uint32_t widthWords, uint32_t heightMinusOne,
                                                    uint32_t tapMask, uint32_t roll) {
    GeneratorSettings settings;
    settings.widthPixels = uint32_t(std::min<uint64_t>(uint64_t{widthWords} * 4, 0xFFFFFFFCu));
    settings.heightLines = heightMinusOne + 1; // 32-bit: 0xFFFFFFFF wraps to 0 lines
    settings.tapMask = uint8_t(tapMask & 0x0F);
    settings.rollPerFrame = roll;
    return settings;
}

uint16_t GeneratorSource::pixel(uint64_t frameNumber, uint32_t x, uint32_t y) const {
    if (!(settings_.tapMask & (1u << (x % 4))))
        return 0;
    return uint16_t((uint64_t{x} + y + rollShift(frameNumber, settings_.rollPerFrame)) % 4096);
}

void GeneratorSource::renderLine(uint64_t frameNumber, uint32_t y, uint16_t* line) const {
    // Tap enables become a mask over each sample (which also takes the value mod 4096), laid out
    // for a block of 32 pixels: blocks start at a multiple of 4, so lane i always has tap i mod 4.
    constexpr uint32_t kBlock = 32;
    uint16_t keep[kBlock];
    for (uint32_t i = 0; i < kBlock; ++i)
        keep[i] = (settings_.tapMask & (1u << (i % 4))) ? kSampleMask : 0;
    const size_t width = settings_.widthPixels;
    const uint32_t start = y + rollShift(frameNumber, settings_.rollPerFrame);
    size_t x = 0;
    for (; x + kBlock <= width; x += kBlock) {
        // 16-bit lanes: 65536 is a multiple of 4096, so wrapping there changes nothing.
        const uint16_t base = uint16_t(start + x);
        uint16_t* block = line + x;
        for (uint32_t i = 0; i < kBlock; ++i)
            block[i] = uint16_t(base + i) & keep[i];
    }
    for (; x < width; ++x)
        line[x] = uint16_t((start + x) & keep[x % 4]);
}

} // namespace kestrel::board
