// C++ wrapper of the host SDK's application API: move-only owners of boards, applet libraries,
// grabbers and acquisition memories. Failures throw gh5::Error carrying the code.
// Needs C++17 or later (std::optional in its interface); the C header grabhost5.h serves C and
// older C++.
#pragma once

#if (defined(_MSVC_LANG) ? _MSVC_LANG : __cplusplus) < 201703L
#error "grabhost5.hpp needs C++17 or later; include grabhost5.h from older C++ or from C"
#endif

#include "grabhost5.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace gh5 {

class Error : public std::runtime_error {
public:
    Error(int32_t code, const std::string& what) : std::runtime_error(what), code_(code) {}
    int32_t code() const { return code_; }

private:
    int32_t code_;
};

// "what: text (code)", plus the library's detail of the failure when it has one.
inline std::string describe(const std::string& what, int32_t code) {
    std::string message = what + ": " + gh5_error_text(code) + " (" + std::to_string(code) + ")";
    const std::string detail = gh5_error_detail();
    if (!detail.empty())
        message += " [" + detail + "]";
    return message;
}

inline void check(int32_t code, const std::string& what) {
    if (code != GH5_OK)
        throw Error(code, describe(what, code));
}

namespace detail {

// Owns one handle of type H and releases it with Release; move-only.
template <typename H, int32_t (*Release)(H*)> class Owner {
public:
    Owner() = default;
    explicit Owner(H* handle) : handle_(handle) {}
    Owner(Owner&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    ~Owner() { reset(); }

    H* get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Releases now; the release result (0 or a code).
    int32_t reset() { return handle_ == nullptr ? GH5_OK : Release(std::exchange(handle_, nullptr)); }

private:
    H* handle_ = nullptr;
};

} // namespace detail

// An open virtual board.
class Board {
public:
    static Board open(int32_t index) {
        Gh5Board* handle = nullptr;
        check(gh5_board_open(index, &handle), "cannot open board " + std::to_string(index));
        return Board(handle);
    }
    static int32_t count() { return gh5_board_count(); }

    Gh5Board* get() const { return owner_.get(); }
    // The libboardhw handle the applet receives; valid while the board is open.
    void* device() const { return gh5_board_device(owner_.get()); }
    int32_t index() const { return gh5_board_index(owner_.get()); }
    int32_t close() { return owner_.reset(); }

private:
    explicit Board(Gh5Board* handle) : owner_(handle) {}
    detail::Owner<Gh5Board, gh5_board_close> owner_;
};

// A loaded applet library, for its properties (Info) without creating an applet.
class Applet {
public:
    static Applet load(const std::string& name) {
        Gh5Applet* handle = nullptr;
        check(gh5_applet_load(name.c_str(), &handle), "cannot load applet " + name);
        return Applet(handle);
    }

    Gh5Applet* get() const { return owner_.get(); }
    const Gh5AppletExports& exports() const { return *gh5_applet_exports(owner_.get()); }
    std::string file() const { return gh5_applet_file(owner_.get()); }

    // Info(query, a, b, out1, out2)'s result.
    int32_t info(int32_t query, uint32_t a = 0, uint32_t b = 0, void* out1 = nullptr,
                 void* out2 = nullptr) const {
        int32_t result = 0;
        check(gh5_applet_info(owner_.get(), query, a, b, out1, out2, &result),
              "Info " + std::to_string(query));
        return result;
    }
    // A query that answers with the address of a text in its second output; nothing when the
    // query fails or gives no text.
    std::optional<std::string> text(int32_t query) const {
        uint64_t address = 0;
        if (info(query, 0, 0, nullptr, &address) != 0 || address == 0)
            return std::nullopt;
        return std::string(reinterpret_cast<const char*>(static_cast<uintptr_t>(address)));
    }
    // A query that answers with a number in its first output.
    std::optional<uint64_t> number(int32_t query) const {
        uint64_t value = 0;
        if (info(query, 0, 0, &value, nullptr) != 0)
            return std::nullopt;
        return value;
    }
    int32_t unload() { return owner_.reset(); }

private:
    explicit Applet(Gh5Applet* handle) : owner_(handle) {}
    detail::Owner<Gh5Applet, gh5_applet_unload> owner_;
};

// An applet created on a board. The applet's functions are reached through exports() with
// record() as their frame-grabber handle.
class Grabber {
public:
    static Grabber create(Board& board, const std::string& applet) {
        Gh5Grabber* record = nullptr;
        check(gh5_grabber_create(board.get(), applet.c_str(), &record),
              "cannot create applet " + applet + " on board " + std::to_string(board.index()));
        return Grabber(record);
    }

    Gh5Grabber* record() const { return owner_.get(); }
    const Gh5AppletExports& exports() const { return *owner_.get()->exports; }
    // Frees the applet (its Fg_FreeGrabber's result), unloads it, lets go of the board.
    int32_t free() { return owner_.reset(); }

    // Waits up to timeoutMs for any event of mask (masks from the applet's Fg_getEventMask);
    // nothing when none fired in time.
    std::optional<Gh5EventInfo> waitEvent(uint64_t mask, uint32_t timeoutMs) const {
        Gh5EventInfo info{};
        const int32_t code = gh5_event_wait(owner_.get(), mask, timeoutMs, &info);
        if (code == GH5_ERR_TIMEOUT)
            return std::nullopt;
        check(code, "waiting for events");
        return info;
    }

private:
    explicit Grabber(Gh5Grabber* record) : owner_(record) {}
    detail::Owner<Gh5Grabber, gh5_grabber_free> owner_;
};

// An acquisition memory of a grabber; must not outlive it.
class Memory {
public:
    Memory(Grabber& grabber, uint32_t bufferCount, uint64_t bufferBytes) : grabber_(grabber.record()) {
        check(gh5_memory_alloc(grabber_, bufferCount, bufferBytes, &handle_),
              "cannot allocate acquisition memory");
    }
    Memory(Memory&& other) noexcept
        : grabber_(std::exchange(other.grabber_, nullptr)), handle_(std::exchange(other.handle_, 0)) {}
    Memory& operator=(Memory&& other) noexcept {
        if (this != &other) {
            release();
            grabber_ = std::exchange(other.grabber_, nullptr);
            handle_ = std::exchange(other.handle_, 0);
        }
        return *this;
    }
    Memory(const Memory&) = delete;
    Memory& operator=(const Memory&) = delete;
    ~Memory() { release(); }

    // The 64-bit memory value of the acquisition calls.
    uint64_t handle() const { return handle_; }
    void* buffer(uint32_t index) const { return gh5_memory_buffer(grabber_, handle_, index); }
    // Blocking acquisition: gives buffer `index`, or every buffer up to picture `picture`, back to
    // the DMA of channel `dma`.
    void releaseBuffer(uint32_t index, uint32_t dma = 0) const {
        check(gh5_buffer_release(grabber_, dma, handle_, index), "releasing buffer " + std::to_string(index));
    }
    void releaseUpTo(uint64_t picture, uint32_t dma = 0) const {
        check(gh5_buffer_release_up_to(grabber_, dma, handle_, picture),
              "releasing buffers up to picture " + std::to_string(picture));
    }
    int32_t release() {
        if (grabber_ == nullptr)
            return GH5_OK;
        return gh5_memory_free(std::exchange(grabber_, nullptr), std::exchange(handle_, 0));
    }

private:
    Gh5Grabber* grabber_;
    uint64_t handle_ = 0;
};

} // namespace gh5
