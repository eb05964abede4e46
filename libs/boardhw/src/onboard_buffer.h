// The board's on-board frame memory: two DRAM banks between the pipeline and the DMA.
#pragma once

#include "pipeline/frame_source.h"
#include "pipeline/large_buffer.h"
#include "pipeline/settings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace kestrel::boardhw {

// Bytes of one DRAM bank. Large enough for two of the largest frames (4096 x 4096 at 16 bits) per
// bank, small enough that a test fills it in a few hundred frames.
inline constexpr uint64_t kOnBoardBankBytes = uint64_t{64} << 20;
inline constexpr std::size_t kOnBoardBanks = 2;

// What makes a stored frame's pixels: the pipeline's settings and the camera's source as they
// were when the frame completed. Frames completed under the same ones share one.
struct FrameRecipe {
    board::PipelineSettings settings;
    std::shared_ptr<const board::FrameSource> source;
};

// A frame waiting for the DMA. Its pixels are made from its recipe only when the DMA takes it,
// straight into the host's buffer, so that a frame is written to memory once; a frame made
// before that carries its pixels and no recipe.
struct StoredFrame {
    uint64_t bytes = 0; // what the frame takes in its bank
    std::shared_ptr<const FrameRecipe> recipe;
    board::LargeBuffer<std::byte> pixels;
    uint64_t sourceFrame = 0; // sensor frame it came from, counted from 0 at the start
    uint64_t exposureNs = 0;  // board time the exposure started
    uint64_t completedNs = 0; // board time the frame was complete in the buffer
    double framePeriodSeconds = 0;
    uint64_t framesLostBefore = 0; // frames lost since the start when this one was stored
};

// Frames go to the banks in turn; the DMA takes them out oldest first. A frame the bank it is due
// in cannot hold is refused (the caller counts it lost): the hardware writes a bank sequentially
// and does not skip to the other one. Not thread-safe: the acquisition engine guards it.
class OnBoardBuffer {
public:
    explicit OnBoardBuffer(uint64_t bankBytes = kOnBoardBankBytes) : bankBytes_(bankBytes) {}

    // Empties both banks.
    void clear();
    // Whether the next frame, of `bytes`, fits the bank it is due in.
    bool hasRoomFor(uint64_t bytes) const;
    // A buffer of `bytes` to render the next frame into (recycled from taken frames when possible).
    board::LargeBuffer<std::byte> spare(uint64_t bytes);
    // Stores the frame in the bank it is due in; false (frame dropped) when it does not fit.
    bool store(StoredFrame frame);
    // The oldest frame, left in its bank, or null when both banks are empty.
    StoredFrame* oldest() { return frames_.empty() ? nullptr : &frames_.front().frame; }
    // Calls f(frame) for every stored frame, oldest first; f may change what a frame holds but
    // not its size.
    template <class F> void forEachFrame(F&& f) {
        for (Entry& entry : frames_)
            f(entry.frame);
    }
    // The oldest frame, taken out of its bank, or nothing when both banks are empty.
    std::optional<StoredFrame> take();
    // Hands a taken frame's memory back for reuse.
    void recycle(board::LargeBuffer<std::byte> pixels);

    bool empty() const { return frames_.empty(); }
    std::size_t frameCount() const { return frames_.size(); }
    // Fill level of a bank in whole percent (rounded down), 0 .. 100.
    uint32_t fillPercent(std::size_t bank) const;
    uint64_t bankBytes() const { return bankBytes_; }

private:
    struct Entry {
        StoredFrame frame;
        std::size_t bank = 0;
    };

    uint64_t bankBytes_;
    std::array<uint64_t, kOnBoardBanks> used_{};
    std::size_t nextBank_ = 0;
    std::deque<Entry> frames_;
    std::vector<board::LargeBuffer<std::byte>> spares_;
};

} // namespace kestrel::boardhw
