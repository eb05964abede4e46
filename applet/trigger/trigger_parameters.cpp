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
    constexpr std::array<int32_t, 4> kCc{FG_TRIGGERCC_SELECT0, FG_TRIGGERCC_SELECT1, FG_TRIGGERCC_SELECT2,
                                         FG_TRIGGERCC_SELECT3};
    constexpr std::array<int32_t, 8> kOut{FG_TRIGGEROUT_SELECT0, FG_TRIGGEROUT_SELECT1, FG_TRIGGEROUT_SELECT2,
                                          FG_TRIGGEROUT_SELECT3, FG_TRIGGEROUT_SELECT4, FG_TRIGGEROUT_SELECT5,
                                          FG_TRIGGEROUT_SELECT6, FG_TRIGGEROUT_SELECT7};
    constexpr std::array<int32_t, 4> kLegacyCc{FG_CCSEL0, FG_CCSEL1, FG_CCSEL2, FG_CCSEL3};
    // Eight trigger outputs; the four-wide parameters bind only their first four indexes.
    (table.bindCheckedIndexedSetter<&OutputSelects::setTriggerOutSelect, N>(kOut[N], outputs_), ...);
    auto bindFour = [&]<std::size_t I>() {
        if constexpr (I < 4) {
            table.bindCheckedIndexedSetter<&OutputSelects::setCcSelect, I>(kCc[I], outputs_);
            table.bindCheckedIndexedSetter<&LegacyTrigger::setCcSelect, I>(kLegacyCc[I], legacy_);
            const int32_t downscale = PulseFormGenerators::downscaleId(I);
            table.bindCheckedIndexedSetter<&PulseFormGenerators::setDownscale, I>(downscale, pulseForms_);
            const int32_t phase = PulseFormGenerators::phaseId(I);
            table.bindCheckedIndexedSetter<&PulseFormGenerators::setPhase, I>(phase, pulseForms_);
            const int32_t delay = PulseFormGenerators::delayId(I);
            table.bindCheckedIndexedSetter<&PulseFormGenerators::setDelay, I>(delay, pulseForms_);
            table.bindIndexedValueGetter<&PulseFormGenerators::delayUs, I>(delay, pulseForms_);
            const int32_t width = PulseFormGenerators::widthId(I);
            table.bindCheckedIndexedSetter<&PulseFormGenerators::setWidth, I>(width, pulseForms_);
            table.bindIndexedValueGetter<&PulseFormGenerators::widthUs, I>(width, pulseForms_);
        }
    };
    (bindFour.template operator()<N>(), ...);
}

