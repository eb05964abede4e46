// Acquisition memories: rings of host buffers that DMA transfers fill, named by 64-bit handles.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace kestrel::host {

class MemoryRing {
public:
    // Throws std::bad_alloc when the buffers do not fit.
    MemoryRing(uint32_t bufferCount, uint64_t bufferBytes);

    uint32_t bufferCount() const { return static_cast<uint32_t>(buffers_.size()); }
    uint64_t bufferBytes() const { return bufferBytes_; }
    void* buffer(uint32_t index) const { return index < buffers_.size() ? buffers_[index].get() : nullptr; }

private:
    uint64_t bufferBytes_;
    std::vector<std::unique_ptr<std::byte[]>> buffers_;
};

// The memories of one host handle. Handles are never reused by a pool, and never 0.
class MemoryPool {
public:
    // Codes: GH5_ERR_INVALID_ARGUMENT for a zero count or size or an oversized buffer,
    // GH5_ERR_OUT_OF_MEMORY for a memory above the limit or one the system refuses.
    int32_t allocate(uint32_t bufferCount, uint64_t bufferBytes, uint64_t& handle);
    // The ring stays alive for whoever still holds it.
    std::shared_ptr<MemoryRing> release(uint64_t handle);
    std::shared_ptr<MemoryRing> find(uint64_t handle) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::unordered_map<uint64_t, std::shared_ptr<MemoryRing>> rings_;
    uint64_t nextHandle_ = 0x6d656d0000000001ull;
};

} // namespace kestrel::host
