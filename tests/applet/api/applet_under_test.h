// Loads Kestrel12.so from a directory that holds it together with test doubles of the libraries
// it needs (found through its RUNPATH $ORIGIN), and reaches its exports only through dlsym, as a
// host does.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "applet_export_names.h"
#include "doubles/fake_state.h"
#include "grabhost5.h"
#include "scoped_environment.h"

namespace kestrel::test {

// The host's frame-grabber record: the applet reads and clears only the first field.
struct HostRecord {
    void* applet = nullptr;
    uint64_t hostData = 0xfeedfacecafebeefull;
};

using AppletExports = Gh5AppletExports;

// One fake board directory; the test doubles' shared record is reset on load.
class AppletUnderTest {
public:
    explicit AppletUnderTest(std::string directory) : directory_(std::move(directory)) {
        library_ = dlopen((directory_ + "/Kestrel12.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library_ == nullptr) {
            ADD_FAILURE() << "cannot load the applet: " << dlerror();
            return;
        }
        // Gh5AppletExports is the exports' pointers in the order of their names, nothing else.
        const auto names = appletExportNames();
        static_assert(sizeof(AppletExports) == 31 * sizeof(void*));
        auto* slots = reinterpret_cast<void**>(&exports_);
        for (std::size_t i = 0; i < names.size(); ++i)
            if ((slots[i] = dlsym(library_, names[i].c_str())) == nullptr)
                ADD_FAILURE() << "the applet does not export " << names[i];
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
    std::string directory_;
    void* library_ = nullptr;
    AppletExports exports_{};
    FakeState* state_ = nullptr;
};

} // namespace kestrel::test
