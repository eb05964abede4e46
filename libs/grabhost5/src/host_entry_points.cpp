// The entry points an applet binds back by name: handle to host frame grabber, one call, result
// back. Nothing throws across them.
#include "grabhost5_host.h"

#include "frame_grabber_registry.h"

#include <new>
#include <type_traits>

using kestrel::host::FrameGrabberRegistry;
using kestrel::host::HostFrameGrabber;

namespace {

// Runs op on the grabber behind handle; a bad handle gives badHandle, an escaping allocation
// failure GH5_ERR_OUT_OF_MEMORY (recorded as the handle's last error where there is a handle).
template <typename Result, typename Op> Result withGrabber(void* handle, Result badHandle, Op&& op) noexcept {
    std::shared_ptr<HostFrameGrabber> grabber;
    try {
        grabber = FrameGrabberRegistry::instance().find(handle);
        if (!grabber)
            return badHandle;
        return op(*grabber);
    } catch (...) {
        if (grabber)
            grabber->record(GH5_ERR_OUT_OF_MEMORY);
        if constexpr (std::is_pointer_v<Result>)
            return nullptr;
        else
            return static_cast<Result>(GH5_ERR_OUT_OF_MEMORY);
    }
}

void* initialise(const char* imageName, void* boardHandle, void* designImage) noexcept {
    int32_t error = GH5_OK;
    void* handle = nullptr;
    try {
        handle = FrameGrabberRegistry::instance().initialise(imageName, boardHandle, designImage, error);
    } catch (...) {
        error = GH5_ERR_OUT_OF_MEMORY;
        handle = nullptr;
    }
    kestrel::host::setLastInitialisationError(handle == nullptr ? error : GH5_OK);
    return handle;
}

} // namespace

extern "C" {

GH5_API void* Fg_InitHandleSlaveAware(const char* imageName, void* boardHandle, void* designImage,
                                      int32_t slaveAware) {
    // A virtual board has no master/slave pairing; the flag changes nothing.
    (void)slaveAware;
    return initialise(imageName, boardHandle, designImage);
}

GH5_API void* Fg_InitHandle(const char* imageName, void* boardHandle, void* designImage) {
    return initialise(imageName, boardHandle, designImage);
}

GH5_API int32_t Fg_getLastErrorNumber(void* hostFg) {
    if (hostFg == nullptr)
        return kestrel::host::lastInitialisationError();
    return withGrabber(hostFg, GH5_ERR_INVALID_HANDLE, [](HostFrameGrabber& g) { return g.lastError(); });
}

GH5_API int32_t Fg_getParameterIdByName(void* hostFg, const char* name) {
    return withGrabber(hostFg, 0, [&](HostFrameGrabber& g) {
        const int32_t id = g.parameterIdByName(name);
        g.record(id == 0 ? GH5_ERR_UNKNOWN_PARAMETER : GH5_OK);
        return id;
    });
}

GH5_API int32_t Fg_setParameter(void* hostFg, int32_t id, const void* value, uint32_t dma) {
    return withGrabber(hostFg, GH5_ERR_INVALID_HANDLE,
                       [&](HostFrameGrabber& g) { return g.setParameter(id, value, dma); });
}

GH5_API int32_t Fg_getParameter(void* hostFg, int32_t id, void* value, uint32_t dma) {
    return withGrabber(hostFg, GH5_ERR_INVALID_HANDLE,
                       [&](HostFrameGrabber& g) { return g.getParameter(id, value, dma); });
}

GH5_API int32_t Fg_setParameterWithType(void* hostFg, int32_t id, const void* value, uint32_t dma,
                                        int32_t type) {
    return withGrabber(hostFg, GH5_ERR_INVALID_HANDLE,
                       [&](HostFrameGrabber& g) { return g.setParameterWithType(id, value, dma, type); });
}

GH5_API int32_t Fg_getParameterWithType(void* hostFg, int32_t id, void* value, uint32_t dma, int32_t type) {
    return withGrabber(hostFg, GH5_ERR_INVALID_HANDLE,
                       [&](HostFrameGrabber& g) { return g.getParameterWithType(id, value, dma, type); });
}

GH5_API void* Fg_getParameterInfo(void* hostFg, int32_t port) {
    return withGrabber(hostFg, static_cast<void*>(nullptr),
                       [&](HostFrameGrabber& g) { return static_cast<void*>(g.parameterInfo(port)); });
}

GH5_API int32_t Fg_FreeGrabber(void* hostFg) {
    try {
        return FrameGrabberRegistry::instance().release(hostFg);
    } catch (...) {
        return GH5_ERR_INVALID_HANDLE;
    }
}

GH5_API int32_t Fg_getAppletId(void* hostFg, uint64_t value) {
    return withGrabber(hostFg, GH5_ERR_INVALID_HANDLE,
                       [&](HostFrameGrabber& g) { return g.appletId(value); });
}

GH5_API int64_t Fg_getStatusEx(void* hostFg, int32_t param, uint64_t data, uint32_t dma, uint64_t memory) {
    return withGrabber(hostFg, int64_t{GH5_ERR_INVALID_HANDLE},
                       [&](HostFrameGrabber& g) { return g.status(param, data, dma, memory); });
}

GH5_API int32_t Fg_AcquireEx(void* hostFg, int32_t dma, uint64_t count, int32_t flags, uint64_t memory) {
    return withGrabber(hostFg, GH5_ERR_INVALID_HANDLE,
                       [&](HostFrameGrabber& g) { return g.acquire(dma, count, flags, memory); });
}

GH5_API int32_t Fg_stopAcquireEx(void* hostFg, uint32_t dma, uint64_t memory, int32_t flags) {
    return withGrabber(hostFg, GH5_ERR_INVALID_HANDLE,
                       [&](HostFrameGrabber& g) { return g.stopAcquire(dma, memory, flags); });
}

GH5_API int64_t Fg_getLastPicNumberEx(void* hostFg, uint32_t dma, uint64_t memory) {
    return withGrabber(hostFg, int64_t{GH5_ERR_INVALID_HANDLE},
                       [&](HostFrameGrabber& g) { return g.lastPictureNumber(dma, memory); });
}

GH5_API int64_t Fg_getLastPicNumberBlockingEx(void* hostFg, uint64_t picture, uint32_t dma, int32_t timeout,
                                              uint64_t memory) {
    return withGrabber(hostFg, int64_t{GH5_ERR_INVALID_HANDLE}, [&](HostFrameGrabber& g) {
        return g.lastPictureNumberBlocking(picture, dma, timeout, memory);
    });
}

} // extern "C"
