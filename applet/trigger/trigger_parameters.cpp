// The trigger group: its parts and their entries in the handler table.
#include "trigger/trigger_parameters.h"

#include <array>
#include <utility>

#include "params/parameter_ids.h"

namespace kestrel {

TriggerParameters::TriggerParameters(AppletContext& context)
    : context_(context), core_(context), outputs_(core_), pulseForms_(core_), generator_(core_, pulseForms_),
      input_(core_), monitoring_(core_), software_(core_),
      modes_(core_, outputs_, input_, generator_, pulseForms_),
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
    constexpr std::array kCc{FG_TRIGGERCC_SELECT0, FG_TRIGGERCC_SELECT1, FG_TRIGGERCC_SELECT2,
                             FG_TRIGGERCC_SELECT3};
    constexpr std::array kOut{FG_TRIGGEROUT_SELECT0, FG_TRIGGEROUT_SELECT1, FG_TRIGGEROUT_SELECT2,
                              FG_TRIGGEROUT_SELECT3, FG_TRIGGEROUT_SELECT4, FG_TRIGGEROUT_SELECT5,
                              FG_TRIGGEROUT_SELECT6, FG_TRIGGEROUT_SELECT7};
    constexpr std::array kLegacyCc{FG_CCSEL0, FG_CCSEL1, FG_CCSEL2, FG_CCSEL3};
    // Eight trigger outputs; the four-wide parameters bind only their first four indexes.
    ((table.bindSetter<&TriggerParameters::setOutSelect<N>>(kOut[N], *this),
      table.bindGetter<&TriggerParameters::getOutSelect<N>>(kOut[N], *this)),
     ...);
    auto bindFour = [&]<std::size_t I>() {
        if constexpr (I < 4) {
            table.bindSetter<&TriggerParameters::setCcSelect<I>>(kCc[I], *this);
            table.bindGetter<&TriggerParameters::getCcSelect<I>>(kCc[I], *this);
            table.bindSetter<&TriggerParameters::setLegacyCcSelect<I>>(kLegacyCc[I], *this);
            table.bindGetter<&TriggerParameters::getLegacyCcSelect<I>>(kLegacyCc[I], *this);
            table.bindSetter<&TriggerParameters::setPfgDownscale<I>>(PulseFormGenerators::downscaleId(I),
                                                                     *this);
            table.bindGetter<&TriggerParameters::getPfgDownscale<I>>(PulseFormGenerators::downscaleId(I),
                                                                     *this);
            table.bindSetter<&TriggerParameters::setPfgPhase<I>>(PulseFormGenerators::phaseId(I), *this);
            table.bindGetter<&TriggerParameters::getPfgPhase<I>>(PulseFormGenerators::phaseId(I), *this);
            table.bindSetter<&TriggerParameters::setPfgDelay<I>>(PulseFormGenerators::delayId(I), *this);
            table.bindGetter<&TriggerParameters::getPfgDelay<I>>(PulseFormGenerators::delayId(I), *this);
            table.bindSetter<&TriggerParameters::setPfgWidth<I>>(PulseFormGenerators::widthId(I), *this);
            table.bindGetter<&TriggerParameters::getPfgWidth<I>>(PulseFormGenerators::widthId(I), *this);
        }
    };
    (bindFour.template operator()<N>(), ...);
}

