// A stand-in applet for the host's tests: binds the host back by name like the real applet, opens
// the design image it is given and forwards typed and acquisition calls to the host. Built several
// times with FAKE_APPLET_MODE choosing how Std_entry behaves.
#include "designrt.h"
#include "kestrel12.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#define FAKE_API extern "C" __attribute__((visibility("default")))

#define FAKE_MODE_WORKS 0
#define FAKE_MODE_FAILS 1      // Std_entry fails with -100 before touching the host
#define FAKE_MODE_REFUSES 2    // Std_entry returns null and leaves the code at 0
#define FAKE_MODE_FAILS_LATE 3 // initialises the host, then fails with -2031
#define FAKE_MODE_NO_ENTRY 4   // has no Std_entry at all
#define FAKE_MODE_NO_FREE 5    // has no Fg_FreeGrabber: the host must refuse it as well

namespace {

using InitHandle = void* (*)(const char*, void*, void*);

// The host's entry points, bound by name as the real applet binds them.
struct Host {
    void* module = nullptr;
    InitHandle init = nullptr;
    int32_t (*lastError)(void*) = nullptr;
    int32_t (*freeGrabber)(void*) = nullptr;
    int32_t (*setTyped)(void*, int32_t, const void*, uint32_t, int32_t) = nullptr;
    int32_t (*getTyped)(void*, int32_t, void*, uint32_t, int32_t) = nullptr;
    int32_t (*appletId)(void*, uint64_t) = nullptr;
    int64_t (*status)(void*, int32_t, uint64_t, uint32_t, uint64_t) = nullptr;
    int32_t (*acquire)(void*, int32_t, uint64_t, int32_t, uint64_t) = nullptr;
    int32_t (*stop)(void*, uint32_t, uint64_t, int32_t) = nullptr;
    int64_t (*lastPicture)(void*, uint32_t, uint64_t) = nullptr;
    int64_t (*lastPictureBlocking)(void*, uint64_t, uint32_t, int32_t, uint64_t) = nullptr;
};

struct FakeApplet {
    Host host;
    void* image = nullptr;
    void* hostFg = nullptr;
};

template <typename Fn> void bind(void* module, const char* name, Fn& slot) {
    slot = reinterpret_cast<Fn>(::dlsym(module, name));
}

[[maybe_unused]] bool bindHost(Host& host) {
    host.module = ::dlopen("libgrabhost5.so", RTLD_NOW);
    if (host.module == nullptr)
        return false;
    bind(host.module, "Fg_InitHandle", host.init);
    bind(host.module, "Fg_getLastErrorNumber", host.lastError);
    bind(host.module, "Fg_FreeGrabber", host.freeGrabber);
    bind(host.module, "Fg_setParameterWithType", host.setTyped);
    bind(host.module, "Fg_getParameterWithType", host.getTyped);
    bind(host.module, "Fg_getAppletId", host.appletId);
    bind(host.module, "Fg_getStatusEx", host.status);
    bind(host.module, "Fg_AcquireEx", host.acquire);
    bind(host.module, "Fg_stopAcquireEx", host.stop);
    bind(host.module, "Fg_getLastPicNumberEx", host.lastPicture);
    bind(host.module, "Fg_getLastPicNumberBlockingEx", host.lastPictureBlocking);
    return host.init != nullptr;
}

FakeApplet* appletOf(void* fg) {
    return fg == nullptr ? nullptr : *static_cast<FakeApplet**>(fg);
}

// Calls the host's entry point in `slot` with the applet's host handle, or answers -2001.
template <auto slot, typename... Args> auto forward(void* fg, Args... args) {
    FakeApplet* a = appletOf(fg);
    return a == nullptr ? decltype((a->host.*slot)(nullptr, args...))(-2001)
                        : (a->host.*slot)(a->hostFg, args...);
}

void destroy(FakeApplet* applet) {
    if (applet->image != nullptr)
        DesignImage_Close(applet->image);
    if (applet->host.module != nullptr)
        ::dlclose(applet->host.module);
    delete applet;
}

const char kName[] = "FakeApplet";
const char kVersion[] = "0.1";
const char kTitle[] = "Fake applet for host tests";

} // namespace

