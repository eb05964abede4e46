// Ownership of one opened design image: closed exactly once, when its owner lets go.
#pragma once

#include <utility>

namespace kestrel {

class DesignImageHandle {
public:
    DesignImageHandle() = default;
    // Takes ownership of an image returned by DesignImage_OpenFile/OpenMemory (null allowed).
    explicit DesignImageHandle(void* image) : image_(image) {}
    DesignImageHandle(DesignImageHandle&& other) noexcept : image_(std::exchange(other.image_, nullptr)) {}
    DesignImageHandle& operator=(DesignImageHandle&& other) noexcept {
        if (this != &other) {
            reset();
            image_ = std::exchange(other.image_, nullptr);
        }
        return *this;
    }
    DesignImageHandle(const DesignImageHandle&) = delete;
    DesignImageHandle& operator=(const DesignImageHandle&) = delete;
    ~DesignImageHandle() { reset(); }

    void* get() const { return image_; }
    explicit operator bool() const { return image_ != nullptr; }

    // Closes the image now (if any).
    void reset();

private:
    void* image_ = nullptr;
};

} // namespace kestrel
