// Base behaviour of the applet object: ownership of the private record, the default shading
// answers and the design-event lookup.
#include "api/fg_ds_wrapper.h"

#include <cstring>
#include <string>

#include <designrt.h>

#include "api/wrapper_private.h"
#include "config/configuration_file.h"
#include "core/error_codes.h"
#include "info/parameter_info_xml.h"

namespace kestrel {

namespace {

constexpr int32_t kEventDescriptorCount = 64;
// The event descriptor keeps a pointer to its name at this byte offset.
constexpr std::size_t kEventNameOffset = 8;

const char* eventDescriptorName(const void* descriptor) {
    const char* name = nullptr;
    std::memcpy(&name, static_cast<const unsigned char*>(descriptor) + kEventNameOffset, sizeof name);
    return name;
}

} // namespace

FgDsWrapper::FgDsWrapper() : private_(std::make_unique<WrapperPrivate>()) {}

// The private record goes first (the host library and the design image with it), then the
// property map: the reverse of the member order would free the map first.
FgDsWrapper::~FgDsWrapper() {
    private_.reset();
}

const void* FgDsWrapper::parameterInfoRoot(int32_t port) const {
    if (port < 0 || port >= ParameterInfoContainer::kPortCount)
        return nullptr;
    return private_->parameterInfo().nextRoot(nullptr, port);
}

// Neither operation changes the process locale: the parser writes and reads numbers with '.'
// whatever the locale says.
int32_t FgDsWrapper::saveConfig(void* /*hostFg*/, const char* fileName) {
    const ConfigurationIdentity identity{getVendorName(), getAppletName(), getAppletVersion(),
                                         getLoadAppletId()};
    const int32_t result = saveConfigurationFile(
        fileName, identity, [this](Fg_ConfigFileParser& parser) { saveParameters(parser); });
    private_->setLastError(result);
    return result;
}
// Every failed load leaves kErrConfigLoad as the last error, also when the result is kErrFileRead.
int32_t FgDsWrapper::loadConfig(void* /*hostFg*/, const char* fileName) {
    const int32_t result = loadConfigurationFile(
        fileName, getAppletName(), [this](Fg_ConfigFileParser& parser) { return loadParameters(parser); });
    private_->setLastError(result == kOk ? kOk : kErrConfigLoad);
    return result;
}
// The document is built anew on every call, so a caller asking for the size first builds it twice.
int32_t FgDsWrapper::getParameterInfoXML(void* /*fg*/, int32_t port, char* buffer, uint64_t* size) {
    const auto result = [this](int32_t code) {
        private_->setLastError(code);
        return code;
    };
    if (size == nullptr)
        return result(kErrInvalidArgument);
    if (buffer != nullptr && *size == 0)
        return result(kErrBufferTooSmall);
    if (parameterInfoRoot(port) == nullptr)
        return result(kErrInvalidPort);

    const char* appletName = getAppletName();
    ParameterInfoBuilderXML builder(private_->parameterInfo(), appletName != nullptr ? appletName : "", port);
    const std::string text = builder.buildXml();
    if (buffer != nullptr) {
        if (text.size() >= *size)
            return result(kErrBufferTooSmall);
        // The terminator and every byte after it up to the caller's length are zero.
        std::memcpy(buffer, text.data(), text.size());
        std::memset(buffer + text.size(), 0, static_cast<std::size_t>(*size - text.size()));
    }
    *size = text.size() + 1;
    return result(kOk);
}

void* FgDsWrapper::allocShading(int32_t /*a*/, int32_t /*b*/) {
    return nullptr;
}
int32_t FgDsWrapper::freeShading(void* /*shading*/) {
    return kErrNotSupported;
}
int32_t FgDsWrapper::setSubValueLine(void* /*shading*/, int32_t /*x*/, int32_t /*channel*/, float /*value*/) {
    return kErrNotSupported;
}
int32_t FgDsWrapper::setMultValueLine(void* /*shading*/, int32_t /*x*/, int32_t /*channel*/,
                                      float /*value*/) {
    return kErrNotSupported;
}
int32_t FgDsWrapper::setFixedPatternNoiseLine(void* /*shading*/, int32_t /*x*/, int32_t /*channel*/,
                                              int32_t /*value*/) {
    return kErrNotSupported;
}
int32_t FgDsWrapper::getMaxLine(void* /*shading*/) {
    return kErrNotSupported;
}
int32_t FgDsWrapper::getAccess(void* /*shading*/) {
    return kErrNotSupported;
}
int32_t FgDsWrapper::freeAccess(void* /*shading*/) {
    return kErrNotSupported;
}
int32_t FgDsWrapper::writeActLine(void* /*shading*/, int32_t /*line*/) {
    return kErrNotSupported;
}

uint64_t FgDsWrapper::getEventMask(const char* name) {
    if (name == nullptr)
        return 0;
    void* image = private_->host().designImage();
    for (int32_t index = 0; index < kEventDescriptorCount; ++index) {
        const void* descriptor = DesignImage_GetProperty(image, index);
        if (descriptor == nullptr)
            continue;
        const char* eventName = eventDescriptorName(descriptor);
        if (eventName != nullptr && std::strcmp(eventName, name) == 0)
            return uint64_t{1} << index;
    }
    return 0;
}

const char* FgDsWrapper::getEventName(uint64_t mask) {
    void* image = private_->host().designImage();
    for (int32_t index = 0; index < kEventDescriptorCount; ++index) {
        const void* descriptor = DesignImage_GetProperty(image, index);
        if (descriptor != nullptr && (uint64_t{1} << index) == mask)
            return eventDescriptorName(descriptor);
    }
    return nullptr;
}

} // namespace kestrel
