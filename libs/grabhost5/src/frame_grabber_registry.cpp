// Creating and releasing host frame-grabber handles.
#include "frame_grabber_registry.h"

#include "boardhw.h"
#include "grabhost5.h"
#include "host_registers.h"

#include <new>

namespace kestrel::host {
namespace {

thread_local int32_t tLastInitialisationError = 0;

} // namespace

int32_t lastInitialisationError() {
    return tLastInitialisationError;
}
void setLastInitialisationError(int32_t code) {
    tLastInitialisationError = code;
}

FrameGrabberRegistry& FrameGrabberRegistry::instance() {
    static FrameGrabberRegistry registry;
    return registry;
}

void* FrameGrabberRegistry::initialise(const char* imageName, void* board, void* designImage,
                                       int32_t& error) {
    if (imageName == nullptr || imageName[0] == '\0') {
        error = GH5_ERR_INVALID_ARGUMENT;
        return nullptr;
    }
    if (designImage == nullptr) {
        error = GH5_ERR_NO_DESIGN;
        return nullptr;
    }
    if (const int32_t index = Board_GetIndex(board); index < 0) {
        error = index;
        return nullptr;
    }
    // Claim the board first: a second design must not be loaded under a running one.
    {
        std::lock_guard lock(boardsMutex_);
        if (!handleByBoard_.emplace(board, nullptr).second) {
            error = GH5_ERR_BOARD_BUSY;
            return nullptr;
        }
    }
    auto unclaim = [&] {
        std::lock_guard lock(boardsMutex_);
        handleByBoard_.erase(board);
    };
    error = Board_LoadDesign(board, designImage);
    HostRegisterTable registers;
    if (error == BOARD_OK)
        error = HostRegisterTable::read(designImage, board, registers);
    if (error != GH5_OK) {
        unclaim();
        return nullptr;
    }
    try {
        auto grabber = std::make_shared<HostFrameGrabber>(imageName, board, std::move(registers));
        void* handle = handles_.add(std::move(grabber));
        std::lock_guard lock(boardsMutex_);
        handleByBoard_[board] = handle;
        return handle;
    } catch (const std::bad_alloc&) {
        unclaim();
        error = GH5_ERR_OUT_OF_MEMORY;
        return nullptr;
    }
}

int32_t FrameGrabberRegistry::release(const void* handle) {
    const std::shared_ptr<HostFrameGrabber> grabber = handles_.remove(handle);
    if (!grabber)
        return GH5_ERR_INVALID_HANDLE;
    grabber->shutdown();
    std::lock_guard lock(boardsMutex_);
    handleByBoard_.erase(grabber->board());
    return GH5_OK;
}

void* FrameGrabberRegistry::handleOnBoard(const void* board) const {
    std::lock_guard lock(boardsMutex_);
    const auto it = handleByBoard_.find(board);
    return it == handleByBoard_.end() ? nullptr : it->second;
}

} // namespace kestrel::host
