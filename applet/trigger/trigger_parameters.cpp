// The trigger group: its parts and their entries in the handler table.
#include "trigger/trigger_parameters.h"

#include <array>
#include <utility>

#include "params/parameter_ids.h"

namespace kestrel {

TriggerParameters::TriggerParameters(AppletContext& context)
    : core_(context), outputs_(core_), pulseForms_(core_), generator_(core_, pulseForms_), input_(core_),
      monitoring_(core_), software_(core_), modes_(core_, outputs_, input_, generator_, pulseForms_),
      legacy_(core_, AreaTrigger{modes_, generator_, input_, monitoring_, pulseForms_, outputs_}) {}

void TriggerParameters::parkOutputs() const {
    outputs_.parkOutputs();
}

void TriggerParameters::restoreOutputSelects() {
    outputs_.restoreOutputs();
}

template <std::size_t... N>
void TriggerParameters::bindIndexed(ParameterHandlerTable& table, std::index_sequence<N...>) {
    using namespace ids;
    constexpr auto kCc = familyIds<4>("FG_TRIGGERCC_SELECT");
    constexpr auto kOut = familyIds<8>("FG_TRIGGEROUT_SELECT");
    constexpr auto kLegacyCc = familyIds<4>("FG_CCSEL");
    // Eight trigger outputs; the four-wide parameters bind only their first four indexes.
    (table.bindIndexedSetter<&OutputSelects::setTriggerOutSelect, N>(kOut[N], outputs_), ...);
    auto bindFour = [&]<std::size_t I>() {
        if constexpr (I < 4) {
            table.bindIndexedSetter<&OutputSelects::setCcSelect, I>(kCc[I], outputs_);
            table.bindIndexedSetter<&LegacyTrigger::setCcSelect, I>(kLegacyCc[I], legacy_);
            const int32_t downscale = PulseFormGenerators::downscaleId(I);
            table.bindIndexedSetter<&PulseFormGenerators::setDownscale, I>(downscale, pulseForms_);
            const int32_t phase = PulseFormGenerators::phaseId(I);
            table.bindIndexedSetter<&PulseFormGenerators::setPhase, I>(phase, pulseForms_);
            const int32_t delay = PulseFormGenerators::delayId(I);
            table.bindIndexedSetter<&PulseFormGenerators::setDelay, I>(delay, pulseForms_);
            table.bindIndexedValueGetter<&PulseFormGenerators::delayUs, I>(delay, pulseForms_);
            const int32_t width = PulseFormGenerators::widthId(I);
            table.bindIndexedSetter<&PulseFormGenerators::setWidth, I>(width, pulseForms_);
            table.bindIndexedValueGetter<&PulseFormGenerators::widthUs, I>(width, pulseForms_);
        }
    };
    (bindFour.template operator()<N>(), ...);
}

void TriggerParameters::bind(ParameterHandlerTable& table) {
    using namespace ids;
    legacy_.resetThrough(table);

    table.bindSetter<&TriggerModes::setAreaTriggerMode>(FG_AREATRIGGERMODE, modes_);
    table.bindSetter<&TriggerModes::setTriggerState>(FG_TRIGGERSTATE, modes_);
    table.bindSetter<&PulseGenerator::setFramesPerSecond>(FG_TRIGGER_FRAMESPERSECOND, generator_);
    table.bindValueGetter<&TriggerMonitoring::exceededPeriodLimits>(FG_TRIGGER_EXCEEDED_PERIOD_LIMITS,
                                                                    monitoring_);
    table.bindSetter<&TriggerMonitoring::clearExceededPeriodLimits>(FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR,
                                                                    monitoring_);

    table.bindSetter<&InputStage::setDebounce>(FG_TRIGGERIN_DEBOUNCE, input_);
    table.bindValueGetter<&InputStage::debounceUs>(FG_TRIGGERIN_DEBOUNCE, input_);
    table.bindValueGetter<&InputStage::inputLevels>(FG_DIGIO_INPUT, input_);
    table.bindSetter<&InputStage::setSource>(FG_TRIGGERIN_SRC, input_);
    table.bindSetter<&InputStage::setPolarity>(FG_TRIGGERIN_POLARITY, input_);
    table.bindSetter<&InputStage::setDownscale>(FG_TRIGGERIN_DOWNSCALE, input_);
    table.bindSetter<&InputStage::setPhase>(FG_TRIGGERIN_DOWNSCALE_PHASE, input_);
    table.bindSetter<&InputStage::setBypassSource>(FG_TRIGGERIN_BYPASS_SRC, input_);

    table.bindSetter<&SoftwareTrigger::send>(FG_SENDSOFTWARETRIGGER, software_);
    table.bindValueGetter<&SoftwareTrigger::busy>(FG_SOFTWARETRIGGER_IS_BUSY, software_);
    table.bindValueGetter<&SoftwareTrigger::softwareQueueFillLevel>(FG_SOFTWARETRIGGER_QUEUE_FILLLEVEL,
                                                                    software_);

    table.bindValueGetter<&InputStage::pulseCount>(FG_TRIGGERIN_STATS_PULSECOUNT, input_);
    table.bindSetter<&InputStage::clearPulseCount>(FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR, input_);
    table.bindValueGetter<&InputStage::frequencyHz>(FG_TRIGGERIN_STATS_FREQUENCY, input_);
    table.bindValueGetter<&InputStage::minFrequencyHz>(FG_TRIGGERIN_STATS_MINFREQUENCY, input_);
    table.bindValueGetter<&InputStage::maxFrequencyHz>(FG_TRIGGERIN_STATS_MAXFREQUENCY, input_);
    table.bindSetter<&InputStage::clearMinMaxFrequency>(FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR, input_);

    table.bindSetter<&PulseGenerator::setMultiplyPulses>(FG_TRIGGER_MULTIPLY_PULSES, generator_);
    table.bindSetter<&PulseGenerator::setQueueMode>(FG_TRIGGERQUEUE_MODE, generator_);
    table.bindValueGetter<&SoftwareTrigger::queueFillLevel>(FG_TRIGGERQUEUE_FILLLEVEL, software_);
    table.bindSetter<&PulseGenerator::setQueueOnThreshold>(FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_ON_THRESHOLD,
                                                           generator_);
    table.bindSetter<&PulseGenerator::setQueueOffThreshold>(FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_OFF_THRESHOLD,
                                                            generator_);

    bindIndexed(table, std::make_index_sequence<kTriggerOutputCount>{});

    table.bindSetter<&TriggerMonitoring::setOutputStatsSource>(FG_TRIGGEROUT_STATS_SOURCE, monitoring_);
    table.bindValueGetter<&TriggerMonitoring::outputPulseCount>(FG_TRIGGEROUT_STATS_PULSECOUNT, monitoring_);
    table.bindSetter<&TriggerMonitoring::clearOutputPulseCount>(FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR,
                                                                monitoring_);
    table.bindValueGetter<&TriggerMonitoring::missingCameraFrameResponse>(FG_MISSING_CAMERA_FRAME_RESPONSE,
                                                                          monitoring_);
    table.bindSetter<&TriggerMonitoring::clearMissingCameraFrameResponse>(
        FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR, monitoring_);
    table.bindSetter<&TriggerMonitoring::setOutputEventSelect>(FG_TRIGGER_OUTPUT_EVENT_SELECT, monitoring_);

    table.bindSetter<&LegacyTrigger::setLegacyMode>(FG_TRIGGER_LEGACY_MODE, legacy_);
    table.bindSetter<&LegacyTrigger::setTriggerMode>(FG_TRIGGERMODE, legacy_);
    table.bindSetter<&LegacyTrigger::setExsyncOn>(FG_EXSYNCON, legacy_);
    table.bindSetter<&LegacyTrigger::setFlashOn>(FG_FLASHON, legacy_);
    table.bindSetter<&LegacyTrigger::setExposure>(FG_EXPOSURE, legacy_);
    table.bindSetter<&LegacyTrigger::setExsyncDelay>(FG_EXSYNCDELAY, legacy_);
    table.bindSetter<&LegacyTrigger::setExsyncPolarity>(FG_EXSYNCPOLARITY, legacy_);
    table.bindSetter<&LegacyTrigger::setStrobePulseDelay>(FG_STROBEPULSEDELAY, legacy_);
    table.bindSetter<&LegacyTrigger::setFlashPolarity>(FG_FLASH_POLARITY, legacy_);
    table.bindSetter<&LegacyTrigger::setPrescaler>(FG_PRESCALER, legacy_);
    table.bindSetter<&LegacyTrigger::setDigitalOutput>(FG_DIGIO_OUTPUT, legacy_);
}

} // namespace kestrel
