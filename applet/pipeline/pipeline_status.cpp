// Status readouts of the buffer and the camera port.
#include "pipeline/pipeline_status.h"

#include <algorithm>
#include <cstring>

#include "params/parameter_ids.h"

namespace kestrel {

namespace {

// The host keeps the camera status word under the applet's own id.
constexpr int32_t kHostCameraStatusExtendedId = ids::FG_CAMSTATUS_EXTENDED;

constexpr uint32_t kOverflowBit = 5;
constexpr uint32_t kBufferLevelShift = 6;
constexpr uint32_t kAppletOwnedBits = 0x7u << kOverflowBit; // bits 5..7

void writeUInt32(void* value, uint32_t number) {
    std::memcpy(value, &number, sizeof number);
}

} // namespace

uint32_t bufferLevelQuarter(uint32_t fillLevelPercent) {
    if (fillLevelPercent < 25)
        return 0;
    if (fillLevelPercent < 50)
        return 1;
    if (fillLevelPercent < 75)
        return 2;
    return 3;
}

uint32_t extendedCameraStatus(uint32_t hostStatus, uint32_t overflow, uint32_t fillLevelPercent) {
    return (hostStatus & ~kAppletOwnedBits) | ((overflow & 1u) << kOverflowBit) |
           (bufferLevelQuarter(fillLevelPercent) << kBufferLevelShift);
}

void PipelineStatus::bind(ParameterHandlerTable& table) {
    table.bindGetter<&PipelineStatus::getOverflow>(ids::FG_OVERFLOW, *this);
    table.bindGetter<&PipelineStatus::getFillLevel>(ids::FG_FILLLEVEL, *this);
    table.bindGetter<&PipelineStatus::getCameraStatus>(ids::FG_CAMSTATUS, *this);
    table.bindGetter<&PipelineStatus::getCameraStatusExtended>(ids::FG_CAMSTATUS_EXTENDED, *this);
}

uint32_t PipelineStatus::fillLevelPercent() const {
    if (context_.readRegister(HostRegister::OverflowOverflowOccurred) == 1)
        return kOverflowFillLevelPercent;
    // Both banks fill alternately; the fuller one tells how close the buffer is to overflowing.
    const uint32_t bank0 = context_.readRegister(HostRegister::Buffer0DRAMA0FillLevel);
    const uint32_t bank1 = context_.readRegister(HostRegister::Buffer0DRAMA1FillLevel);
    return std::max(bank0, bank1);
}

uint32_t PipelineStatus::cameraStatusExtended() const {
    const uint32_t fillLevel = fillLevelPercent();
    const uint32_t overflow = context_.readRegister(HostRegister::OverflowOverflowOccurred);
    uint32_t hostStatus = 0;
    const int32_t result = context_.host.hostGetParameter(kHostCameraStatusExtendedId, &hostStatus, 0);
    if (result != 0)
        raise(result);
    return extendedCameraStatus(hostStatus, overflow, fillLevel);
}

void PipelineStatus::getOverflow(void* value) {
    writeUInt32(value, context_.readRegister(HostRegister::OverflowOverflowOccurred));
}

void PipelineStatus::getFillLevel(void* value) {
    writeUInt32(value, fillLevelPercent());
}

void PipelineStatus::getCameraStatus(void* value) {
    writeUInt32(value, cameraStatusExtended() & 1u);
}

void PipelineStatus::getCameraStatusExtended(void* value) {
    writeUInt32(value, cameraStatusExtended());
}

} // namespace kestrel
