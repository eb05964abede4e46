// The board's on-board frame memory.
#include "onboard_buffer.h"

namespace kestrel::boardhw {

namespace {

// Taken frames whose memory is kept for the next ones: enough for a DMA that keeps up.
constexpr std::size_t kMaxSpares = 4;

} // namespace

void OnBoardBuffer::clear() {
    while (!frames_.empty()) {
        recycle(std::move(frames_.front().frame.pixels));
        frames_.pop_front();
    }
    used_.fill(0);
    nextBank_ = 0;
}

bool OnBoardBuffer::hasRoomFor(uint64_t bytes) const {
    return bytes <= bankBytes_ - used_[nextBank_];
}

board::LargeBuffer<std::byte> OnBoardBuffer::spare(uint64_t bytes) {
    board::LargeBuffer<std::byte> pixels;
    if (!spares_.empty()) {
        pixels = std::move(spares_.back());
        spares_.pop_back();
    }
    pixels.resize(static_cast<std::size_t>(bytes));
    return pixels;
}

bool OnBoardBuffer::store(StoredFrame frame) {
    const uint64_t bytes = frame.bytes;
    if (!hasRoomFor(bytes)) {
        recycle(std::move(frame.pixels));
        return false;
    }
    used_[nextBank_] += bytes;
    frames_.push_back(Entry{std::move(frame), nextBank_});
    nextBank_ = (nextBank_ + 1) % kOnBoardBanks;
    return true;
}

std::optional<StoredFrame> OnBoardBuffer::take() {
    if (frames_.empty())
        return std::nullopt;
    Entry entry = std::move(frames_.front());
    frames_.pop_front();
    used_[entry.bank] -= entry.frame.bytes;
    return std::move(entry.frame);
}

void OnBoardBuffer::recycle(board::LargeBuffer<std::byte> pixels) {
    if (spares_.size() < kMaxSpares && pixels.capacity() > 0)
        spares_.push_back(std::move(pixels));
}

uint32_t OnBoardBuffer::fillPercent(std::size_t bank) const {
    if (bank >= kOnBoardBanks || bankBytes_ == 0)
        return 0;
    return static_cast<uint32_t>(used_[bank] * 100 / bankBytes_);
}

} // namespace kestrel::boardhw
