// Acquisition state of one DMA channel: running or not, into which memory, picture counters, and
// the waits of applications for a picture.
#pragma once

#include "acquisition_memory.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

namespace kestrel::host {

class DmaChannel {
public:
    // Results are GH5_ codes; picture numbers count from 1 since the last start.
    int32_t start(uint64_t memoryHandle, std::shared_ptr<MemoryRing> memory, uint64_t pictureCount);
    int32_t stop(uint64_t memoryHandle);
    // Stops whatever runs and ends every wait with GH5_ERR_ABORTED (the handle is going away).
    void shutdown();

    bool running() const;
    bool acquiresInto(uint64_t memoryHandle) const;
    // Last picture of the run into memoryHandle (the current or the last one), 0 when that memory
    // has not been acquired into.
    int64_t lastPicture(uint64_t memoryHandle) const;
    int64_t picturesTransferred(uint64_t memoryHandle) const;
    int64_t picturesLost(uint64_t memoryHandle) const;
    // Waits until picture has arrived; timeout 0 only looks. GH5_ERR_TIMEOUT, GH5_ERR_ABORTED when
    // the run stops first, GH5_ERR_NOT_RUNNING when nothing runs that could bring it.
    int64_t waitForPicture(uint64_t picture, uint64_t memoryHandle, std::chrono::milliseconds timeout);

    // The transfer side (the emulated DMA engine): one picture completed or lost. A run that has
    // transferred its picture count ends by itself.
    void pictureTransferred();
    void pictureLost();

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool running_ = false;
    bool shutDown_ = false;
    uint64_t memoryHandle_ = 0;
    std::shared_ptr<MemoryRing> memory_;
    uint64_t pictureLimit_ = 0;
    uint64_t transferred_ = 0;
    uint64_t lost_ = 0;
    uint64_t run_ = 0; // counts starts, so a waiter notices a stop followed by a new start
};

} // namespace kestrel::host
