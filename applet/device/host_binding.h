// The applet's binding to the host SDK that loaded it: the library and its entry points bound by
// name, the host's frame-grabber handle, the board and design image the host calls are about, and
// the host-facing helpers every other layer calls.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "device/design_image_handle.h"
#include "device/host_function_table.h"
#include "platform/platform.h"

namespace kestrel {

// The image name the host initialises its handle with, and the file opened when an external
// image is forced.
inline constexpr const char* kDesignImageName = "Kestrel12.hap";

class HostBinding {
public:
    HostBinding();
    HostBinding(const HostBinding&) = delete;
    HostBinding& operator=(const HostBinding&) = delete;
    // Releases the host library, then closes the recorded design image, then frees the table. The
    // host's frame-grabber handle is not released here.
    ~HostBinding();

    // Loads the host library and binds its entry points by name (missing names stay null). 0, or
    // kErrHostUnusable when the library cannot be loaded.
    int32_t bindHostLibrary(const char* fileName);

    // Asks the host for its frame-grabber handle for this design: the slave-aware entry point when
    // the host has it, else the three-argument one. 0 on success (the board handle and image are
    // then recorded process-wide). Otherwise the code: kErrHostUnusable without either entry
    // point, the host's initialisation error number when it offers one, else kErrInitFailed.
    int32_t initHostHandle(const char* imageName, void* boardHandle, void* designImage, bool slaveAware);

    // Records the board handle and takes ownership of the design image: from now on the image is
    // closed when this binding is destroyed.
    void recordBoard(void* boardHandle, DesignImageHandle designImage);

    // The host's last error number for this applet's handle; kErrNotAvailable when the host has no
    // Fg_getLastErrorNumber or no handle was made.
    int32_t queryHostLastError() const;

    // ---- host-facing helpers; each passes hostFgHandle() as the host call's first argument ----
    // Host id of a design register or design parameter name; 0 when the host does not know the
    // name, and also when the host has no Fg_getParameterIdByName or no handle was made.
    int32_t hostParameterIdByName(const char* name) const;
    // Untyped and typed host parameter access. The host's result unchanged; kErrNotAvailable when
    // the entry point is missing or no handle was made.
    int32_t hostSetParameter(int32_t id, const void* value, uint32_t dma) const;
    int32_t hostGetParameter(int32_t id, void* value, uint32_t dma) const;
    int32_t hostSetParameterWithType(int32_t id, const void* value, uint32_t dma, int32_t type) const;
    int32_t hostGetParameterWithType(int32_t id, void* value, uint32_t dma, int32_t type) const;
    // First root of the host's own parameter-information tree of port 0 (owned by the host), or
    // null when the host has none, lacks the entry point, or no handle was made.
    const void* hostParameterInfo() const;

    const HostFunctionTable& hostFunctions() const { return *hostFunctions_; }
    bool hostLibraryLoaded() const { return hostModule_.has_value(); }
    void* hostFgHandle() const { return hostFgHandle_; }
    void* boardHandle() const { return boardHandle_; }
    void* designImage() const { return designImage_.get(); }

private:
    std::unique_ptr<HostFunctionTable> hostFunctions_;
    void* hostFgHandle_ = nullptr;
    void* boardHandle_ = nullptr;
    DesignImageHandle designImage_;
    std::optional<platform::SharedLibrary> hostModule_;
    HostInitHandleSlaveAwareFn initHandleSlaveAware_ = nullptr;
    HostInitHandleFn initHandle_ = nullptr;
    HostParameterIdByNameFn parameterIdByName_ = nullptr;
    HostFunctionTable::GetLastErrorNumberFn initLastErrorNumber_ = nullptr;
};

// The last non-null board handle and design image that any applet in this process initialised
// the host with; null before the first successful creation. Read by the properties query.
void* processLastBoardHandle();
void* processLastDesignImage();

} // namespace kestrel
