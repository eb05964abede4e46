// Frequency, sequencer and queue setters and the generator's start and hold steps.
#include "trigger/pulse_generator.h"

#include "params/parameter_ids.h"
#include "trigger/trigger_timing.h"

namespace kestrel {

namespace {
constexpr double kMinFrequencyHz = 0.01455191522836685; // 62.5 MHz / 2^32
constexpr double kMaxFrequencyHz = 6.25e6;              // 62.5 MHz / 10
// Minimum period when the generator only paces external or software pulses.
constexpr uint64_t kPacingPeriodTicks = 10;
constexpr uint32_t kLegacyGrabberControlled = 1;
} // namespace

double PulseGenerator::realisedFrequencyHz() const {
    return trigger_timing::realisedFrequencyHz(core_.values().triggerFramesPerSecondHz);
}

void PulseGenerator::setFramesPerSecond(double frequencyHz, bool reportErrors) {
    const bool accepted = frequencyHz >= kMinFrequencyHz && frequencyHz <= kMaxFrequencyHz;
    core_.apply(core_.values().triggerFramesPerSecondHz, frequencyHz, accepted, LegacyRule::AlwaysAllowed,
                reportErrors, [&](double) {
                    if (!pulseForms_.allFit(frequencyHz))
                        raise(kErrFrequencyConflict);
                    // The legacy interface paces its external and software modes at the shortest period.
                    const bool paced =
                        core_.legacyModeOn() && core_.values().legacyTriggerMode != kLegacyGrabberControlled;
                    const uint64_t period =
                        paced ? kPacingPeriodTicks : trigger_timing::minimumPeriodTicks(frequencyHz);
                    core_.writeTicks(HostRegister::TriggerCam0GeneratorsGeneratorMinimumPeriodNumber, period);
                });
}

void PulseGenerator::setMultiplyPulses(uint32_t pulses, bool reportErrors) {
    core_.apply(core_.values().triggerMultiplyPulses, pulses, LegacyRule::RefusedInLegacyMode, reportErrors,
                [&](uint32_t old) {
                    // The selected pulse must never exceed the downscale, not even between the writes.
                    if (pulses > old) {
                        core_.write(HostRegister::TriggerCam0GeneratorsSequenceDownscale, pulses);
                        core_.write(HostRegister::TriggerCam0GeneratorsSequenceSelectedPulse, pulses);
                    } else {
                        core_.write(HostRegister::TriggerCam0GeneratorsSequenceSelectedPulse, pulses);
                        core_.write(HostRegister::TriggerCam0GeneratorsSequenceDownscale, pulses);
                    }
                    clearSequencer();
                });
}

void PulseGenerator::setQueueMode(int32_t mode, bool reportErrors) {
    core_.apply(
        core_.values().triggerQueueMode, mode, LegacyRule::RefusedInLegacyMode, reportErrors, [&](int32_t) {
            if (core_.values().areaTriggerMode != kModeGenerator) {
                if (mode == 0) {
                    core_.writeTicks(HostRegister::TriggerCam0GeneratorsGeneratorMinimumPeriodNumber,
                                     kPacingPeriodTicks);
                    core_.write(HostRegister::TriggerCam0GeneratorsQueueQueueFullValueNumber, 1);
                    core_.write(HostRegister::TriggerCam0GeneratorsQueueQueueEnabledSelect, 0);
                } else {
                    setFramesPerSecond(realisedFrequencyHz(), true);
                    core_.write(HostRegister::TriggerCam0GeneratorsQueueQueueFullValueNumber, kQueueCapacity);
                    core_.write(HostRegister::TriggerCam0GeneratorsQueueQueueEnabledSelect, 1);
                }
            }
            core_.context().limits.publishIntegerMaximum(
                ids::FG_SENDSOFTWARETRIGGER,
                core_.values().triggerQueueMode == 1 ? int32_t{kQueueCapacity} : 1);
        });
}

void PulseGenerator::setQueueOnThreshold(uint32_t level, bool reportErrors) {
    core_.apply(core_.values().triggerQueueFillLevelOnThreshold, level, LegacyRule::RefusedInLegacyMode,
                reportErrors,
                [&](uint32_t) { core_.write(HostRegister::TriggerCam0HysteresisOnLevelNumber, level); });
}

void PulseGenerator::setQueueOffThreshold(uint32_t level, bool reportErrors) {
    core_.apply(core_.values().triggerQueueFillLevelOffThreshold, level, LegacyRule::RefusedInLegacyMode,
                reportErrors,
                [&](uint32_t) { core_.write(HostRegister::TriggerCam0HysteresisOffLevelNumber, level); });
}

void PulseGenerator::startGenerator(uint32_t queue) {
    core_.write(HostRegister::TriggerCam0GeneratorsClearQueuePulseMode, 1);
    core_.write(HostRegister::TriggerCam0GeneratorsEnableQueueSelect, queue);
    setFramesPerSecond(realisedFrequencyHz(), true);
    core_.write(HostRegister::TriggerCam0PulseFormGeneratorsEnableSelect, 1);
    core_.write(HostRegister::TriggerCam0GeneratorsClearQueuePulseMode, 0);
}

void PulseGenerator::holdQueue() const {
    core_.write(HostRegister::TriggerCam0GeneratorsClearQueuePulseMode, 1);
}

void PulseGenerator::clearSequencer() const {
    core_.write(HostRegister::TriggerCam0GeneratorsClearDownscaleMode, kClearPulse);
}

} // namespace kestrel
