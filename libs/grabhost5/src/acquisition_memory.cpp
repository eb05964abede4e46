// Acquisition memories.
#include "acquisition_memory.h"

#include "grabhost5.h"

#include <new>
#include <stdexcept>

namespace kestrel::host {

MemoryRing::MemoryRing(uint32_t bufferCount, uint64_t bufferBytes) : bufferBytes_(bufferBytes) {
    buffers_.reserve(bufferCount);
    for (uint32_t i = 0; i < bufferCount; ++i)
        buffers_.push_back(std::make_unique<std::byte[]>(static_cast<std::size_t>(bufferBytes)));
}

int32_t MemoryPool::allocate(uint32_t bufferCount, uint64_t bufferBytes, uint64_t& handle) {
    if (bufferCount == 0 || bufferBytes == 0 || bufferBytes > GH5_MAX_BUFFER_BYTES)
        return GH5_ERR_INVALID_ARGUMENT;
    if (bufferBytes * bufferCount > GH5_MAX_MEMORY_BYTES)
        return GH5_ERR_OUT_OF_MEMORY;
    try {
        auto ring = std::make_shared<MemoryRing>(bufferCount, bufferBytes);
        std::lock_guard lock(mutex_);
        handle = nextHandle_++;
        rings_.emplace(handle, std::move(ring));
        return GH5_OK;
    } catch (const std::bad_alloc&) {
        return GH5_ERR_OUT_OF_MEMORY;
    } catch (const std::length_error&) {
        return GH5_ERR_OUT_OF_MEMORY;
    }
}

std::shared_ptr<MemoryRing> MemoryPool::release(uint64_t handle) {
    std::lock_guard lock(mutex_);
    const auto it = rings_.find(handle);
    if (it == rings_.end())
        return nullptr;
    auto ring = std::move(it->second);
    rings_.erase(it);
    return ring;
}

std::shared_ptr<MemoryRing> MemoryPool::find(uint64_t handle) const {
    std::lock_guard lock(mutex_);
    const auto it = rings_.find(handle);
    return it == rings_.end() ? nullptr : it->second;
}

void MemoryPool::clear() {
    std::lock_guard lock(mutex_);
    rings_.clear();
}

} // namespace kestrel::host
