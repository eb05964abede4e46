// Software trigger and queue status.
#include "trigger/software_trigger.h"

#include "platform/platform.h"
#include "trigger/pulse_generator.h"

namespace kestrel {

namespace {
constexpr uint32_t kEmitPulse = 2;
constexpr uint32_t kPulseSpacingNs = 160;
constexpr uint32_t kQueueFullBit = 1u << 1;
constexpr uint64_t kNsPerSecond = 1000000000;
} // namespace

void preciseWait(uint32_t seconds, uint32_t nanoseconds) {
    const uint64_t start = platform::monotonicNs();
    if (start == 0) {
        platform::sleepNs((uint64_t{seconds} * 1000 + nanoseconds / 1000000) * 1000000);
        return;
    }
    // The clock counts nanoseconds; the sub-microsecond part of the request is dropped.
    const uint64_t counts = uint64_t{seconds} * kNsPerSecond + uint64_t{nanoseconds / 1000} * 1000;
    while (platform::monotonicNs() - start <= counts) {
    }
}

void SoftwareTrigger::send(uint32_t pulses, bool reportErrors) {
    const uint32_t limit = core_.values().triggerQueueMode == 1 ? kQueueCapacity : 1;
    core_.apply(core_.values().sendSoftwareTriggerPulses, pulses, pulses >= 1 && pulses <= limit,
                LegacyRule::AlwaysAllowed, reportErrors, [&](uint32_t) {
                    if (core_.values().areaTriggerMode != kModeSoftware)
                        raise(kErrWrongTriggerMode);
                    if (core_.values().triggerState != kStateActive)
                        raise(kErrTriggerNotReady);
                    if (core_.values().triggerQueueMode == 0 && busy() == 1)
                        raise(kErrBusy);
                    for (uint32_t i = 0; i < pulses; ++i) {
                        core_.write(HostRegister::TriggerCam0TriggerModeSoftwareTriggerMode, kEmitPulse);
                        preciseWait(0, kPulseSpacingNs);
                    }
                });
}

uint32_t SoftwareTrigger::busy() const {
    if (core_.values().areaTriggerMode != kModeSoftware)
        return 0;
    const uint32_t maximumReached =
        core_.read(HostRegister::TriggerCam0GeneratorsGeneratorMaximumReachedStatus);
    const uint32_t queued = core_.read(HostRegister::TriggerCam0GeneratorsQueueValueStatus);
    return maximumReached != 0 && queued == 0 ? 0 : 1;
}

uint32_t SoftwareTrigger::queueFillLevel() const {
    if (core_.values().areaTriggerMode == kModeGenerator || core_.values().triggerState == kStateAsyncStop)
        return 0;
    if ((core_.read(HostRegister::MonitoringReadQueueStatusStatus) & kQueueFullBit) != 0)
        return kQueueCapacity;
    if (const uint32_t queued = core_.read(HostRegister::TriggerCam0GeneratorsQueueValueStatus); queued != 0)
        return queued;
    // Nothing queued: a pulse may still be in work until the generator reports its maximum.
    return core_.read(HostRegister::TriggerCam0GeneratorsGeneratorMaximumReachedStatus) != 0 ? 0 : 1;
}

uint32_t SoftwareTrigger::softwareQueueFillLevel() const {
    if (core_.values().areaTriggerMode != kModeSoftware)
        return 0;
    return core_.values().triggerMultiplyPulses * queueFillLevel();
}

} // namespace kestrel
