// The host SDK's entry points that the applet calls back, bound by name when the applet is created.
#pragma once

#include <cstdint>

namespace kestrel {

// One pointer per host entry point; null when the host library does not export the name. The
// first argument of every call is the host's own frame-grabber handle.
struct HostFunctionTable {
    using GetAppletIdFn = int32_t (*)(void* hostFg, uint64_t value);
    using SetParameterFn = int32_t (*)(void* hostFg, int32_t id, const void* value, uint32_t dma);
    using SetParameterWithTypeFn = int32_t (*)(void* hostFg, int32_t id, const void* value, uint32_t dma,
                                               int32_t type);
    using GetParameterFn = int32_t (*)(void* hostFg, int32_t id, void* value, uint32_t dma);
    using GetParameterWithTypeFn = int32_t (*)(void* hostFg, int32_t id, void* value, uint32_t dma,
                                               int32_t type);
    using GetLastPicNumberBlockingExFn = int64_t (*)(void* hostFg, uint64_t picture, uint32_t dma,
                                                     int32_t timeout, uint64_t memory);
    using GetLastPicNumberExFn = int64_t (*)(void* hostFg, uint32_t dma, uint64_t memory);
    using FreeGrabberFn = int32_t (*)(void* hostFg);
    using GetLastErrorNumberFn = int32_t (*)(void* hostFg);
    using GetStatusExFn = int64_t (*)(void* hostFg, int32_t param, uint64_t data, uint32_t dma,
                                      uint64_t memory);
    using AcquireExFn = int32_t (*)(void* hostFg, int32_t dma, uint64_t count, int32_t flags,
                                    uint64_t memory);
    using StopAcquireExFn = int32_t (*)(void* hostFg, uint32_t dma, uint64_t memory, int32_t flags);
    using GetParameterInfoFn = void* (*)(void* hostFg, int32_t port);

    // Declared in the order in which they are looked up.
    GetAppletIdFn getAppletId = nullptr;
    SetParameterFn setParameter = nullptr;
    SetParameterWithTypeFn setParameterWithType = nullptr;
    GetParameterFn getParameter = nullptr;
    GetParameterWithTypeFn getParameterWithType = nullptr;
    GetLastPicNumberBlockingExFn getLastPicNumberBlockingEx = nullptr;
    GetLastPicNumberExFn getLastPicNumberEx = nullptr;
    FreeGrabberFn freeGrabber = nullptr;
    GetLastErrorNumberFn getLastErrorNumber = nullptr;
    GetStatusExFn getStatusEx = nullptr;
    AcquireExFn acquireEx = nullptr;
    StopAcquireExFn stopAcquireEx = nullptr;
    GetParameterInfoFn getParameterInfo = nullptr;
};

// Entry points used only while binding and initialising, kept apart from the table.
using HostInitHandleSlaveAwareFn = void* (*)(const char* imageName, void* boardHandle, void* designImage,
                                             int32_t slaveAware);
using HostInitHandleFn = void* (*)(const char* imageName, void* boardHandle, void* designImage);
using HostParameterIdByNameFn = int32_t (*)(void* hostFg, const char* name);

} // namespace kestrel
