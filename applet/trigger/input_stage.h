// The trigger input stage: pin selection, polarity, debounce, the input downscaler, the bypass
// pin and the input statistics.
#pragma once

#include <cstdint>

#include "trigger/trigger_core.h"

namespace kestrel {

class InputStage {
public:
    explicit InputStage(TriggerCore& core) : core_(core) {}

    // In us, written in 48 ns units.
    void setDebounce(double debounceUs, bool reportErrors);
    double debounceUs() const;
    // Source and polarity stay writable in legacy mode.
    void setSource(uint32_t pin, bool reportErrors);
    void setPolarity(int32_t lowActive, bool reportErrors);
    void setBypassSource(int32_t pin, bool reportErrors);
    // Downscale: above the stored phase (kErrOutOfRange), publishes the phase's maximum. Phase:
    // below the stored downscale, publishes the downscale's minimum.
    void setDownscale(uint32_t downscale, bool reportErrors);
    void setPhase(uint32_t phase, bool reportErrors);
    // Current level of the eight inputs, bit i = input i.
    uint32_t inputLevels() const;

    void clearDownscaler() const;

    // Statistics: pulse count and its clear, current, lowest and highest input frequency (Hz),
    // and the min/max clear, which toggles its register instead of pulsing it.
    uint32_t pulseCount() const;
    void clearPulseCount(int32_t apply, bool reportErrors);
    double frequencyHz() const;
    double minFrequencyHz() const;
    double maxFrequencyHz() const;
    void clearMinMaxFrequency(uint32_t apply, bool reportErrors);

private:
    TriggerCore& core_;
};

// The monitoring bits, the output statistics and the generator watched by the output event.
class TriggerMonitoring {
public:
    explicit TriggerMonitoring(TriggerCore& core) : core_(core) {}

    // 0 in generator mode, else the period-limit bit of the queue status.
    uint32_t exceededPeriodLimits() const;
    void clearExceededPeriodLimits(int32_t apply, bool reportErrors);
    // 1 when the missing-frame bit is set (any mode).
    uint32_t missingCameraFrameResponse() const;
    void clearMissingCameraFrameResponse(int32_t apply, bool reportErrors);

    // The generator counted by the output statistics; its pulse count and clear.
    void setOutputStatsSource(int32_t generator, bool reportErrors);
    uint32_t outputPulseCount() const;
    void clearOutputPulseCount(int32_t apply, bool reportErrors);
    // The generator behind the output event.
    void setOutputEventSelect(int32_t generator, bool reportErrors);

private:
    TriggerCore& core_;
};

} // namespace kestrel
