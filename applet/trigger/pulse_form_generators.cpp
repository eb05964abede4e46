// Pulse-form generator setters, read-backs and timing checks.
#include "trigger/pulse_form_generators.h"

#include <array>

#include "params/parameter_catalogue.h"
#include "trigger/trigger_timing.h"

namespace kestrel {

namespace {

struct PulseFormRegisters {
    HostRegister downscale;
    HostRegister selectedPulse;
    HostRegister delay;
    HostRegister width;
    HostRegister clearDownscale;
};

#define KESTREL_PFG_REGISTERS(n)                                                                             \
    PulseFormRegisters {                                                                                     \
        HostRegister::TriggerCam0PulseFormGeneratorsPulseFormGenerator##n##DownscaleDownscale,               \
            HostRegister::TriggerCam0PulseFormGeneratorsPulseFormGenerator##n##DownscaleSelectedPulse,       \
            HostRegister::TriggerCam0PulseFormGeneratorsPulseFormGenerator##n##DelayDelay,                   \
            HostRegister::TriggerCam0PulseFormGeneratorsPulseFormGenerator##n##WidthWidth,                   \
            HostRegister::TriggerCam0PulseFormGeneratorsPulseFormGenerator##n##ClearDownscaleMode            \
    }
constexpr std::array<PulseFormRegisters, kPulseFormGeneratorCount> kRegisters{
    KESTREL_PFG_REGISTERS(0), KESTREL_PFG_REGISTERS(1), KESTREL_PFG_REGISTERS(2), KESTREL_PFG_REGISTERS(3)};
#undef KESTREL_PFG_REGISTERS

// Each generator's downscale, phase, delay and width, as its rows list them.
constexpr std::array<std::array<int32_t, 4>, kPulseFormGeneratorCount> kIds{
    familyIds<4>("FG_TRIGGER_PULSEFORMGEN0_"), familyIds<4>("FG_TRIGGER_PULSEFORMGEN1_"),
    familyIds<4>("FG_TRIGGER_PULSEFORMGEN2_"), familyIds<4>("FG_TRIGGER_PULSEFORMGEN3_")};

} // namespace

int32_t PulseFormGenerators::downscaleId(std::size_t generator) {
    return kIds.at(generator)[0];
}
int32_t PulseFormGenerators::phaseId(std::size_t generator) {
    return kIds.at(generator)[1];
}
int32_t PulseFormGenerators::delayId(std::size_t generator) {
    return kIds.at(generator)[2];
}
int32_t PulseFormGenerators::widthId(std::size_t generator) {
    return kIds.at(generator)[3];
}

double PulseFormGenerators::currentPeriodUs() const {
    return trigger_timing::periodUs(
        trigger_timing::realisedFrequencyHz(core_.values().triggerFramesPerSecondHz));
}

double PulseFormGenerators::delayUs(std::size_t generator) const {
    return trigger_timing::ticksToUs(core_.read(kRegisters.at(generator).delay));
}

double PulseFormGenerators::widthUs(std::size_t generator) const {
    return trigger_timing::ticksToUs(core_.read(kRegisters.at(generator).width));
}

bool PulseFormGenerators::allFit(double frequencyHz) const {
    const double period = trigger_timing::periodUs(frequencyHz);
    for (std::size_t n = 0; n < kPulseFormGeneratorCount; ++n) {
        if (!trigger_timing::generatorFits(period, core_.values().pulseFormGenerators[n].downscale,
                                           delayUs(n), widthUs(n)))
            return false;
    }
    return true;
}

void PulseFormGenerators::setDownscale(std::size_t generator, uint32_t downscale, bool reportErrors) {
    auto& stored = core_.values().pulseFormGenerators.at(generator);
    // The table holds the value to the row's range; the phase below it is this setter's rule.
    const bool accepted = downscale >= stored.downscalePhase + 1;
    core_.apply(stored.downscale, downscale, accepted, LegacyRule::RefusedInLegacyMode, reportErrors,
                [&](uint32_t) {
                    if (!trigger_timing::generatorFits(currentPeriodUs(), downscale, delayUs(generator),
                                                       widthUs(generator)))
                        raise(kErrDownscaleConflict);
                    core_.write(kRegisters[generator].downscale, downscale);
                    core_.context().limits.publishIntegerMaximum(phaseId(generator),
                                                                 static_cast<int32_t>(downscale - 1));
                });
}

void PulseFormGenerators::setPhase(std::size_t generator, uint32_t phase, bool reportErrors) {
    auto& stored = core_.values().pulseFormGenerators.at(generator);
    // The table holds the value to the row's range; the downscale above it is this setter's rule.
    const bool accepted = phase < stored.downscale;
    core_.apply(stored.downscalePhase, phase, accepted, LegacyRule::RefusedInLegacyMode, reportErrors,
                [&](uint32_t) {
                    core_.write(kRegisters[generator].selectedPulse, phase + 1);
                    core_.context().limits.publishIntegerMinimum(downscaleId(generator),
                                                                 static_cast<int32_t>(phase + 1));
                });
}

void PulseFormGenerators::setDelay(std::size_t generator, double delayUsValue, bool reportErrors) {
    auto& stored = core_.values().pulseFormGenerators.at(generator);
    core_.apply(stored.delayUs, delayUsValue, LegacyRule::RefusedInLegacyMode, reportErrors, [&](double) {
        if (!trigger_timing::generatorFits(currentPeriodUs(), stored.downscale, delayUsValue,
                                           widthUs(generator)))
            raise(kErrFrequencyConflict);
        core_.writeTicks(kRegisters[generator].delay, trigger_timing::delayTicks(delayUsValue));
    });
}

void PulseFormGenerators::setWidth(std::size_t generator, double widthUsValue, bool reportErrors) {
    auto& stored = core_.values().pulseFormGenerators.at(generator);
    core_.apply(stored.widthUs, widthUsValue, LegacyRule::RefusedInLegacyMode, reportErrors, [&](double) {
        if (!trigger_timing::generatorFits(currentPeriodUs(), stored.downscale, delayUs(generator),
                                           widthUsValue))
            raise(kErrFrequencyConflict);
        core_.writeTicks(kRegisters[generator].width, trigger_timing::widthTicks(generator, widthUsValue));
    });
}

void PulseFormGenerators::clearPulseGenerators() const {
    core_.write(HostRegister::MonitoringCheckForMissingFrameCam0ResetMissingMode, kClearPulse);
    for (const PulseFormRegisters& regs : kRegisters)
        core_.write(regs.clearDownscale, kClearPulse);
}

} // namespace kestrel
