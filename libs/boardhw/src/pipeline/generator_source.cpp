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

GeneratorSettings GeneratorSettings::fromWordCounts(uint32_t widthWords, uint32_t heightMinusOne, uint32_t tapMask,
                                                    uint32_t roll) {
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

void GeneratorSource::render(uint64_t frameNumber, Frame12& frame) const {
    frame.resize(settings_.widthPixels, settings_.heightLines);
    const uint32_t shift = rollShift(frameNumber, settings_.rollPerFrame);
    // Tap enables as a mask over the sample, so the line loop has no branch.
    uint16_t tapKeep[4];
    for (uint32_t tap = 0; tap < 4; ++tap)
        tapKeep[tap] = (settings_.tapMask & (1u << tap)) ? kSampleMask : 0;
    for (uint32_t y = 0; y < settings_.heightLines; ++y) {
        uint16_t* line = frame.row(y);
        const uint32_t start = (y + shift) & kSampleMask;
        for (uint32_t x = 0; x < settings_.widthPixels; ++x)
            line[x] = uint16_t((start + x) & tapKeep[x & 3]);
    }
}

} // namespace kestrel::board
