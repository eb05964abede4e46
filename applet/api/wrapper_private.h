// The private record of the applet object: the binding to the host SDK (with the board and design
// image it works on), the parameter-information container and the last error.
#pragma once

#include <cstdint>
#include <memory>

#include "core/last_error.h"
#include "device/host_binding.h"
#include "info/parameter_info_tree.h"

namespace kestrel {

// The per-port parameter-information roots the record owns.
using ParameterInfoContainer = ParameterInfoTree;

class WrapperPrivate {
public:
    WrapperPrivate();
    WrapperPrivate(const WrapperPrivate&) = delete;
    WrapperPrivate& operator=(const WrapperPrivate&) = delete;
    // Releases the host library, then closes the recorded design image, then frees the table and
    // the parameter-information container. The host's frame-grabber handle is not released here.
    ~WrapperPrivate();

    // As HostBinding's, with a failure also stored as the last error.
    int32_t bindHostLibrary(const char* fileName);
    int32_t initHostHandle(const char* imageName, void* boardHandle, void* designImage, bool slaveAware);

    HostBinding& host() { return host_; }
    const HostBinding& host() const { return host_; }
    int32_t lastError() const { return lastError_.get(); }
    void setLastError(int32_t code) { lastError_.set(code); }
    LastError& lastErrorSlot() { return lastError_; }
    ParameterInfoContainer& parameterInfo() { return *parameterInfo_; }
    const ParameterInfoContainer& parameterInfo() const { return *parameterInfo_; }

private:
    // Declared before the binding so that it goes after it, as the destructor promises.
    std::unique_ptr<ParameterInfoContainer> parameterInfo_;
    HostBinding host_;
    LastError lastError_;
};

} // namespace kestrel
