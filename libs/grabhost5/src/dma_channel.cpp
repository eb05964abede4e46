// Acquisition state of one DMA channel.
#include "dma_channel.h"

#include "boardhw.h"
#include "grabhost5.h"

#include <cstdlib>
#include <cstring>

namespace kestrel::host {

int32_t DmaChannel::start(uint64_t memoryHandle, std::shared_ptr<MemoryRing> memory, uint64_t pictureCount) {
    if (pictureCount == 0 || !memory)
        return GH5_ERR_INVALID_ARGUMENT;
    std::lock_guard lock(mutex_);
    if (shutDown_)
        return GH5_ERR_INVALID_HANDLE;
    if (running_)
        return GH5_ERR_ALREADY_RUNNING;
    running_ = true;
    memoryHandle_ = memoryHandle;
    memory_ = std::move(memory);
    pictureLimit_ = pictureCount;
    transferred_ = 0;
    lost_ = 0;
    ++run_;
    changed_.notify_all();
    return GH5_OK;
}

int32_t DmaChannel::stop(uint64_t memoryHandle) {
    std::lock_guard lock(mutex_);
    if (!running_)
        return GH5_ERR_NOT_RUNNING;
    if (memoryHandle != memoryHandle_)
        return GH5_ERR_INVALID_MEMORY;
    running_ = false;
    changed_.notify_all();
    return GH5_OK;
}

void DmaChannel::shutdown() {
    std::lock_guard lock(mutex_);
    running_ = false;
    shutDown_ = true;
    memory_.reset();
    changed_.notify_all();
}

bool DmaChannel::running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

bool DmaChannel::acquiresInto(uint64_t memoryHandle) const {
    std::lock_guard lock(mutex_);
    return running_ && memoryHandle == memoryHandle_;
}

int64_t DmaChannel::lastPicture(uint64_t memoryHandle) const {
    std::lock_guard lock(mutex_);
    return memoryHandle == memoryHandle_ ? static_cast<int64_t>(transferred_) : 0;
}

int64_t DmaChannel::picturesTransferred(uint64_t memoryHandle) const {
    return lastPicture(memoryHandle);
}

int64_t DmaChannel::picturesLost(uint64_t memoryHandle) const {
    std::lock_guard lock(mutex_);
    return memoryHandle == memoryHandle_ ? static_cast<int64_t>(lost_) : 0;
}

int64_t DmaChannel::waitForPicture(uint64_t picture, uint64_t memoryHandle,
                                   std::chrono::milliseconds timeout) {
    if (picture == 0 || picture > static_cast<uint64_t>(INT64_MAX))
        return GH5_ERR_INVALID_ARGUMENT;
    std::unique_lock lock(mutex_);
    if (memoryHandle != memoryHandle_)
        return running_ ? GH5_ERR_INVALID_MEMORY : GH5_ERR_NOT_RUNNING;
    if (transferred_ >= picture)
        return static_cast<int64_t>(transferred_);
    if (!running_)
        return GH5_ERR_NOT_RUNNING;
    const uint64_t run = run_;
    const bool arrived =
        changed_.wait_for(lock, timeout, [&] { return transferred_ >= picture || !running_ || run_ != run; });
    if (run_ == run && transferred_ >= picture)
        return static_cast<int64_t>(transferred_);
    if (!arrived)
        return GH5_ERR_TIMEOUT;
    return GH5_ERR_ABORTED;
}

void DmaChannel::pictureTransferred() {
    std::lock_guard lock(mutex_);
    if (!running_)
        return;
    ++transferred_;
    if (transferred_ >= pictureLimit_)
        running_ = false;
    changed_.notify_all();
}

void DmaChannel::pictureLost() {
    std::lock_guard lock(mutex_);
    if (running_)
        ++lost_;
}

namespace {

ClockMode clockFromEnvironment() {
    const char* value = std::getenv("KESTREL_CLOCK");
    return value != nullptr && std::strcmp(value, "simulated") == 0 ? ClockMode::Simulated : ClockMode::Real;
}

std::atomic<ClockMode>& clockChoice() {
    static std::atomic<ClockMode> choice{clockFromEnvironment()};
    return choice;
}

} // namespace

ClockMode currentClock() {
    return clockChoice().load();
}

void selectClock(ClockMode mode) {
    clockChoice().store(mode);
}

int32_t FrameTransfer::start(uint64_t memoryHandle, std::shared_ptr<MemoryRing> memory,
                             uint64_t pictureCount) {
    std::lock_guard control(control_);
    if (channel_.running())
        return GH5_ERR_ALREADY_RUNNING;
    // A run that ended by itself may still be finishing its last frame.
    join();
    if (const int32_t code = Board_StartAcquisition(board_); code != BOARD_OK)
        return code;
    if (const int32_t code = channel_.start(memoryHandle, memory, pictureCount); code != GH5_OK)
        return code;
    {
        std::lock_guard lock(wakeMutex_);
        stopRequested_ = false;
    }
    worker_ = std::thread(&FrameTransfer::run, this, std::move(memory), memoryHandle, currentClock());
    return GH5_OK;
}

int32_t FrameTransfer::stop(uint64_t memoryHandle) {
    std::lock_guard control(control_);
    const int32_t code = channel_.stop(memoryHandle);
    if (code == GH5_OK)
        join();
    return code;
}

void FrameTransfer::shutdown() {
    std::lock_guard control(control_);
    channel_.shutdown();
    join();
}

void FrameTransfer::join() {
    {
        std::lock_guard lock(wakeMutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

bool FrameTransfer::sleepUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(wakeMutex_);
    return !wake_.wait_until(lock, deadline, [this] { return stopRequested_; });
}

void FrameTransfer::run(std::shared_ptr<MemoryRing> memory, uint64_t memoryHandle, ClockMode clock) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point started = Clock::now();
    double elapsedSeconds = 0;
    for (uint64_t picture = 0; channel_.acquiresInto(memoryHandle); ++picture) {
        {
            std::lock_guard lock(wakeMutex_);
            if (stopRequested_)
                return;
        }
        const uint32_t index = static_cast<uint32_t>(picture % memory->bufferCount());
        BoardFrameInfo info{};
        if (Board_NextFrame(board_, memory->buffer(index), memory->bufferBytes(), &info) != BOARD_OK) {
            // The board cannot deliver (no design, no memory): the run ends, waiters are told.
            channel_.pictureLost();
            channel_.stop(memoryHandle);
            return;
        }
        if (clock == ClockMode::Real) {
            // A frame is complete one sensor frame period after the previous one.
            elapsedSeconds += info.framePeriodSeconds * static_cast<double>(info.sourceFrames);
            const auto due = started + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(elapsedSeconds));
            if (!sleepUntil(due))
                return;
        }
        channel_.pictureTransferred();
    }
}

} // namespace kestrel::host

extern "C" GH5_API int32_t gh5_clock_select(int32_t mode) {
    if (mode != GH5_CLOCK_REAL && mode != GH5_CLOCK_SIMULATED)
        return GH5_ERR_INVALID_ARGUMENT;
    kestrel::host::selectClock(mode == GH5_CLOCK_SIMULATED ? kestrel::host::ClockMode::Simulated
                                                           : kestrel::host::ClockMode::Real);
    return GH5_OK;
}
