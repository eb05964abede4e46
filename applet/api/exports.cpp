// The library's C exports. Each one only translates: the handle to the applet object, one call,
// the result back. Only the lock's use errors may leave an export as exceptions.
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

#include "api/applet_factory.h"
#include "api/applet_info.h"
#include "api/fg_ds_wrapper.h"
#include "api/fg_ds_wrapper_impl.h"
#include "api/wrapper_private.h"
#include "core/error_codes.h"
#include "include/kestrel12.h"
#include "support/locks.h"

#define KESTREL_EXPORT extern "C" KESTREL12_API

namespace kestrel {
namespace {

// The applet object in the first field of the host's frame-grabber record, or null.
FgDsWrapper* appletOf(void* fg) {
    if (fg == nullptr)
        return nullptr;
    void* applet = nullptr;
    std::memcpy(&applet, fg, sizeof applet);
    return static_cast<FgDsWrapper*>(applet);
}

void clearApplet(void* fg) {
    void* const none = nullptr;
    std::memcpy(fg, &none, sizeof none);
}

template <typename Result>
constexpr bool kResultIsCode = std::is_integral_v<Result>&& std::is_signed_v<Result>;

// Runs an export's body. A thrown code or exhausted memory becomes the result where the result is
// a code; anything else the export's failure value. Lock misuse passes through.
template <typename Result, typename Body> Result shielded(Result failure, Body&& body) {
    try {
        return body();
    } catch (const quil::templates::patterns::LockUseError&) {
        throw;
    } catch (int32_t code) {
        if constexpr (kResultIsCode<Result>)
            return code;
        return failure;
    } catch (const std::bad_alloc&) {
        if constexpr (kResultIsCode<Result>)
            return kErrOutOfMemory;
        return failure;
    } catch (...) {
        return failure;
    }
}

// The one way from a handle to its applet: `badHandle` when the record or its first field is
// null; otherwise the body on the applet, shielded. Whatever else escapes the body becomes
// kErrGeneric where the result is a code and `badHandle` (null, 0) where it is not.
template <typename Result, typename Body> Result onApplet(void* fg, Result badHandle, Body&& body) {
    FgDsWrapper* applet = appletOf(fg);
    if (applet == nullptr)
        return badHandle;
    Result failure = badHandle;
    if constexpr (kResultIsCode<Result>)
        failure = kErrGeneric;
    return shielded<Result>(failure, [&] { return body(*applet); });
}

// Calls the host's entry point of the same name with the host's own handle. The last error
// becomes 0 for a non-negative result and the host's error number for a negative one (negative at
// the result's own width: a 64-bit picture number above 2^31 is a success).
template <typename Entry, typename... Args>
auto forwardToHost(void* fg, Entry HostFunctionTable::*entry, Args... args) {
    using Result = std::invoke_result_t<Entry, void*, Args...>;
    return onApplet(fg, Result{kErrNoApplet}, [&](FgDsWrapper& applet) {
        WrapperPrivate& record = applet.wrapperPrivate();
        const HostBinding& host = record.host();
        const Entry function = host.hostFunctions().*entry;
        if (function == nullptr || host.hostFgHandle() == nullptr) {
            record.setLastError(kErrNotAvailable);
            return Result{kErrNotAvailable};
        }
        const Result result = function(host.hostFgHandle(), args...);
        record.setLastError(result < 0 ? host.queryHostLastError() : kOk);
        return result;
    });
}

// Shading operations leave their result as the last error, whatever its sign.
template <typename Body> int32_t shadingCall(void* fg, Body&& body) {
    return onApplet(fg, kErrNoApplet, [&](FgDsWrapper& applet) {
        const int32_t result = shielded<int32_t>(kErrGeneric, [&] { return body(applet); });
        applet.wrapperPrivate().setLastError(result);
        return result;
    });
}

// The two 64-bit integer types: a 32-bit answer must not leave the upper half undefined.
int32_t getClearingWideBuffers(FgDsWrapper& applet, int32_t id, void* value, uint32_t dma, int32_t type) {
    if ((type == KESTREL12_TYPE_INT64 || type == KESTREL12_TYPE_UINT64) && value != nullptr)
        std::memset(value, 0, sizeof(uint64_t));
    return applet.getParameterWithType(id, value, dma, type);
}

// The new object as the host keeps it, or null with the reason in `*error` (which may be null).
void* newAppletObject(void* boardHandle, int32_t* error, int32_t flags) {
    int32_t discarded = 0;
    int32_t& code = error != nullptr ? *error : discarded;
    try {
        auto applet = createApplet(boardHandle, code, flags);
        return applet ? static_cast<FgDsWrapper*>(applet.release()) : nullptr;
    } catch (const std::bad_alloc&) {
        code = kErrOutOfMemory;
    } catch (...) {
        code = kErrGeneric;
    }
    return nullptr;
}

// The host's handle is released before the object goes; the host's result (0 when it has no
// Fg_FreeGrabber or no handle was made).
int32_t freeGrabber(void* fg, FgDsWrapper& applet) {
    const HostBinding& host = applet.wrapperPrivate().host();
    int32_t result = kOk;
    if (host.hostFunctions().freeGrabber != nullptr && host.hostFgHandle() != nullptr)
        result = host.hostFunctions().freeGrabber(host.hostFgHandle());
    delete &applet;
    clearApplet(fg);
    return result;
}

// Only while the host offers its own tree through a handle: the applet's root of that port.
void* parameterInfoRoot(FgDsWrapper& applet, int32_t port) {
    const HostBinding& host = applet.wrapperPrivate().host();
    if (host.hostFunctions().getParameterInfo == nullptr || host.hostFgHandle() == nullptr)
        return nullptr;
    return const_cast<void*>(applet.parameterInfoRoot(port));
}

void* allocShading(FgDsWrapper& applet, int32_t a, int32_t b) {
    void* shading = shielded<void*>(nullptr, [&] { return applet.allocShading(a, b); });
    applet.wrapperPrivate().setLastError(shading != nullptr ? kOk : kErrGeneric);
    return shading;
}

} // namespace
} // namespace kestrel

