// Loads Kestrel12.so from a directory that holds it together with test doubles of the libraries
// it needs (found through its RUNPATH $ORIGIN), and reaches its exports only through dlsym, as a
// host does.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "doubles/fake_state.h"
#include "scoped_environment.h"

namespace kestrel::test {

// The host's frame-grabber record: the applet reads and clears only the first field.
struct HostRecord {
    void* applet = nullptr;
    uint64_t hostData = 0xfeedfacecafebeefull;
};

struct AppletExports {
    void* (*Std_entry)(void*, int32_t*, int32_t);
    int32_t (*Info)(int32_t, uint32_t, uint32_t, void*, void*);
    int32_t (*Fg_setParameterWithType)(void*, int32_t, const void*, uint32_t, int32_t);
    int32_t (*Fg_getParameterWithType)(void*, int32_t, void*, uint32_t, int32_t);
    int32_t (*Fg_getParameterIdByName)(void*, const char*);
    const char* (*Fg_getParameterName)(void*, int32_t);
    int32_t (*Fg_getParameterId)(void*, int32_t);
    int32_t (*Fg_getNrOfParameter)(void*);
    uint64_t (*Fg_getEventMask)(void*, const char*);
    const char* (*Fg_getEventName)(void*, uint64_t);
    int32_t (*Fg_saveConfig)(void*, const char*);
    int32_t (*Fg_loadConfig)(void*, const char*);
    int32_t (*Fg_getParameterInfoXML)(void*, int32_t, char*, uint64_t*);
    void* (*Fg_getParameterInfo)(void*, int32_t);
    void* (*Fg_AllocShading)(void*, int32_t, int32_t);
    int32_t (*Fg_FreeShading)(void*, void*);
    int32_t (*Shad_SetSubValueLine)(void*, void*, int32_t, int32_t, float);
    int32_t (*Shad_SetMultValueLine)(void*, void*, int32_t, int32_t, float);
    int32_t (*Shad_SetFixedPatternNoiseLine)(void*, void*, int32_t, int32_t, int32_t);
    int32_t (*Shad_GetMaxLine)(void*, void*);
    int32_t (*Shad_GetAccess)(void*, void*);
    int32_t (*Shad_FreeAccess)(void*, void*);
    int32_t (*Shad_WriteActLine)(void*, void*, int32_t);
    int32_t (*Fg_getAppletId)(void*, uint64_t);
    int64_t (*Fg_getStatusEx)(void*, int32_t, uint64_t, uint32_t, uint64_t);
    int32_t (*Fg_AcquireEx)(void*, int32_t, uint64_t, int32_t, uint64_t);
    int32_t (*Fg_stopAcquireEx)(void*, uint32_t, uint64_t, int32_t);
    int64_t (*Fg_getLastPicNumberEx)(void*, uint32_t, uint64_t);
    int64_t (*Fg_getLastPicNumberBlockingEx)(void*, uint64_t, uint32_t, int32_t, uint64_t);
    int32_t (*Fg_getLastErrorNumber)(void*);
    int32_t (*Fg_FreeGrabber)(void*);
};

// One fake board directory; the test doubles' shared record is reset on load.
class AppletUnderTest {
public:
    explicit AppletUnderTest(std::string directory) : directory_(std::move(directory)) {
        library_ = dlopen((directory_ + "/Kestrel12.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library_ == nullptr) {
            ADD_FAILURE() << "cannot load the applet: " << dlerror();
            return;
        }
        bindExports();
        void* board = dlopen((directory_ + "/libboardhw.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (board == nullptr) {
            ADD_FAILURE() << "the fake board library is not the applet's board library";
            return;
        }
        state_ = reinterpret_cast<FakeState* (*)()>(dlsym(board, "kestrel_fake_state"))();
        reinterpret_cast<void (*)()>(dlsym(board, "kestrel_fake_reset"))();
        dlclose(board); // the applet keeps its own reference
    }
    ~AppletUnderTest() {
        if (library_ != nullptr)
            dlclose(library_);
    }
    AppletUnderTest(const AppletUnderTest&) = delete;
    AppletUnderTest& operator=(const AppletUnderTest&) = delete;

    bool loaded() const { return library_ != nullptr && state_ != nullptr; }
    const AppletExports& api() const { return exports_; }
    FakeState& state() { return *state_; }

    // Whether the host library (of this directory) is in the process right now.
    bool hostLoaded() const {
        void* host = dlopen((directory_ + "/libgrabhost5.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (host == nullptr)
            return false;
        dlclose(host);
        return true;
    }

    // Creates an applet into `record`; returns Std_entry's code.
    int32_t create(HostRecord& record, void* boardHandle = reinterpret_cast<void*>(0xb0a2d)) {
        int32_t error = 12345;
        record.applet = exports_.Std_entry(boardHandle, &error, 0);
        return error;
    }

private:
    template <typename Function> void bind(Function& entry, const char* name) {
        entry = reinterpret_cast<Function>(dlsym(library_, name));
        if (entry == nullptr)
            ADD_FAILURE() << "the applet does not export " << name;
    }

    void bindExports() {
#define KESTREL_BIND(name) bind(exports_.name, #name)
        KESTREL_BIND(Std_entry);
        KESTREL_BIND(Info);
        KESTREL_BIND(Fg_setParameterWithType);
        KESTREL_BIND(Fg_getParameterWithType);
        KESTREL_BIND(Fg_getParameterIdByName);
        KESTREL_BIND(Fg_getParameterName);
        KESTREL_BIND(Fg_getParameterId);
        KESTREL_BIND(Fg_getNrOfParameter);
        KESTREL_BIND(Fg_getEventMask);
        KESTREL_BIND(Fg_getEventName);
        KESTREL_BIND(Fg_saveConfig);
        KESTREL_BIND(Fg_loadConfig);
        KESTREL_BIND(Fg_getParameterInfoXML);
        KESTREL_BIND(Fg_getParameterInfo);
        KESTREL_BIND(Fg_AllocShading);
        KESTREL_BIND(Fg_FreeShading);
        KESTREL_BIND(Shad_SetSubValueLine);
        KESTREL_BIND(Shad_SetMultValueLine);
        KESTREL_BIND(Shad_SetFixedPatternNoiseLine);
        KESTREL_BIND(Shad_GetMaxLine);
        KESTREL_BIND(Shad_GetAccess);
        KESTREL_BIND(Shad_FreeAccess);
        KESTREL_BIND(Shad_WriteActLine);
        KESTREL_BIND(Fg_getAppletId);
        KESTREL_BIND(Fg_getStatusEx);
        KESTREL_BIND(Fg_AcquireEx);
        KESTREL_BIND(Fg_stopAcquireEx);
        KESTREL_BIND(Fg_getLastPicNumberEx);
        KESTREL_BIND(Fg_getLastPicNumberBlockingEx);
        KESTREL_BIND(Fg_getLastErrorNumber);
        KESTREL_BIND(Fg_FreeGrabber);
#undef KESTREL_BIND
    }

    std::string directory_;
    void* library_ = nullptr;
    AppletExports exports_{};
    FakeState* state_ = nullptr;
};

} // namespace kestrel::test
