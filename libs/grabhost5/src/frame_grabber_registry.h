// The host frame-grabber handles of the process, and which board each one runs on.
#pragma once

#include "host_frame_grabber.h"
#include "token_registry.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace kestrel::host {

class FrameGrabberRegistry {
public:
    static FrameGrabberRegistry& instance();

    // Creates the handle for a design on a board; nullptr with error set when the arguments are
    // unusable, the board refuses the design or another handle runs on the board.
    void* initialise(const char* imageName, void* board, void* designImage, int32_t& error);
    std::shared_ptr<HostFrameGrabber> find(const void* handle) const { return handles_.find(handle); }
    // Shuts the handle down and frees its board; GH5_ERR_INVALID_HANDLE for a bad handle.
    int32_t release(const void* handle);
    // The handle currently running a design on board, or nullptr.
    void* handleOnBoard(const void* board) const;

private:
    FrameGrabberRegistry() : handles_(0x68660000) {}

    TokenRegistry<HostFrameGrabber> handles_;
    mutable std::mutex boardsMutex_;
    std::unordered_map<const void*, void*> handleByBoard_;
};

// Per thread: the code of the last failed initialisation (0 after a successful one).
int32_t lastInitialisationError();
void setLastInitialisationError(int32_t code);

} // namespace kestrel::host
