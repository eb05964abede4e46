// Opaque handles for objects shared across the C boundary: a handle is a token that is looked up,
// never dereferenced, and never reused, so null, freed and foreign handles are refused safely.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace kestrel::host {

template <typename T> class TokenRegistry {
public:
    explicit TokenRegistry(uintptr_t firstToken) : next_(firstToken) {}

    void* add(std::shared_ptr<T> object) {
        std::lock_guard lock(mutex_);
        const uintptr_t token = next_;
        next_ += 0x10;
        objects_.emplace(token, std::move(object));
        return reinterpret_cast<void*>(token);
    }
    // Registers an object under a key of the caller's (an address the caller owns) instead of a
    // fresh token.
    void insert(const void* key, std::shared_ptr<T> object) {
        std::lock_guard lock(mutex_);
        objects_[reinterpret_cast<uintptr_t>(key)] = std::move(object);
    }
    // A reference for the caller's call, or null.
    std::shared_ptr<T> find(const void* handle) const {
        std::lock_guard lock(mutex_);
        const auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
        return it == objects_.end() ? nullptr : it->second;
    }
    // Removes the handle; returns the object (null for a bad handle) so the caller decides when
    // the last reference goes.
    std::shared_ptr<T> remove(const void* handle) {
        std::lock_guard lock(mutex_);
        const auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
        if (it == objects_.end())
            return nullptr;
        auto object = std::move(it->second);
        objects_.erase(it);
        return object;
    }

private:
    mutable std::mutex mutex_;
    std::unordered_map<uintptr_t, std::shared_ptr<T>> objects_;
    uintptr_t next_;
};

} // namespace kestrel::host
