// The private record of the applet object: the bound host SDK, the handles the applet works with,
// the parameter-information container and the last error.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "api/design_image_handle.h"
#include "api/host_function_table.h"
#include "info/parameter_info_tree.h"
#include "platform/platform.h"

namespace kestrel {

// The per-port parameter-information roots the record owns.
using ParameterInfoContainer = ParameterInfoTree;

// The image name the host initialises its handle with, and the file opened when an external
// image is forced.
inline constexpr const char* kDesignImageName = "Kestrel12.hap";

class WrapperPrivate {
public:
    WrapperPrivate();
    WrapperPrivate(const WrapperPrivate&) = delete;
    WrapperPrivate& operator=(const WrapperPrivate&) = delete;
    // Releases the host library, then closes the recorded design image, then frees the table and
    // the parameter-information container. The host's frame-grabber handle is not released here.
    ~WrapperPrivate();

    // Loads the host library and binds its entry points by name (missing names stay null). 0, or
    // kErrHostUnusable when the library cannot be loaded (also stored as the last error).
    int32_t bindHostLibrary(const char* fileName);

    // Asks the host for its frame-grabber handle for this design: the slave-aware entry point when
    // the host has it, else the three-argument one. 0 on success (the board handle and image are
    // then recorded process-wide; the last error is left alone). Otherwise the code, also stored
    // as the last error: kErrHostUnusable without either entry point, the host's initialisation
    // error number when it offers one, else kErrInitFailed.
    int32_t initHostHandle(const char* imageName, void* boardHandle, void* designImage, bool slaveAware);

    // Records the board handle and takes ownership of the design image: from now on the image is
    // closed when this record is destroyed.
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

    // ---- state ----
    const HostFunctionTable& hostFunctions() const { return *hostFunctions_; }
    bool hostLibraryLoaded() const { return hostModule_.has_value(); }
    void* hostFgHandle() const { return hostFgHandle_; }
    void* boardHandle() const { return boardHandle_; }
    void* designImage() const { return designImage_.get(); }
    int32_t lastError() const { return lastError_.load(std::memory_order_relaxed); }
    void setLastError(int32_t code) { lastError_.store(code, std::memory_order_relaxed); }
    ParameterInfoContainer& parameterInfo() { return *parameterInfo_; }
    const ParameterInfoContainer& parameterInfo() const { return *parameterInfo_; }

    // ---- temporary files (process-wide names; see temp_file_name.h) ----
    std::optional<std::string> makeTempFileName() const;
    void removeTempFile(const std::string& path) const;

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
    std::unique_ptr<ParameterInfoContainer> parameterInfo_;
    // A plain value by contract (concurrent calls may overwrite each other's code); atomic only so
    // that doing so is not undefined behaviour.
    std::atomic<int32_t> lastError_{0};
};

// The last non-null board handle and design image that any applet in this process initialised
// the host with; null before the first successful creation. Read by the properties query.
void* processLastBoardHandle();
void* processLastDesignImage();

} // namespace kestrel
