// Acquisition state of one DMA channel.
#include "dma_channel.h"

#include "boardhw.h"
#include "grabhost5.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kestrel::host {

int32_t DmaChannel::start(uint64_t memoryHandle, std::shared_ptr<MemoryRing> memory, uint64_t pictureCount,
                          BufferMode mode) {
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
    mode_ = mode;
    ringSize_ = std::max<uint64_t>(1, memory_->bufferCount());
    heldPicture_.assign(static_cast<std::size_t>(ringSize_), 0);
    origins_.assign(static_cast<std::size_t>(ringSize_), {});
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

std::optional<uint32_t> DmaChannel::nextBuffer() const {
    std::lock_guard lock(mutex_);
    const auto index = static_cast<uint32_t>(transferred_ % ringSize_);
    if (mode_ == BufferMode::Blocking && heldPicture_[index] != 0)
        return std::nullopt;
    return index;
}

void DmaChannel::transferredLocked(uint32_t buffer, PictureOrigin origin) {
    if (!running_)
        return;
    ++transferred_;
    if (buffer < origins_.size())
        origins_[buffer] = {transferred_, origin};
    if (mode_ == BufferMode::Blocking && buffer < heldPicture_.size())
        heldPicture_[buffer] = transferred_;
    if (transferred_ >= pictureLimit_)
        running_ = false;
    changed_.notify_all();
}

void DmaChannel::pictureTransferred(uint32_t buffer, PictureOrigin origin) {
    std::lock_guard lock(mutex_);
    transferredLocked(buffer, origin);
}

void DmaChannel::pictureTransferred() {
    std::lock_guard lock(mutex_);
    transferredLocked(static_cast<uint32_t>(transferred_ % ringSize_), {});
}

std::optional<PictureOrigin> DmaChannel::pictureOrigin(uint64_t memoryHandle, uint64_t picture) const {
    std::lock_guard lock(mutex_);
    if (memoryHandle != memoryHandle_ || picture == 0 || origins_.empty())
        return std::nullopt;
    const auto& [held, origin] = origins_[static_cast<std::size_t>((picture - 1) % ringSize_)];
    if (held != picture)
        return std::nullopt;
    return origin;
}

void DmaChannel::pictureLost() {
    std::lock_guard lock(mutex_);
    if (running_)
        ++lost_;
}

void DmaChannel::setPicturesLost(uint64_t lost) {
    std::lock_guard lock(mutex_);
    if (running_)
        lost_ = lost;
}

int32_t DmaChannel::releaseBuffer(uint64_t memoryHandle, uint32_t index) {
    std::lock_guard lock(mutex_);
    if (memoryHandle != memoryHandle_)
        return running_ ? GH5_ERR_INVALID_MEMORY : GH5_ERR_NOT_RUNNING;
    if (!running_)
        return GH5_ERR_NOT_RUNNING;
    if (index >= heldPicture_.size())
        return GH5_ERR_INVALID_ARGUMENT;
    heldPicture_[index] = 0;
    return GH5_OK;
}

int32_t DmaChannel::releaseUpTo(uint64_t memoryHandle, uint64_t picture) {
    std::lock_guard lock(mutex_);
    if (memoryHandle != memoryHandle_)
        return running_ ? GH5_ERR_INVALID_MEMORY : GH5_ERR_NOT_RUNNING;
    if (!running_)
        return GH5_ERR_NOT_RUNNING;
    for (uint64_t& held : heldPicture_)
        if (held != 0 && held <= picture)
            held = 0;
    return GH5_OK;
}

int64_t DmaChannel::buffersHeld(uint64_t memoryHandle) const {
    std::lock_guard lock(mutex_);
    if (memoryHandle != memoryHandle_)
        return 0;
    return std::count_if(heldPicture_.begin(), heldPicture_.end(), [](uint64_t held) { return held != 0; });
}

namespace {

ClockMode clockFromEnvironment() {
    const char* value = std::getenv("KESTREL_CLOCK");
    if (value != nullptr && std::strcmp(value, "simulated") == 0)
        return ClockMode::Simulated;
    if (value != nullptr && std::strcmp(value, "stopped") == 0)
        return ClockMode::Stopped;
    return ClockMode::Real;
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

int32_t FrameTransfer::start(uint64_t memoryHandle, std::shared_ptr<MemoryRing> memory, uint64_t pictureCount,
                             BufferMode mode) {
    std::lock_guard control(control_);
    if (channel_.running())
        return GH5_ERR_ALREADY_RUNNING;
    // A run that ended by itself may still be finishing its last frame.
    join();
    if (const int32_t code = Board_StartAcquisition(board_); code != BOARD_OK)
        return code;
    if (const int32_t code = channel_.start(memoryHandle, memory, pictureCount, mode); code != GH5_OK)
        return code;
    {
        std::lock_guard lock(wakeMutex_);
        stopRequested_ = false;
    }
    const ClockMode clock = currentClock();
    // Joined before the thread runs, so that an advance right after the start waits for it.
    if (clock == ClockMode::Stopped)
        StoppedClock::instance().join(*this);
    // Board time 0 is now, on whichever clock: a test advancing the stopped clock right after the
    // start moves this run's time even before its thread looks.
    worker_ = std::thread(&FrameTransfer::run, this, std::move(memory), memoryHandle, clock,
                          std::chrono::steady_clock::now(), StoppedClock::instance().nowNs());
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

void FrameTransfer::poke() {
    {
        std::lock_guard lock(wakeMutex_);
        ++pokes_;
    }
    wake_.notify_all();
}

uint64_t FrameTransfer::pokes() {
    std::lock_guard lock(wakeMutex_);
    return pokes_;
}

void FrameTransfer::join() {
    {
        std::lock_guard lock(wakeMutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
    StoppedClock::instance().leave(*this);
}

bool FrameTransfer::sleepUntil(std::chrono::steady_clock::time_point deadline, uint64_t seenPokes) {
    std::unique_lock lock(wakeMutex_);
    wake_.wait_until(lock, deadline, [&] { return stopRequested_ || pokes_ != seenPokes; });
    return !stopRequested_;
}

bool FrameTransfer::drain(MemoryRing& memory) {
    while (const std::optional<uint32_t> index = channel_.nextBuffer()) {
        int32_t taken = 0;
        BoardFrameInfo info{};
        if (Board_TakeFrame(board_, memory.buffer(*index), memory.bufferBytes(), &info, &taken) != BOARD_OK)
            return false;
        if (taken == 0)
            return true;
        channel_.pictureTransferred(*index, PictureOrigin{info.sourceFrame, info.framesLostBefore});
    }
    return true;
}

void FrameTransfer::run(std::shared_ptr<MemoryRing> memory, uint64_t memoryHandle, ClockMode clock,
                        std::chrono::steady_clock::time_point realStart, uint64_t stoppedStart) {
    using Clock = std::chrono::steady_clock;
    // Trigger pulses from software or the inputs arrive without a poke; a waiting thread looks for
    // them this often.
    constexpr auto kPulsePoll = std::chrono::milliseconds(2);
    StoppedClock& stopped = StoppedClock::instance();
    // A run that ends by itself must not hold up the stopped clock's advances.
    struct LeaveClock {
        StoppedClock& clock;
        ClockFollower& follower;
        ~LeaveClock() { clock.leave(follower); }
    } leaveClock{stopped, *this};
    uint64_t simulatedNs = 0;
    for (;;) {
        const uint64_t seenPokes = pokes();
        {
            std::lock_guard lock(wakeMutex_);
            if (stopRequested_)
                return;
        }
        if (!channel_.acquiresInto(memoryHandle))
            return;
        const uint64_t stoppedNow = stopped.nowNs();
        uint64_t nowNs = simulatedNs;
        if (clock == ClockMode::Real)
            nowNs = static_cast<uint64_t>(
                std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - realStart).count());
        else if (clock == ClockMode::Stopped)
            nowNs = stoppedNow - stoppedStart;

        BoardOnBoardStatus status{};
        if (Board_AdvanceTo(board_, nowNs) != BOARD_OK || !drain(*memory) ||
            Board_GetOnBoardStatus(board_, &status) != BOARD_OK) {
            // The board cannot deliver (no design, no memory): the run ends, waiters are told.
            channel_.pictureLost();
            channel_.stop(memoryHandle);
            return;
        }
        channel_.setPicturesLost(status.framesLost);
        if (!channel_.acquiresInto(memoryHandle))
            return;

        uint64_t nextNs = 0;
        int32_t scheduled = 0;
        if (Board_NextActivity(board_, &nextNs, &scheduled) != BOARD_OK)
            scheduled = 0;
        if (scheduled != 0 && nextNs <= nowNs)
            continue; // the board has more due now
        Clock::time_point deadline = Clock::now() + kPulsePoll;
        if (clock == ClockMode::Simulated) {
            // The application takes no simulated time: while it holds the buffer next in turn,
            // time waits for its release instead of filling the on-board buffer and losing frames
            // that real time would never have made meanwhile.
            if (scheduled != 0 && channel_.nextBuffer()) {
                simulatedNs = nextNs;
                continue;
            }
        } else if (clock == ClockMode::Real) {
            if (scheduled != 0)
                deadline = std::min(deadline, realStart + std::chrono::nanoseconds(nextNs));
        } else {
            stopped.caughtUp(*this, stoppedNow);
        }
        if (!sleepUntil(deadline, seenPokes))
            return;
    }
}

} // namespace kestrel::host

extern "C" GH5_API int32_t gh5_clock_select(int32_t mode) {
    using kestrel::host::ClockMode;
    if (mode != GH5_CLOCK_REAL && mode != GH5_CLOCK_SIMULATED && mode != GH5_CLOCK_STOPPED)
        return GH5_ERR_INVALID_ARGUMENT;
    kestrel::host::selectClock(mode == GH5_CLOCK_SIMULATED ? ClockMode::Simulated
                               : mode == GH5_CLOCK_STOPPED ? ClockMode::Stopped
                                                           : ClockMode::Real);
    return GH5_OK;
}

extern "C" GH5_API int32_t gh5_clock_advance(uint64_t nanoseconds) {
    try {
        kestrel::host::StoppedClock::instance().advance(nanoseconds);
        return GH5_OK;
    } catch (...) {
        return GH5_ERR_INVALID_ARGUMENT;
    }
}
