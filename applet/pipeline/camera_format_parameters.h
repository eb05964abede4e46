// The camera port, the output format and the two DMA settings the host keeps: enumerated values
// translated into register codes, and the image timeout and turbo DMA mode forwarded to the host.
#pragma once

#include <cstdint>

#include "params/applet_context.h"
#include "params/parameter_handlers.h"

namespace kestrel {

// Register codes of the enumerated values, for entries of their enumerations.
// Camera Link medium bit depth 208/210/212 -> Camera_Format 0/1/2.
uint32_t cameraFormatCode(int32_t cameraLinkCamType);
// FG_GRAY16 (1) -> 0, FG_GRAY (3) -> 1 in the format select register.
uint32_t outputFormatCode(int32_t format);

// FG_CAMERA_LINK_CAMTYPE, FG_USEDVAL, FG_FORMAT, FG_BITALIGNMENT (one register each) and
// FG_TIMEOUT, FG_TURBO_DMA_MODE, which the host applies: a failing host call restores the stored
// value. The handler table checks every range and enumeration before a setter runs.
class CameraFormatParameters {
public:
    explicit CameraFormatParameters(AppletContext& context) : context_(context) {}
    CameraFormatParameters(const CameraFormatParameters&) = delete;
    CameraFormatParameters& operator=(const CameraFormatParameters&) = delete;

    void bind(ParameterHandlerTable& table);

    void setCameraLinkCamType(int32_t camType, bool reportErrors);
    void setUseDval(int32_t useDval, bool reportErrors);
    void setFormat(int32_t format, bool reportErrors);
    void setBitAlignment(int32_t bitAlignment, bool reportErrors);
    void setTimeout(uint32_t timeoutSeconds, bool reportErrors);
    void setTurboDmaMode(uint32_t turboDmaMode, bool reportErrors);

private:
    // Hands a uint32 to the host under its own id (DMA 0); raises the host's code when
    // `reportErrors` is set.
    void forwardToHost(int32_t hostId, uint32_t value, bool reportErrors);

    AppletContext& context_;
};

} // namespace kestrel