using kestrel::FgDsWrapper;
using kestrel::HostFunctionTable;
using kestrel::kErrNoApplet;
using kestrel::onApplet;

// ---- creation and properties (no handle yet) ----

KESTREL_EXPORT void* Std_entry(void* boardHandle, int32_t* error, int32_t flags) {
    return kestrel::shielded<void*>(nullptr,
                                    [&] { return kestrel::newAppletObject(boardHandle, error, flags); });
}

KESTREL_EXPORT int32_t Info(int32_t query, uint32_t a, uint32_t b, void* out1, void* out2) {
    return kestrel::shielded<int32_t>(kestrel::kErrGeneric,
                                      [&] { return kestrel::appletInfo(query, a, b, out1, out2); });
}

// ---- parameters ----

KESTREL_EXPORT int32_t Fg_setParameterWithType(void* fg, int32_t id, const void* value, uint32_t dma,
                                               int32_t type) {
    return onApplet(fg, kErrNoApplet,
                    [&](FgDsWrapper& a) { return a.setParameterWithType(id, value, dma, type); });
}

KESTREL_EXPORT int32_t Fg_getParameterWithType(void* fg, int32_t id, void* value, uint32_t dma,
                                               int32_t type) {
    return onApplet(fg, kErrNoApplet,
                    [&](FgDsWrapper& a) { return kestrel::getClearingWideBuffers(a, id, value, dma, type); });
}

KESTREL_EXPORT int32_t Fg_getParameterIdByName(void* fg, const char* name) {
    return onApplet(fg, kErrNoApplet, [&](FgDsWrapper& a) { return a.getParameterIdByName(name); });
}

KESTREL_EXPORT const char* Fg_getParameterName(void* fg, int32_t index) {
    return onApplet<const char*>(fg, nullptr, [&](FgDsWrapper& a) { return a.getParameterName(index); });
}

KESTREL_EXPORT int32_t Fg_getParameterId(void* fg, int32_t index) {
    return onApplet(fg, kErrNoApplet, [&](FgDsWrapper& a) { return a.getParameterId(index); });
}

KESTREL_EXPORT int32_t Fg_getNrOfParameter(void* fg) {
    return onApplet(fg, kErrNoApplet, [&](FgDsWrapper& a) { return a.getNrOfParameter(); });
}

// ---- events ----

KESTREL_EXPORT uint64_t Fg_getEventMask(void* fg, const char* name) {
    return onApplet<uint64_t>(fg, 0, [&](FgDsWrapper& a) { return a.getEventMask(name); });
}

KESTREL_EXPORT const char* Fg_getEventName(void* fg, uint64_t mask) {
    return onApplet<const char*>(fg, nullptr, [&](FgDsWrapper& a) { return a.getEventName(mask); });
}

// ---- configuration files and descriptions ----

KESTREL_EXPORT int32_t Fg_saveConfig(void* fg, const char* fileName) {
    return onApplet(fg, kErrNoApplet, [&](FgDsWrapper& a) {
        return a.saveConfig(a.wrapperPrivate().host().hostFgHandle(), fileName);
    });
}

KESTREL_EXPORT int32_t Fg_loadConfig(void* fg, const char* fileName) {
    return onApplet(fg, kErrNoApplet, [&](FgDsWrapper& a) {
        return a.loadConfig(a.wrapperPrivate().host().hostFgHandle(), fileName);
    });
}

KESTREL_EXPORT int32_t Fg_getParameterInfoXML(void* fg, int32_t port, char* buffer, uint64_t* size) {
    return onApplet(fg, kErrNoApplet,
                    [&](FgDsWrapper& a) { return a.getParameterInfoXML(fg, port, buffer, size); });
}

