// Acquisition state of one DMA channel.
#include "dma_channel.h"

#include "grabhost5.h"

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

} // namespace kestrel::host
