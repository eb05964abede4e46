// The objects behind the application's handles: open boards and grabber records.
#pragma once

#include "applet_library.h"
#include "grabhost5.h"
#include "token_registry.h"

#include <memory>

namespace kestrel::host {

// An open virtual board; the board closes when the last holder lets go (the application's handle
// and every grabber created on it).
class HostBoard {
public:
    HostBoard(void* device, int32_t index) : device_(device), index_(index) {}
    HostBoard(const HostBoard&) = delete;
    HostBoard& operator=(const HostBoard&) = delete;
    ~HostBoard();

    void* device() const { return device_; }
    int32_t index() const { return index_; }

private:
    void* device_;
    int32_t index_;
};

// The record an application holds, with what it keeps alive. The record comes first so that its
// address is the state's; members go in reverse order: the applet library is unloaded before the
// board closes.
struct GrabberState {
    Gh5Grabber record{};
    std::shared_ptr<HostBoard> board;
    std::shared_ptr<AppletLibrary> library;
    void* hostHandle = nullptr; // the host handle the applet initialised, if any
};

struct ApplicationHandles {
    static ApplicationHandles& instance();

    TokenRegistry<HostBoard> boards{0x62640000};
    TokenRegistry<AppletLibrary> applets{0x61700000};
    TokenRegistry<GrabberState> grabbers{0}; // keyed by record address
};

} // namespace kestrel::host