#if FAKE_APPLET_MODE != FAKE_MODE_NO_ENTRY
FAKE_API void* Std_entry(void* boardHandle, int32_t* error, int32_t flags) {
    int32_t ignored = 0;
    int32_t& code = error != nullptr ? *error : ignored;
    if (flags != 0) {
        code = KESTREL12_ERR_INVALID_ARGUMENT;
        return nullptr;
    }
    if (FAKE_APPLET_MODE == FAKE_MODE_FAILS) {
        code = KESTREL12_ERR_INIT_FAILED;
        return nullptr;
    }
    if (FAKE_APPLET_MODE == FAKE_MODE_REFUSES) {
        code = 0;
        return nullptr;
    }
    auto* applet = new (std::nothrow) FakeApplet;
    if (applet == nullptr || !bindHost(applet->host)) {
        code = KESTREL12_ERR_HOST_UNUSABLE;
        if (applet != nullptr)
            destroy(applet);
        return nullptr;
    }
    // The design comes from the file the test names; the real image by default.
    const char* path = std::getenv("FAKE_APPLET_DESIGN");
    applet->image = DesignImage_OpenFile(path != nullptr ? path : KESTREL_DESIGN_IMAGE_PATH, 2626, 1);
    if (applet->image == nullptr) {
        code = KESTREL12_ERR_INIT_FAILED;
        destroy(applet);
        return nullptr;
    }
    applet->hostFg = applet->host.init("Fake.hap", boardHandle, applet->image);
    if (applet->hostFg == nullptr) {
        code =
            applet->host.lastError != nullptr ? applet->host.lastError(nullptr) : KESTREL12_ERR_INIT_FAILED;
        destroy(applet);
        return nullptr;
    }
    if (FAKE_APPLET_MODE == FAKE_MODE_FAILS_LATE) {
        // Leaves the host handle behind on purpose: the host must clean up after such an applet.
        applet->hostFg = nullptr;
        destroy(applet);
        code = KESTREL12_ERR_HOST_UNUSABLE;
        return nullptr;
    }
    code = 0;
    return applet;
}
#endif

FAKE_API int32_t Info(int32_t query, uint32_t, uint32_t, void* out1, void* out2) {
    const uint64_t designBytes = 4242;
    if (query == 1042 && out1 != nullptr)
        std::memcpy(out1, &designBytes, sizeof designBytes);
    if (query == 1042)
        return 0;
    const char* text = query == 4176                    ? kName
                       : query == 4192 || query == 4208 ? kVersion
                       : query == 4112                  ? kTitle
                                                        : nullptr;
    if (text == nullptr)
        return -2130;
    if (out2 != nullptr) {
        const auto address = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(text));
        std::memcpy(out2, &address, sizeof address);
    }
    return 0;
}

#if FAKE_APPLET_MODE != FAKE_MODE_NO_FREE
FAKE_API int32_t Fg_FreeGrabber(void* fg) {
    FakeApplet* applet = appletOf(fg);
    if (applet == nullptr)
        return -2001;
    const int32_t rc = applet->host.freeGrabber != nullptr ? applet->host.freeGrabber(applet->hostFg) : 0;
    destroy(applet);
    *static_cast<FakeApplet**>(fg) = nullptr;
    return rc;
}
#endif

FAKE_API int32_t Fg_getNrOfParameter(void* fg) {
    return appletOf(fg) == nullptr ? -2001 : 3;
}

FAKE_API int32_t Fg_setParameterWithType(void* fg, int32_t id, const void* value, uint32_t dma,
                                         int32_t type) {
    return forward<&Host::setTyped>(fg, id, value, dma, type);
}
FAKE_API int32_t Fg_getParameterWithType(void* fg, int32_t id, void* value, uint32_t dma, int32_t type) {
    return forward<&Host::getTyped>(fg, id, value, dma, type);
}
FAKE_API int32_t Fg_getAppletId(void* fg, uint64_t value) {
    return forward<&Host::appletId>(fg, value);
}
FAKE_API int64_t Fg_getStatusEx(void* fg, int32_t param, uint64_t data, uint32_t dma, uint64_t memory) {
    return forward<&Host::status>(fg, param, data, dma, memory);
}
FAKE_API int32_t Fg_AcquireEx(void* fg, int32_t dma, uint64_t count, int32_t flags, uint64_t memory) {
    return forward<&Host::acquire>(fg, dma, count, flags, memory);
}
FAKE_API int32_t Fg_stopAcquireEx(void* fg, uint32_t dma, uint64_t memory, int32_t flags) {
    return forward<&Host::stop>(fg, dma, memory, flags);
}
FAKE_API int64_t Fg_getLastPicNumberEx(void* fg, uint32_t dma, uint64_t memory) {
    return forward<&Host::lastPicture>(fg, dma, memory);
}
FAKE_API int64_t Fg_getLastPicNumberBlockingEx(void* fg, uint64_t picture, uint32_t dma, int32_t timeout,
                                               uint64_t memory) {
    return forward<&Host::lastPictureBlocking>(fg, picture, dma, timeout, memory);
}
FAKE_API int32_t Fg_getLastErrorNumber(void* fg) {
    return forward<&Host::lastError>(fg);
}
