// Camera port, output format and host-kept DMA settings.
#include "pipeline/camera_format_parameters.h"

#include "params/parameter_ids.h"

namespace kestrel {

namespace {

// A write that fails quietly keeps the new value, which configuration loading reads back.
constexpr QuietFailure kOnQuietFailure = QuietFailure::KeepNewValue;

// The host applies these itself, under the applet's own ids.
constexpr int32_t kHostTimeoutId = ids::FG_TIMEOUT;
constexpr int32_t kHostTurboDmaModeId = ids::FG_TURBO_DMA_MODE;

} // namespace

uint32_t cameraFormatCode(int32_t cameraLinkCamType) {
    constexpr int32_t kMedium8Bit = 208; // FG_CL_MEDIUM_8_BIT; the deeper modes follow two apart
    return static_cast<uint32_t>(cameraLinkCamType - kMedium8Bit) / 2;
}

uint32_t outputFormatCode(int32_t format) {
    constexpr int32_t kGray16 = 1; // FG_GRAY16; the other entry is FG_GRAY
    return format == kGray16 ? 0 : 1;
}

void CameraFormatParameters::bind(ParameterHandlerTable& table) {
    table.bindSetter<&CameraFormatParameters::setCameraLinkCamType>(ids::FG_CAMERA_LINK_CAMTYPE, *this);
    table.bindSetter<&CameraFormatParameters::setUseDval>(ids::FG_USEDVAL, *this);
    table.bindSetter<&CameraFormatParameters::setFormat>(ids::FG_FORMAT, *this);
    table.bindSetter<&CameraFormatParameters::setBitAlignment>(ids::FG_BITALIGNMENT, *this);
    table.bindSetter<&CameraFormatParameters::setTimeout>(ids::FG_TIMEOUT, *this);
    table.bindSetter<&CameraFormatParameters::setTurboDmaMode>(ids::FG_TURBO_DMA_MODE, *this);
}

void CameraFormatParameters::forwardToHost(int32_t hostId, uint32_t value, bool reportErrors) {
    const int32_t result = context_.host.hostSetParameter(hostId, &value, 0);
    if (result != 0 && reportErrors)
        raise(result);
}

void CameraFormatParameters::setCameraLinkCamType(int32_t camType, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.cameraLinkCamType, camType, reportErrors, [&] {
        context_.writeRegister(HostRegister::CameraFormat, cameraFormatCode(camType), reportErrors);
    });
}

void CameraFormatParameters::setUseDval(int32_t useDval, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.useDval, useDval, reportErrors, [&] {
        context_.writeRegister(HostRegister::CameraUseDval, static_cast<uint32_t>(useDval), reportErrors);
    });
}

void CameraFormatParameters::setFormat(int32_t format, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.format, format, reportErrors, [&] {
        context_.writeRegister(HostRegister::OutputFormatFGFORMATSelectSource, outputFormatCode(format),
                               reportErrors);
    });
}

void CameraFormatParameters::setBitAlignment(int32_t bitAlignment, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.bitAlignment, bitAlignment, reportErrors, [&] {
        context_.writeRegister(HostRegister::OutputFormatFGBITALIGNMENTValue,
                               static_cast<uint32_t>(bitAlignment), reportErrors);
    });
}

void CameraFormatParameters::setTimeout(uint32_t timeoutSeconds, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.timeoutSeconds, timeoutSeconds, reportErrors,
                                    [&] { forwardToHost(kHostTimeoutId, timeoutSeconds, reportErrors); });
}

void CameraFormatParameters::setTurboDmaMode(uint32_t turboDmaMode, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.turboDmaMode, turboDmaMode, reportErrors,
                                    [&] { forwardToHost(kHostTurboDmaModeId, turboDmaMode, reportErrors); });
}

} // namespace kestrel
