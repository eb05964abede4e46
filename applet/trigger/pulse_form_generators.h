// The four pulse-form generators: downscale and phase, delay and width of each, checked against
// the trigger period so that no generator's pulse outlasts it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "trigger/trigger_core.h"

namespace kestrel {

inline constexpr std::size_t kPulseFormGeneratorCount = 4;

class PulseFormGenerators {
public:
    explicit PulseFormGenerators(TriggerCore& core) : core_(core) {}

    // Downscale: above the stored phase (kErrOutOfRange); kErrDownscaleConflict when the generator
    // no longer fits the current trigger period. Publishes the phase's maximum.
    void setDownscale(std::size_t generator, uint32_t downscale, bool reportErrors);
    // Phase: below the stored downscale. Publishes the downscale's minimum.
    void setPhase(std::size_t generator, uint32_t phase, bool reportErrors);
    // Delay and width in us; kErrFrequencyConflict when the generator no longer fits the current
    // trigger period.
    void setDelay(std::size_t generator, double delayUs, bool reportErrors);
    void setWidth(std::size_t generator, double widthUs, bool reportErrors);

    // Delay and width as the design holds them, in microseconds.
    double delayUs(std::size_t generator) const;
    double widthUs(std::size_t generator) const;

    // Whether every generator, with its stored downscale and the delay and width the design
    // holds, fits the period of `frequencyHz`.
    bool allFit(double frequencyHz) const;

    // One-shot clears: the missing-frame check, then the downscaler of generators 0..3.
    void clearPulseGenerators() const;

    // Catalogue ids of a generator's four parameters.
    static int32_t downscaleId(std::size_t generator);
    static int32_t phaseId(std::size_t generator);
    static int32_t delayId(std::size_t generator);
    static int32_t widthId(std::size_t generator);

private:
    // The trigger period the stored frequency gives, as the generator realises it.
    double currentPeriodUs() const;

    TriggerCore& core_;
};

} // namespace kestrel
