// The private record: the host binding's set-up steps, which leave a failure as the last error.
#include "api/wrapper_private.h"

#include "core/error_codes.h"

namespace kestrel {

WrapperPrivate::WrapperPrivate() : parameterInfo_(std::make_unique<ParameterInfoContainer>()) {}

WrapperPrivate::~WrapperPrivate() = default;

int32_t WrapperPrivate::bindHostLibrary(const char* fileName) {
    const int32_t code = host_.bindHostLibrary(fileName);
    if (code != kOk)
        setLastError(code);
    return code;
}

int32_t WrapperPrivate::initHostHandle(const char* imageName, void* boardHandle, void* designImage,
                                       bool slaveAware) {
    const int32_t code = host_.initHostHandle(imageName, boardHandle, designImage, slaveAware);
    if (code != kOk)
        setLastError(code);
    return code;
}

} // namespace kestrel
