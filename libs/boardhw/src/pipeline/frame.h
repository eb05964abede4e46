// 12-bit frames as the board's sources produce them and its pipeline consumes them.
#pragma once

#include "pipeline/large_buffer.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kestrel::board {

// Largest 12-bit sample; every value the pipeline carries lies in 0..kMaxSample.
constexpr uint16_t kMaxSample = 4095;
constexpr uint16_t kSampleMask = 0x0FFF;

// Read-only window on 12-bit samples (one uint16 each) in rows of `strideElements`.
// Does not own its data; valid as long as the frame it was taken from.
struct FrameView {
    const uint16_t* data = nullptr;
    uint32_t widthPixels = 0;
    uint32_t heightLines = 0;
    size_t strideElements = 0;

    const uint16_t* row(uint32_t y) const { return data + y * strideElements; }
    uint16_t at(uint32_t x, uint32_t y) const { return row(y)[x]; }
    size_t pixelCount() const { return size_t{widthPixels} * heightLines; }
};

// An owning frame of 12-bit samples, rows packed without padding.
class Frame12 {
public:
    Frame12() = default;
    Frame12(uint32_t widthPixels, uint32_t heightLines, uint16_t fill = 0)
        : width_(widthPixels), height_(heightLines), pixels_(size_t{widthPixels} * heightLines, fill) {}

    // Reshapes the frame; the contents are unspecified afterwards (storage is reused when it fits).
    void resize(uint32_t widthPixels, uint32_t heightLines) {
        width_ = widthPixels;
        height_ = heightLines;
        pixels_.resize(size_t{widthPixels} * heightLines);
    }

    uint32_t widthPixels() const { return width_; }
    uint32_t heightLines() const { return height_; }
    size_t pixelCount() const { return pixels_.size(); }

    uint16_t* row(uint32_t y) { return pixels_.data() + size_t{y} * width_; }
    const uint16_t* row(uint32_t y) const { return pixels_.data() + size_t{y} * width_; }
    uint16_t& at(uint32_t x, uint32_t y) { return row(y)[x]; }
    uint16_t at(uint32_t x, uint32_t y) const { return row(y)[x]; }

    std::span<uint16_t> pixels() { return pixels_; }
    std::span<const uint16_t> pixels() const { return pixels_; }

    FrameView view() const { return FrameView{pixels_.data(), width_, height_, width_}; }

    friend bool operator==(const Frame12&, const Frame12&) = default;

private:
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    LargeBuffer<uint16_t> pixels_;
};

} // namespace kestrel::board
