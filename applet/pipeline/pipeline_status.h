// Read-only status of camera, image buffer and DMA: overflow, fill level and the camera status
// words, combined from the design's status registers and the host's camera status.
#pragma once

#include <cstdint>

#include "params/applet_context.h"
#include "params/parameter_handlers.h"

namespace kestrel {

// Fill level reported while the buffer has overflowed, in percent.
inline constexpr uint32_t kOverflowFillLevelPercent = 100;

// Buffer level in quarters (0 .. 3) of a fill level in percent.
uint32_t bufferLevelQuarter(uint32_t fillLevelPercent);

// The extended camera status: the host's word `hostStatus` with bit 5 replaced by the overflow
// flag and bits 6..7 by the buffer level of `fillLevelPercent`. Bits 0..4 stay the host's (pixel
// clock, line valid, frame valid, CC1, external trigger).
uint32_t extendedCameraStatus(uint32_t hostStatus, uint32_t overflow, uint32_t fillLevelPercent);

// FG_OVERFLOW, FG_FILLLEVEL, FG_CAMSTATUS, FG_CAMSTATUS_EXTENDED: getters only (the dispatch
// refuses sets). A failing register read or host call raises its code.
class PipelineStatus {
public:
    explicit PipelineStatus(AppletContext& context) : context_(context) {}
    PipelineStatus(const PipelineStatus&) = delete;
    PipelineStatus& operator=(const PipelineStatus&) = delete;

    void bind(ParameterHandlerTable& table);

    void getOverflow(void* value);
    void getFillLevel(void* value);
    void getCameraStatus(void* value);
    void getCameraStatusExtended(void* value);

private:
    uint32_t fillLevelPercent() const;
    uint32_t cameraStatusExtended() const;

    AppletContext& context_;
};

} // namespace kestrel
