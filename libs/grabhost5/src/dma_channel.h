// Acquisition state of one DMA channel: running or not, into which memory, picture counters, and
// the waits of applications for a picture.
#pragma once

#include "acquisition_memory.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

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

// How the transfer side paces frames. Real time keeps the source's frame rate; simulated time
// delivers each frame as soon as it is made, so tests run fast and see the same frames every run.
enum class ClockMode { Real, Simulated };

// The process-wide choice: simulated when the environment variable KESTREL_CLOCK is "simulated",
// until selectClock says otherwise.
ClockMode currentClock();
void selectClock(ClockMode mode);

// The emulated DMA engine of one channel: while the channel runs, a thread of its own asks the
// board for frames and writes frame k into buffer k mod count of the memory.
class FrameTransfer {
public:
    FrameTransfer(DmaChannel& channel, void* board) : channel_(channel), board_(board) {}
    ~FrameTransfer() { shutdown(); }
    FrameTransfer(const FrameTransfer&) = delete;
    FrameTransfer& operator=(const FrameTransfer&) = delete;

    // As DmaChannel::start and stop, with the transfer thread started and ended alongside.
    int32_t start(uint64_t memoryHandle, std::shared_ptr<MemoryRing> memory, uint64_t pictureCount);
    int32_t stop(uint64_t memoryHandle);
    void shutdown();

private:
    void run(std::shared_ptr<MemoryRing> memory, uint64_t memoryHandle, ClockMode clock);
    void join();
    // Waits until `deadline` or until asked to stop; false when asked to stop.
    bool sleepUntil(std::chrono::steady_clock::time_point deadline);

    DmaChannel& channel_;
    void* const board_;
    std::mutex control_; // one start, stop or shutdown at a time
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool stopRequested_ = false;
    std::thread worker_;
};

} // namespace kestrel::host
