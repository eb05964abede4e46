// The pulse generator behind the pulse-form generators: its frequency (minimum period), the
// sequencer that multiplies each pulse, the trigger queue and its fill-level event thresholds.
#pragma once

#include <cstdint>

#include "trigger/pulse_form_generators.h"
#include "trigger/trigger_core.h"

namespace kestrel {

// Queue capacity with the queue on; with it off the queue holds one pulse.
inline constexpr uint32_t kQueueCapacity = 2040;

class PulseGenerator {
public:
    PulseGenerator(TriggerCore& core, const PulseFormGenerators& pulseForms)
        : core_(core), pulseForms_(pulseForms) {}

    // FG_TRIGGER_FRAMESPERSECOND: 62.5 MHz / 2^32 .. 62.5 MHz / 10; kErrFrequencyConflict when a
    // pulse-form generator does not fit the new period. Writes the minimum period in every mode.
    void setFramesPerSecond(double frequencyHz, bool reportErrors);
    // FG_TRIGGER_MULTIPLY_PULSES: the sequencer's pulses per trigger.
    void setMultiplyPulses(uint32_t pulses, bool reportErrors);
    // FG_TRIGGERQUEUE_MODE: publishes the maximum of FG_SENDSOFTWARETRIGGER.
    void setQueueMode(int32_t mode, bool reportErrors);
    // Fill-level event thresholds.
    void setQueueOnThreshold(uint32_t level, bool reportErrors);
    void setQueueOffThreshold(uint32_t level, bool reportErrors);

    // Trigger steps of the state machine.
    void startGenerator(uint32_t queue);
    void holdQueue() const;
    void clearSequencer() const;

    // The stored frequency as the generator realises it.
    double realisedFrequencyHz() const;

private:
    TriggerCore& core_;
    const PulseFormGenerators& pulseForms_;
};

} // namespace kestrel
