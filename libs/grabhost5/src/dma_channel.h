// Acquisition state of one DMA channel: running or not, into which memory, picture counters, and
// the waits of applications for a picture.
#pragma once

#include "acquisition_memory.h"
#include "stopped_clock.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace kestrel::host {

// How the ring's buffers are handed to the application.
// Where a picture came from: the camera frame (from 0 at the start) and the frames the board lost
// before it since the start.
struct PictureOrigin {
    uint64_t cameraFrame = 0;
    uint64_t framesLostBefore = 0;
};

enum class BufferMode {
    Overwrite, // the DMA writes buffer after buffer round the ring, whatever the application does
    Blocking,  // a filled buffer is the application's until released; the DMA waits for it
};

class DmaChannel {
public:
    // Results are GH5_ codes; picture numbers count from 1 since the last start.
    int32_t start(uint64_t memoryHandle, std::shared_ptr<MemoryRing> memory, uint64_t pictureCount,
                  BufferMode mode = BufferMode::Overwrite);
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

    // Blocking mode: gives buffer `index`, or every buffer holding a picture up to `picture`, back
    // to the DMA. GH5_ERR_INVALID_MEMORY for another memory than the running one,
    // GH5_ERR_NOT_RUNNING when nothing runs, GH5_ERR_INVALID_ARGUMENT for an index outside the ring.
    // Releasing a buffer the application does not hold changes nothing.
    int32_t releaseBuffer(uint64_t memoryHandle, uint32_t index);
    int32_t releaseUpTo(uint64_t memoryHandle, uint64_t picture);
    // Buffers the application holds (blocking mode).
    int64_t buffersHeld(uint64_t memoryHandle) const;
    // The origin of picture while its buffer still holds it; nothing once the ring moved on.
    std::optional<PictureOrigin> pictureOrigin(uint64_t memoryHandle, uint64_t picture) const;

    // The transfer side (the emulated DMA engine). The buffer the next picture goes to, or nothing
    // while the application still holds it (blocking mode).
    std::optional<uint32_t> nextBuffer() const;
    // One picture completed into `buffer` (from nextBuffer). A run that has transferred its
    // picture count ends by itself.
    void pictureTransferred(uint32_t buffer, PictureOrigin origin = {});
    // As above, into the buffer the ring order gives.
    void pictureTransferred();
    void pictureLost();
    // The board's count of frames lost since the start.
    void setPicturesLost(uint64_t lost);

private:
    void transferredLocked(uint32_t buffer, PictureOrigin origin);

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
    BufferMode mode_ = BufferMode::Overwrite;
    uint64_t ringSize_ = 1;
    std::vector<uint64_t> heldPicture_; // per buffer: picture the application holds in it, 0: none
    std::vector<std::pair<uint64_t, PictureOrigin>> origins_; // per buffer: its last picture's
};

// How the transfer side runs board time. Real time follows the wall clock; simulated time jumps
// to whatever happens next, so tests run fast and see the same frames every run; stopped time
// moves only when a test advances the stopped clock, so a test decides exactly which frames exist.
enum class ClockMode { Real, Simulated, Stopped };

// The process-wide choice: from the environment variable KESTREL_CLOCK ("simulated" or
// "stopped"; anything else is real time), until selectClock says otherwise.
ClockMode currentClock();
void selectClock(ClockMode mode);

// The emulated DMA engine of one channel: while the channel runs, a thread of its own runs the
// board's time on the chosen clock and moves frames from the on-board buffer into the ring, frame
// k into buffer k mod count (in blocking mode only once the application released that buffer).
class FrameTransfer final : private ClockFollower {
public:
    FrameTransfer(DmaChannel& channel, void* board) : channel_(channel), board_(board) {}
    ~FrameTransfer() { shutdown(); }
    FrameTransfer(const FrameTransfer&) = delete;
    FrameTransfer& operator=(const FrameTransfer&) = delete;

    // As DmaChannel::start and stop, with the transfer thread started and ended alongside.
    int32_t start(uint64_t memoryHandle, std::shared_ptr<MemoryRing> memory, uint64_t pictureCount,
                  BufferMode mode = BufferMode::Overwrite);
    int32_t stop(uint64_t memoryHandle);
    void shutdown();
    // Something the thread may be waiting for happened (a buffer released, a trigger pulse).
    void poke();

private:
    void run(std::shared_ptr<MemoryRing> memory, uint64_t memoryHandle, ClockMode clock,
             std::chrono::steady_clock::time_point realStart, uint64_t stoppedStart);
    void join();
    void clockAdvanced() override { poke(); }
    // Moves frames from the board into free buffers; false when the board failed.
    bool drain(MemoryRing& memory);
    // Waits until `deadline`, a poke or a stop request, whichever comes first; false on a stop
    // request. `seenPokes` is the poke count the caller last acted on.
    bool sleepUntil(std::chrono::steady_clock::time_point deadline, uint64_t seenPokes);
    uint64_t pokes();

    DmaChannel& channel_;
    void* const board_;
    std::mutex control_; // one start, stop or shutdown at a time
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool stopRequested_ = false;
    uint64_t pokes_ = 0;
    std::thread worker_;
};

} // namespace kestrel::host