void TriggerParameters::bind(ParameterHandlerTable& table) {
    using namespace ids;
    using Self = TriggerParameters;
    using V = ParameterValueBlock;

    table.bindSetter<&Self::setAreaTriggerMode>(FG_AREATRIGGERMODE, *this);
    table.bindGetter<&Self::getStored<&V::areaTriggerMode>>(FG_AREATRIGGERMODE, *this);
    table.bindSetter<&Self::setTriggerState>(FG_TRIGGERSTATE, *this);
    table.bindGetter<&Self::getStored<&V::triggerState>>(FG_TRIGGERSTATE, *this);
    table.bindSetter<&Self::setFramesPerSecond>(FG_TRIGGER_FRAMESPERSECOND, *this);
    table.bindGetter<&Self::getStored<&V::triggerFramesPerSecondHz>>(FG_TRIGGER_FRAMESPERSECOND, *this);
    table.bindGetter<&Self::getExceededPeriodLimits>(FG_TRIGGER_EXCEEDED_PERIOD_LIMITS, *this);
    table.bindSetter<&Self::clearExceededPeriodLimits>(FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR, *this);
    table.bindGetter<&Self::getStored<&V::triggerExceededPeriodLimitsClear>>(
        FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR, *this);

    table.bindSetter<&Self::setDebounce>(FG_TRIGGERIN_DEBOUNCE, *this);
    table.bindGetter<&Self::getDebounce>(FG_TRIGGERIN_DEBOUNCE, *this);
    table.bindGetter<&Self::getInputLevels>(FG_DIGIO_INPUT, *this);
    table.bindSetter<&Self::setInputSource>(FG_TRIGGERIN_SRC, *this);
    table.bindGetter<&Self::getStored<&V::triggerInSource>>(FG_TRIGGERIN_SRC, *this);
    table.bindSetter<&Self::setInputPolarity>(FG_TRIGGERIN_POLARITY, *this);
    table.bindGetter<&Self::getStored<&V::triggerInPolarity>>(FG_TRIGGERIN_POLARITY, *this);
    table.bindSetter<&Self::setInputDownscale>(FG_TRIGGERIN_DOWNSCALE, *this);
    table.bindGetter<&Self::getStored<&V::triggerInDownscale>>(FG_TRIGGERIN_DOWNSCALE, *this);
    table.bindSetter<&Self::setInputPhase>(FG_TRIGGERIN_DOWNSCALE_PHASE, *this);
    table.bindGetter<&Self::getStored<&V::triggerInDownscalePhase>>(FG_TRIGGERIN_DOWNSCALE_PHASE, *this);
    table.bindSetter<&Self::setBypassSource>(FG_TRIGGERIN_BYPASS_SRC, *this);
    table.bindGetter<&Self::getStored<&V::triggerInBypassSource>>(FG_TRIGGERIN_BYPASS_SRC, *this);

    table.bindSetter<&Self::sendSoftwareTrigger>(FG_SENDSOFTWARETRIGGER, *this);
    table.bindGetter<&Self::getStored<&V::sendSoftwareTriggerPulses>>(FG_SENDSOFTWARETRIGGER, *this);
    table.bindGetter<&Self::getSoftwareTriggerBusy>(FG_SOFTWARETRIGGER_IS_BUSY, *this);
    table.bindGetter<&Self::getSoftwareQueueFillLevel>(FG_SOFTWARETRIGGER_QUEUE_FILLLEVEL, *this);

    table.bindGetter<&Self::getInputPulseCount>(FG_TRIGGERIN_STATS_PULSECOUNT, *this);
    table.bindSetter<&Self::clearInputPulseCount>(FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR, *this);
    table.bindGetter<&Self::getStored<&V::triggerInPulseCountClear>>(FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR,
                                                                     *this);
    table.bindGetter<&Self::getInputFrequency>(FG_TRIGGERIN_STATS_FREQUENCY, *this);
    table.bindGetter<&Self::getInputMinFrequency>(FG_TRIGGERIN_STATS_MINFREQUENCY, *this);
    table.bindGetter<&Self::getInputMaxFrequency>(FG_TRIGGERIN_STATS_MAXFREQUENCY, *this);
    table.bindSetter<&Self::clearMinMaxFrequency>(FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR, *this);
    table.bindGetter<&Self::getStored<&V::triggerInMinMaxFrequencyClear>>(
        FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR, *this);

    table.bindSetter<&Self::setMultiplyPulses>(FG_TRIGGER_MULTIPLY_PULSES, *this);
    table.bindGetter<&Self::getStored<&V::triggerMultiplyPulses>>(FG_TRIGGER_MULTIPLY_PULSES, *this);
    table.bindSetter<&Self::setQueueMode>(FG_TRIGGERQUEUE_MODE, *this);
    table.bindGetter<&Self::getStored<&V::triggerQueueMode>>(FG_TRIGGERQUEUE_MODE, *this);
    table.bindGetter<&Self::getQueueFillLevel>(FG_TRIGGERQUEUE_FILLLEVEL, *this);
    table.bindSetter<&Self::setQueueOnThreshold>(FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_ON_THRESHOLD, *this);
    table.bindGetter<&Self::getStored<&V::triggerQueueFillLevelOnThreshold>>(
        FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_ON_THRESHOLD, *this);
    table.bindSetter<&Self::setQueueOffThreshold>(FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_OFF_THRESHOLD, *this);
    table.bindGetter<&Self::getStored<&V::triggerQueueFillLevelOffThreshold>>(
        FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_OFF_THRESHOLD, *this);

    bindIndexed(table, std::make_index_sequence<kTriggerOutputCount>{});

    table.bindSetter<&Self::setOutputStatsSource>(FG_TRIGGEROUT_STATS_SOURCE, *this);
    table.bindGetter<&Self::getStored<&V::triggerOutStatsSource>>(FG_TRIGGEROUT_STATS_SOURCE, *this);
    table.bindGetter<&Self::getOutputPulseCount>(FG_TRIGGEROUT_STATS_PULSECOUNT, *this);
    table.bindSetter<&Self::clearOutputPulseCount>(FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR, *this);
    table.bindGetter<&Self::getStored<&V::triggerOutPulseCountClear>>(FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR,
                                                                      *this);
    table.bindGetter<&Self::getMissingFrame>(FG_MISSING_CAMERA_FRAME_RESPONSE, *this);
    table.bindSetter<&Self::clearMissingFrame>(FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR, *this);
    table.bindGetter<&Self::getStored<&V::missingCameraFrameResponseClear>>(
        FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR, *this);
    table.bindSetter<&Self::setOutputEventSelect>(FG_TRIGGER_OUTPUT_EVENT_SELECT, *this);
    table.bindGetter<&Self::getStored<&V::triggerOutputEventSelect>>(FG_TRIGGER_OUTPUT_EVENT_SELECT, *this);

    table.bindSetter<&Self::setLegacyMode>(FG_TRIGGER_LEGACY_MODE, *this);
    table.bindGetter<&Self::getStored<&V::triggerLegacyMode>>(FG_TRIGGER_LEGACY_MODE, *this);
    table.bindSetter<&Self::setLegacyTriggerMode>(FG_TRIGGERMODE, *this);
    table.bindGetter<&Self::getStored<&V::legacyTriggerMode>>(FG_TRIGGERMODE, *this);
    table.bindSetter<&Self::setExsyncOn>(FG_EXSYNCON, *this);
    table.bindGetter<&Self::getStored<&V::legacyExsyncOn>>(FG_EXSYNCON, *this);
    table.bindSetter<&Self::setFlashOn>(FG_FLASHON, *this);
    table.bindGetter<&Self::getStored<&V::legacyFlashOn>>(FG_FLASHON, *this);
    table.bindSetter<&Self::setExposure>(FG_EXPOSURE, *this);
    table.bindGetter<&Self::getStored<&V::legacyExposureUs>>(FG_EXPOSURE, *this);
    table.bindSetter<&Self::setExsyncDelay>(FG_EXSYNCDELAY, *this);
    table.bindGetter<&Self::getStored<&V::legacyExsyncDelayUs>>(FG_EXSYNCDELAY, *this);
    table.bindSetter<&Self::setExsyncPolarity>(FG_EXSYNCPOLARITY, *this);
    table.bindGetter<&Self::getStored<&V::legacyExsyncPolarity>>(FG_EXSYNCPOLARITY, *this);
    table.bindSetter<&Self::setStrobePulseDelay>(FG_STROBEPULSEDELAY, *this);
    table.bindGetter<&Self::getStored<&V::legacyStrobePulseDelayUs>>(FG_STROBEPULSEDELAY, *this);
    table.bindSetter<&Self::setFlashPolarity>(FG_FLASH_POLARITY, *this);
    table.bindGetter<&Self::getStored<&V::legacyFlashPolarity>>(FG_FLASH_POLARITY, *this);
    table.bindSetter<&Self::setPrescaler>(FG_PRESCALER, *this);
    table.bindGetter<&Self::getStored<&V::legacyPrescalerUs>>(FG_PRESCALER, *this);
    table.bindSetter<&Self::setDigitalOutput>(FG_DIGIO_OUTPUT, *this);
    table.bindGetter<&Self::getStored<&V::legacyDigitalOutput>>(FG_DIGIO_OUTPUT, *this);
}

} // namespace kestrel
