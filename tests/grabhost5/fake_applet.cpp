// A stand-in applet for the host's tests: binds the host back by name like the real applet, opens
// the design image it is given and forwards typed and acquisition calls to the host. Built several
// times with FAKE_APPLET_MODE choosing how Std_entry behaves.
#include "designrt.h"

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
using GetLastError = int32_t (*)(void*);
using FreeGrabber = int32_t (*)(void*);
using SetTyped = int32_t (*)(void*, int32_t, const void*, uint32_t, int32_t);
using GetTyped = int32_t (*)(void*, int32_t, void*, uint32_t, int32_t);
using GetAppletId = int32_t (*)(void*, uint64_t);
using GetStatus = int64_t (*)(void*, int32_t, uint64_t, uint32_t, uint64_t);
using Acquire = int32_t (*)(void*, int32_t, uint64_t, int32_t, uint64_t);
using StopAcquire = int32_t (*)(void*, uint32_t, uint64_t, int32_t);
using LastPicture = int64_t (*)(void*, uint32_t, uint64_t);
using LastPictureBlocking = int64_t (*)(void*, uint64_t, uint32_t, int32_t, uint64_t);

struct Host {
    void* module = nullptr;
    InitHandle init = nullptr;
    GetLastError lastError = nullptr;
    FreeGrabber freeGrabber = nullptr;
    SetTyped setTyped = nullptr;
    GetTyped getTyped = nullptr;
    GetAppletId appletId = nullptr;
    GetStatus status = nullptr;
    Acquire acquire = nullptr;
    StopAcquire stop = nullptr;
    LastPicture lastPicture = nullptr;
    LastPictureBlocking lastPictureBlocking = nullptr;
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
        code = -2070;
        return nullptr;
    }
    if (FAKE_APPLET_MODE == FAKE_MODE_FAILS) {
        code = -100;
        return nullptr;
    }
    if (FAKE_APPLET_MODE == FAKE_MODE_REFUSES) {
        code = 0;
        return nullptr;
    }
    auto* applet = new (std::nothrow) FakeApplet;
    if (applet == nullptr || !bindHost(applet->host)) {
        code = -2031;
        if (applet != nullptr)
            destroy(applet);
        return nullptr;
    }
    // The design comes from the file the test names; the real image by default.
    const char* path = std::getenv("FAKE_APPLET_DESIGN");
    applet->image = DesignImage_OpenFile(path != nullptr ? path : KESTREL_DESIGN_IMAGE_PATH, 2626, 1);
    if (applet->image == nullptr) {
        code = -100;
        destroy(applet);
        return nullptr;
    }
    applet->hostFg = applet->host.init("Fake.hap", boardHandle, applet->image);
    if (applet->hostFg == nullptr) {
        code = applet->host.lastError != nullptr ? applet->host.lastError(nullptr) : -100;
        destroy(applet);
        return nullptr;
    }
    if (FAKE_APPLET_MODE == FAKE_MODE_FAILS_LATE) {
        // Leaves the host handle behind on purpose: the host must clean up after such an applet.
        applet->hostFg = nullptr;
        destroy(applet);
        code = -2031;
        return nullptr;
    }
    code = 0;
    return applet;
}
#endif

FAKE_API int32_t Info(int32_t query, uint32_t, uint32_t, void* out1, void* out2) {
    const char* text = nullptr;
    switch (query) {
    case 4176:
        text = kName;
        break;
    case 4192:
    case 4208:
        text = kVersion;
        break;
    case 4112:
        text = kTitle;
        break;
    case 1042:
        if (out1 != nullptr) {
            const uint64_t bytes = 4242;
            std::memcpy(out1, &bytes, sizeof bytes);
        }
        return 0;
    default:
        return -2130;
    }
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
    FakeApplet* a = appletOf(fg);
    return a == nullptr ? -2001 : a->host.setTyped(a->hostFg, id, value, dma, type);
}

FAKE_API int32_t Fg_getParameterWithType(void* fg, int32_t id, void* value, uint32_t dma, int32_t type) {
    FakeApplet* a = appletOf(fg);
    return a == nullptr ? -2001 : a->host.getTyped(a->hostFg, id, value, dma, type);
}

FAKE_API int32_t Fg_getAppletId(void* fg, uint64_t value) {
    FakeApplet* a = appletOf(fg);
    return a == nullptr ? -2001 : a->host.appletId(a->hostFg, value);
}

FAKE_API int64_t Fg_getStatusEx(void* fg, int32_t param, uint64_t data, uint32_t dma, uint64_t memory) {
    FakeApplet* a = appletOf(fg);
    return a == nullptr ? -2001 : a->host.status(a->hostFg, param, data, dma, memory);
}

FAKE_API int32_t Fg_AcquireEx(void* fg, int32_t dma, uint64_t count, int32_t flags, uint64_t memory) {
    FakeApplet* a = appletOf(fg);
    return a == nullptr ? -2001 : a->host.acquire(a->hostFg, dma, count, flags, memory);
}

FAKE_API int32_t Fg_stopAcquireEx(void* fg, uint32_t dma, uint64_t memory, int32_t flags) {
    FakeApplet* a = appletOf(fg);
    return a == nullptr ? -2001 : a->host.stop(a->hostFg, dma, memory, flags);
}

FAKE_API int64_t Fg_getLastPicNumberEx(void* fg, uint32_t dma, uint64_t memory) {
    FakeApplet* a = appletOf(fg);
    return a == nullptr ? -2001 : a->host.lastPicture(a->hostFg, dma, memory);
}

FAKE_API int64_t Fg_getLastPicNumberBlockingEx(void* fg, uint64_t picture, uint32_t dma, int32_t timeout,
                                               uint64_t memory) {
    FakeApplet* a = appletOf(fg);
    return a == nullptr ? -2001 : a->host.lastPictureBlocking(a->hostFg, picture, dma, timeout, memory);
}

FAKE_API int32_t Fg_getLastErrorNumber(void* fg) {
    FakeApplet* a = appletOf(fg);
    return a == nullptr ? -2001 : a->host.lastError(a->hostFg);
}
