// Shading coefficient memory: lazily allocated, so a board that never corrects costs nothing.
#include "coefficient_memory.h"

#include "boardhw.h"

#include <algorithm>
#include <new>

namespace kestrel::boardhw {

int32_t CoefficientMemory::writeLines(uint32_t firstLine, uint32_t lineCount, const uint16_t* samples) {
    if (!inside(firstLine, lineCount) || (lineCount > 0 && samples == nullptr))
        return BOARD_ERR_INVALID_ARGUMENT;
    if (lineCount == 0)
        return BOARD_OK;
    if (samples_.empty()) {
        try {
            samples_.assign(std::size_t{kSide} * kSide, resetValue_);
        } catch (const std::bad_alloc&) {
            return BOARD_ERR_OUT_OF_MEMORY;
        }
    }
    std::copy(samples, samples + std::size_t{lineCount} * kSide,
              samples_.begin() + std::size_t{firstLine} * kSide);
    return BOARD_OK;
}

int32_t CoefficientMemory::readLines(uint32_t firstLine, uint32_t lineCount, uint16_t* samples) const {
    if (!inside(firstLine, lineCount) || (lineCount > 0 && samples == nullptr))
        return BOARD_ERR_INVALID_ARGUMENT;
    const std::size_t count = std::size_t{lineCount} * kSide;
    if (samples_.empty())
        std::fill(samples, samples + count, resetValue_);
    else
        std::copy_n(samples_.begin() + std::size_t{firstLine} * kSide, count, samples);
    return BOARD_OK;
}

} // namespace kestrel::boardhw