KESTREL_EXPORT void* Fg_getParameterInfo(void* fg, int32_t port) {
    return onApplet<void*>(fg, nullptr, [&](FgDsWrapper& a) { return kestrel::parameterInfoRoot(a, port); });
}

// ---- shading ----

KESTREL_EXPORT void* Fg_AllocShading(void* fg, int32_t a, int32_t b) {
    return onApplet<void*>(fg, nullptr,
                           [&](FgDsWrapper& applet) { return kestrel::allocShading(applet, a, b); });
}

KESTREL_EXPORT int32_t Fg_FreeShading(void* fg, void* shading) {
    return kestrel::shadingCall(fg, [&](FgDsWrapper& applet) { return applet.freeShading(shading); });
}

KESTREL_EXPORT int32_t Shad_SetSubValueLine(void* fg, void* shading, int32_t x, int32_t channel,
                                            float value) {
    return kestrel::shadingCall(
        fg, [&](FgDsWrapper& applet) { return applet.setSubValueLine(shading, x, channel, value); });
}

KESTREL_EXPORT int32_t Shad_SetMultValueLine(void* fg, void* shading, int32_t x, int32_t channel,
                                             float value) {
    return kestrel::shadingCall(
        fg, [&](FgDsWrapper& applet) { return applet.setMultValueLine(shading, x, channel, value); });
}

KESTREL_EXPORT int32_t Shad_SetFixedPatternNoiseLine(void* fg, void* shading, int32_t x, int32_t channel,
                                                     int32_t value) {
    return kestrel::shadingCall(
        fg, [&](FgDsWrapper& applet) { return applet.setFixedPatternNoiseLine(shading, x, channel, value); });
}

KESTREL_EXPORT int32_t Shad_GetMaxLine(void* fg, void* shading) {
    return kestrel::shadingCall(fg, [&](FgDsWrapper& applet) { return applet.getMaxLine(shading); });
}

KESTREL_EXPORT int32_t Shad_GetAccess(void* fg, void* shading) {
    return kestrel::shadingCall(fg, [&](FgDsWrapper& applet) { return applet.getAccess(shading); });
}

KESTREL_EXPORT int32_t Shad_FreeAccess(void* fg, void* shading) {
    return kestrel::shadingCall(fg, [&](FgDsWrapper& applet) { return applet.freeAccess(shading); });
}

KESTREL_EXPORT int32_t Shad_WriteActLine(void* fg, void* shading, int32_t line) {
    return kestrel::shadingCall(fg, [&](FgDsWrapper& applet) { return applet.writeActLine(shading, line); });
}

// ---- forwarded to the host SDK ----

KESTREL_EXPORT int32_t Fg_getAppletId(void* fg, uint64_t value) {
    return kestrel::forwardToHost(fg, &HostFunctionTable::getAppletId, value);
}

KESTREL_EXPORT int64_t Fg_getStatusEx(void* fg, int32_t param, uint64_t data, uint32_t dma, uint64_t memory) {
    return kestrel::forwardToHost(fg, &HostFunctionTable::getStatusEx, param, data, dma, memory);
}

KESTREL_EXPORT int32_t Fg_AcquireEx(void* fg, int32_t dma, uint64_t count, int32_t flags, uint64_t memory) {
    return kestrel::forwardToHost(fg, &HostFunctionTable::acquireEx, dma, count, flags, memory);
}

KESTREL_EXPORT int32_t Fg_stopAcquireEx(void* fg, uint32_t dma, uint64_t memory, int32_t flags) {
    return kestrel::forwardToHost(fg, &HostFunctionTable::stopAcquireEx, dma, memory, flags);
}

KESTREL_EXPORT int64_t Fg_getLastPicNumberEx(void* fg, uint32_t dma, uint64_t memory) {
    return kestrel::forwardToHost(fg, &HostFunctionTable::getLastPicNumberEx, dma, memory);
}

KESTREL_EXPORT int64_t Fg_getLastPicNumberBlockingEx(void* fg, uint64_t picture, uint32_t dma,
                                                     int32_t timeout, uint64_t memory) {
    return kestrel::forwardToHost(fg, &HostFunctionTable::getLastPicNumberBlockingEx, picture, dma, timeout,
                                  memory);
}

// ---- last error and teardown ----

KESTREL_EXPORT int32_t Fg_getLastErrorNumber(void* fg) {
    return onApplet(fg, kErrNoApplet, [](FgDsWrapper& a) { return a.wrapperPrivate().lastError(); });
}

KESTREL_EXPORT int32_t Fg_FreeGrabber(void* fg) {
    return onApplet(fg, kErrNoApplet, [&](FgDsWrapper& a) { return kestrel::freeGrabber(fg, a); });
}