// Values are checked by the table before a setter sees them, but the trigger frequency's, whose
// published minimum lies one step below the least the setter takes, and the software trigger's,
// whose pulse count follows the stored queue mode.
void TriggerParameters::bind(ParameterHandlerTable& table) {
    using namespace ids;

    table.bindCheckedSetter<&TriggerModes::setAreaTriggerMode>(FG_AREATRIGGERMODE, modes_);
    table.bindCheckedSetter<&TriggerModes::setTriggerState>(FG_TRIGGERSTATE, modes_);
    table.bindSetter<&PulseGenerator::setFramesPerSecond>(FG_TRIGGER_FRAMESPERSECOND, generator_);
    table.bindValueGetter<&TriggerMonitoring::exceededPeriodLimits>(FG_TRIGGER_EXCEEDED_PERIOD_LIMITS,
                                                                    monitoring_);
    table.bindCheckedSetter<&TriggerMonitoring::clearExceededPeriodLimits>(
        FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR, monitoring_);

    table.bindCheckedSetter<&InputStage::setDebounce>(FG_TRIGGERIN_DEBOUNCE, input_);
    table.bindValueGetter<&InputStage::debounceUs>(FG_TRIGGERIN_DEBOUNCE, input_);
    table.bindValueGetter<&InputStage::inputLevels>(FG_DIGIO_INPUT, input_);
    table.bindCheckedSetter<&InputStage::setSource>(FG_TRIGGERIN_SRC, input_);
    table.bindCheckedSetter<&InputStage::setPolarity>(FG_TRIGGERIN_POLARITY, input_);
    table.bindCheckedSetter<&InputStage::setDownscale>(FG_TRIGGERIN_DOWNSCALE, input_);
    table.bindCheckedSetter<&InputStage::setPhase>(FG_TRIGGERIN_DOWNSCALE_PHASE, input_);
    table.bindCheckedSetter<&InputStage::setBypassSource>(FG_TRIGGERIN_BYPASS_SRC, input_);

    table.bindSetter<&SoftwareTrigger::send>(FG_SENDSOFTWARETRIGGER, software_);
    table.bindValueGetter<&SoftwareTrigger::busy>(FG_SOFTWARETRIGGER_IS_BUSY, software_);
    table.bindValueGetter<&SoftwareTrigger::softwareQueueFillLevel>(FG_SOFTWARETRIGGER_QUEUE_FILLLEVEL,
                                                                    software_);

    table.bindValueGetter<&InputStage::pulseCount>(FG_TRIGGERIN_STATS_PULSECOUNT, input_);
    table.bindCheckedSetter<&InputStage::clearPulseCount>(FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR, input_);
    table.bindValueGetter<&InputStage::frequencyHz>(FG_TRIGGERIN_STATS_FREQUENCY, input_);
    table.bindValueGetter<&InputStage::minFrequencyHz>(FG_TRIGGERIN_STATS_MINFREQUENCY, input_);
    table.bindValueGetter<&InputStage::maxFrequencyHz>(FG_TRIGGERIN_STATS_MAXFREQUENCY, input_);
    table.bindCheckedSetter<&InputStage::clearMinMaxFrequency>(FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR,
                                                               input_);

    table.bindCheckedSetter<&PulseGenerator::setMultiplyPulses>(FG_TRIGGER_MULTIPLY_PULSES, generator_);
    table.bindCheckedSetter<&PulseGenerator::setQueueMode>(FG_TRIGGERQUEUE_MODE, generator_);
    table.bindValueGetter<&SoftwareTrigger::queueFillLevel>(FG_TRIGGERQUEUE_FILLLEVEL, software_);
    table.bindCheckedSetter<&PulseGenerator::setQueueOnThreshold>(
        FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_ON_THRESHOLD, generator_);
    table.bindCheckedSetter<&PulseGenerator::setQueueOffThreshold>(
        FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_OFF_THRESHOLD, generator_);

    bindIndexed(table, std::make_index_sequence<kTriggerOutputCount>{});

    table.bindCheckedSetter<&TriggerMonitoring::setOutputStatsSource>(FG_TRIGGEROUT_STATS_SOURCE,
                                                                      monitoring_);
    table.bindValueGetter<&TriggerMonitoring::outputPulseCount>(FG_TRIGGEROUT_STATS_PULSECOUNT, monitoring_);
    table.bindCheckedSetter<&TriggerMonitoring::clearOutputPulseCount>(FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR,
                                                                       monitoring_);
    table.bindValueGetter<&TriggerMonitoring::missingCameraFrameResponse>(FG_MISSING_CAMERA_FRAME_RESPONSE,
                                                                          monitoring_);
    table.bindCheckedSetter<&TriggerMonitoring::clearMissingCameraFrameResponse>(
        FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR, monitoring_);
    table.bindCheckedSetter<&TriggerMonitoring::setOutputEventSelect>(FG_TRIGGER_OUTPUT_EVENT_SELECT,
                                                                      monitoring_);

    table.bindCheckedSetter<&LegacyTrigger::setLegacyMode>(FG_TRIGGER_LEGACY_MODE, legacy_);
    table.bindCheckedSetter<&LegacyTrigger::setTriggerMode>(FG_TRIGGERMODE, legacy_);
    table.bindCheckedSetter<&LegacyTrigger::setExsyncOn>(FG_EXSYNCON, legacy_);
    table.bindCheckedSetter<&LegacyTrigger::setFlashOn>(FG_FLASHON, legacy_);
    table.bindCheckedSetter<&LegacyTrigger::setExposure>(FG_EXPOSURE, legacy_);
    table.bindCheckedSetter<&LegacyTrigger::setExsyncDelay>(FG_EXSYNCDELAY, legacy_);
    table.bindCheckedSetter<&LegacyTrigger::setExsyncPolarity>(FG_EXSYNCPOLARITY, legacy_);
    table.bindCheckedSetter<&LegacyTrigger::setStrobePulseDelay>(FG_STROBEPULSEDELAY, legacy_);
    table.bindCheckedSetter<&LegacyTrigger::setFlashPolarity>(FG_FLASH_POLARITY, legacy_);
    table.bindCheckedSetter<&LegacyTrigger::setPrescaler>(FG_PRESCALER, legacy_);
    table.bindCheckedSetter<&LegacyTrigger::setDigitalOutput>(FG_DIGIO_OUTPUT, legacy_);
}

} // namespace kestrel
