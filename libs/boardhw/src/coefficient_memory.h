// One shading coefficient memory: 4096 x 4096 uint16 samples at sensor coordinates.
#pragma once

#include <cstdint>
#include <vector>

namespace kestrel::boardhw {

class CoefficientMemory {
public:
    static constexpr uint32_t kSide = 4096;

    explicit CoefficientMemory(uint16_t resetValue) : resetValue_(resetValue) {}

    // Whole lines firstLine .. firstLine + lineCount - 1, kSide samples each. The 32 MiB are
    // allocated on the first write only. Codes: BOARD_ERR_INVALID_ARGUMENT, BOARD_ERR_OUT_OF_MEMORY.
    int32_t writeLines(uint32_t firstLine, uint32_t lineCount, const uint16_t* samples);
    int32_t readLines(uint32_t firstLine, uint32_t lineCount, uint16_t* samples) const;

    uint16_t at(uint32_t x, uint32_t y) const {
        return samples_.empty() ? resetValue_ : samples_[std::size_t{y} * kSide + x];
    }
    bool allocated() const { return !samples_.empty(); }
    // Back to the reset value, releasing the memory.
    void reset() { std::vector<uint16_t>().swap(samples_); }

private:
    static bool inside(uint32_t firstLine, uint32_t lineCount) {
        return firstLine <= kSide && lineCount <= kSide - firstLine;
    }

    uint16_t resetValue_;
    std::vector<uint16_t> samples_;
};

} // namespace kestrel::boardhw
