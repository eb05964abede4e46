// Input stage, input statistics, monitoring and output statistics.
#include "trigger/input_stage.h"

#include "params/parameter_ids.h"
#include "trigger/trigger_timing.h"

namespace kestrel {

namespace {

constexpr uint32_t kPeriodLimitsBit = 1u << 0;
constexpr uint32_t kMissingFrameBit = 1u << 2;
} // namespace

void InputStage::setDebounce(double debounceUs, bool reportErrors) {
    core_.apply(core_.values().triggerInDebounceUs, debounceUs, LegacyRule::RefusedInLegacyMode, reportErrors,
                [&](double) {
                    core_.write(HostRegister::TriggerInputDebounce8PrescalePeriod,
                                trigger_timing::debounceUnits(debounceUs));
                });
}

double InputStage::debounceUs() const {
    return trigger_timing::debounceUnitsToUs(core_.read(HostRegister::TriggerInputDebounce8PrescalePeriod));
}

void InputStage::setSource(uint32_t pin, bool reportErrors) {
    core_.apply(core_.values().triggerInSource, pin, LegacyRule::AlwaysAllowed, reportErrors,
                [&](uint32_t) { core_.write(HostRegister::TriggerCam0InputSelectSelectSelect, pin); });
}

void InputStage::setPolarity(int32_t lowActive, bool reportErrors) {
    core_.apply(
        core_.values().triggerInPolarity, lowActive, LegacyRule::AlwaysAllowed, reportErrors, [&](int32_t) {
            core_.write(HostRegister::TriggerCam0InputSelectPolarityInvert, static_cast<uint32_t>(lowActive));
        });
}

void InputStage::setBypassSource(int32_t pin, bool reportErrors) {
    core_.apply(core_.values().triggerInBypassSource, pin, LegacyRule::RefusedInLegacyMode, reportErrors,
                [&](int32_t) {
                    core_.write(HostRegister::TriggerCam0InputSelectBypassSelectSelect,
                                static_cast<uint32_t>(pin));
                });
}

void InputStage::setDownscale(uint32_t downscale, bool reportErrors) {
    // The table holds the value to the row's range; the phase below it is this setter's rule.
    const bool accepted = downscale >= core_.values().triggerInDownscalePhase + 1;
    core_.apply(core_.values().triggerInDownscale, downscale, accepted, LegacyRule::RefusedInLegacyMode,
                reportErrors, [&](uint32_t) {
                    core_.write(HostRegister::TriggerCam0DownscaleDownscaleDownscale, downscale);
                    core_.context().limits.publishIntegerMaximum(ids::FG_TRIGGERIN_DOWNSCALE_PHASE,
                                                                 static_cast<int32_t>(downscale - 1));
                });
}

void InputStage::setPhase(uint32_t phase, bool reportErrors) {
    // The table holds the value to the row's range; the downscale above it is this setter's rule.
    const bool accepted = phase < core_.values().triggerInDownscale;
    core_.apply(core_.values().triggerInDownscalePhase, phase, accepted, LegacyRule::RefusedInLegacyMode,
                reportErrors, [&](uint32_t) {
                    core_.write(HostRegister::TriggerCam0DownscaleDownscaleSelectedPulse, phase + 1);
                    core_.context().limits.publishIntegerMinimum(ids::FG_TRIGGERIN_DOWNSCALE,
                                                                 static_cast<int32_t>(phase + 1));
                });
}

uint32_t InputStage::inputLevels() const {
    return core_.read(HostRegister::TriggerInputInputStatusStatus);
}

void InputStage::clearDownscaler() const {
    core_.write(HostRegister::TriggerCam0DownscaleClearMode, kClearPulse);
}

uint32_t InputStage::pulseCount() const {
    return core_.read(HostRegister::TriggerCam0InputStatisticsReadPulsesStatus);
}

void InputStage::clearPulseCount(int32_t apply, bool reportErrors) {
    core_.apply(
        core_.values().triggerInPulseCountClear, apply, LegacyRule::RefusedInLegacyMode, reportErrors,
        [&](int32_t) { core_.write(HostRegister::TriggerCam0InputStatisticsClearPulsesMode, kClearPulse); });
}

double InputStage::frequencyHz() const {
    return trigger_timing::periodTicksToHz(
        core_.readWide(HostRegister::TriggerCam0InputStatisticsReadPeriodStatus));
}

// The longest period seen is the lowest frequency, and the other way round.
double InputStage::minFrequencyHz() const {
    return trigger_timing::periodTicksToHz(
        core_.readWide(HostRegister::TriggerCam0InputStatisticsReadMaxStatus));
}

double InputStage::maxFrequencyHz() const {
    return trigger_timing::periodTicksToHz(
        core_.readWide(HostRegister::TriggerCam0InputStatisticsReadMinStatus));
}

void InputStage::clearMinMaxFrequency(uint32_t apply, bool reportErrors) {
    core_.apply(
        core_.values().triggerInMinMaxFrequencyClear, apply, LegacyRule::RefusedInLegacyMode, reportErrors,
        [&](uint32_t) {
            // The design clears on every change of this bit, not on a pulse.
            const uint32_t current = core_.read(HostRegister::TriggerCam0InputStatisticsClearMinMaxValue);
            core_.write(HostRegister::TriggerCam0InputStatisticsClearMinMaxValue, current == 0 ? 1u : 0u);
        });
}

uint32_t TriggerMonitoring::exceededPeriodLimits() const {
    if (core_.values().areaTriggerMode == kModeGenerator)
        return 0;
    return core_.read(HostRegister::MonitoringReadQueueStatusStatus) & kPeriodLimitsBit;
}

void TriggerMonitoring::clearExceededPeriodLimits(int32_t apply, bool reportErrors) {
    core_.apply(core_.values().triggerExceededPeriodLimitsClear, apply, LegacyRule::RefusedInLegacyMode,
                reportErrors,
                [&](int32_t) { core_.write(HostRegister::MonitoringClearOverrideCam0Mode, kClearPulse); });
}

uint32_t TriggerMonitoring::missingCameraFrameResponse() const {
    return (core_.read(HostRegister::MonitoringReadQueueStatusStatus) & kMissingFrameBit) != 0 ? 1 : 0;
}

void TriggerMonitoring::clearMissingCameraFrameResponse(int32_t apply, bool reportErrors) {
    core_.apply(
        core_.values().missingCameraFrameResponseClear, apply, LegacyRule::RefusedInLegacyMode, reportErrors,
        [&](int32_t) { core_.write(HostRegister::MonitoringClearMissingFrameCam0Mode, kClearPulse); });
}

void TriggerMonitoring::setOutputStatsSource(int32_t generator, bool reportErrors) {
    core_.apply(core_.values().triggerOutStatsSource, generator, LegacyRule::RefusedInLegacyMode,
                reportErrors, [&](int32_t) {
                    core_.write(HostRegister::TriggerCam0OutputStatisticsSelectSelect,
                                static_cast<uint32_t>(generator));
                });
}

uint32_t TriggerMonitoring::outputPulseCount() const {
    return core_.read(HostRegister::TriggerCam0OutputStatisticsReadPulsesStatus);
}

void TriggerMonitoring::clearOutputPulseCount(int32_t apply, bool reportErrors) {
    core_.apply(
        core_.values().triggerOutPulseCountClear, apply, LegacyRule::RefusedInLegacyMode, reportErrors,
        [&](int32_t) { core_.write(HostRegister::TriggerCam0OutputStatisticsClearPulsesMode, kClearPulse); });
}

void TriggerMonitoring::setOutputEventSelect(int32_t generator, bool reportErrors) {
    core_.apply(core_.values().triggerOutputEventSelect, generator, LegacyRule::RefusedInLegacyMode,
                reportErrors, [&](int32_t) {
                    core_.write(HostRegister::TriggerCam0OutputEventSelectSelect,
                                static_cast<uint32_t>(generator));
                });
}

} // namespace kestrel
