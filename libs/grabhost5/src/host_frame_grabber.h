// The host's frame-grabber handle for one design on one board: what the applet talks to.
#pragma once

#include "acquisition_memory.h"
#include "dma_channel.h"
#include "host_registers.h"
#include "parameter_tree.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace kestrel::host {

// Complete when constructed; every operation returns a GH5_ code (or a board code passed on) and
// records it as the handle's last error. Thread-safe: parameters under one mutex, each DMA channel
// under its own.
class HostFrameGrabber {
public:
    static constexpr uint32_t kDmaCount = 1;
    static constexpr uint32_t kDefaultTimeoutSeconds = 1000000;
    static constexpr uint32_t kApcStopTimeoutSeconds = 1;

    HostFrameGrabber(std::string imageName, void* board, HostRegisterTable registers);
    HostFrameGrabber(const HostFrameGrabber&) = delete;
    HostFrameGrabber& operator=(const HostFrameGrabber&) = delete;

    void* board() const { return board_; }
    int32_t lastError() const { return lastError_.load(); }
    int32_t record(int32_t code) {
        lastError_.store(code);
        return code;
    }

    int32_t parameterIdByName(const char* name) const;
    int32_t setParameter(int32_t id, const void* value, uint32_t dma);
    int32_t getParameter(int32_t id, void* value, uint32_t dma);
    int32_t setParameterWithType(int32_t id, const void* value, uint32_t dma, int32_t type);
    int32_t getParameterWithType(int32_t id, void* value, uint32_t dma, int32_t type);
    Gh5ParameterInfoNode* parameterInfo(int32_t port);
    int32_t appletId(uint64_t value);

    int32_t acquire(int32_t dma, uint64_t count, int32_t flags, uint64_t memory);
    int32_t stopAcquire(uint32_t dma, uint64_t memory, int32_t flags);
    int64_t lastPictureNumber(uint32_t dma, uint64_t memory);
    int64_t lastPictureNumberBlocking(uint64_t picture, uint32_t dma, int32_t timeoutSeconds,
                                      uint64_t memory);
    int64_t status(int32_t selector, uint64_t data, uint32_t dma, uint64_t memory);
    // Blocking acquisition: buffer `index` (or every buffer up to `picture`) back to the DMA.
    int32_t releaseBuffer(uint32_t dma, uint64_t memory, uint32_t index);
    int32_t releaseUpTo(uint32_t dma, uint64_t memory, uint64_t picture);

    MemoryPool& memories() { return memories_; }
    DmaChannel* channel(uint32_t dma) { return dma < kDmaCount ? &channels_[dma] : nullptr; }
    // Stops every channel, wakes every waiter and drops the memories.
    void shutdown();

private:
    int32_t setHostParameter(int32_t id, const void* value);
    int32_t getHostParameter(int32_t id, void* value, uint32_t dma);
    uint32_t transferLength() const;
    uint32_t cameraStatus() const;

    const std::string imageName_;
    void* const board_;
    const HostRegisterTable registers_;
    const ParameterTree tree_;
    std::atomic<int32_t> lastError_{0};

    std::mutex parameterMutex_;
    uint32_t timeoutSeconds_ = kDefaultTimeoutSeconds;
    uint32_t turboDmaMode_ = 0;

    MemoryPool memories_;
    std::array<DmaChannel, kDmaCount> channels_;
    // After the channels: the transfer threads end before the channels they feed go away.
    std::array<std::unique_ptr<FrameTransfer>, kDmaCount> transfers_;
};

} // namespace kestrel::host
