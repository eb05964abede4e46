// Legacy trigger interface and the switch between the two interfaces.
#include "trigger/legacy_trigger.h"

#include "params/parameter_ids.h"
#include "params/parameter_properties.h"

namespace kestrel {

namespace {

constexpr uint32_t kFreeRun = 0;
constexpr uint32_t kGrabberControlled = 1;
constexpr uint32_t kAsyncTrigger = 2;

// Legacy CC selections.
constexpr uint32_t kCcExsync = 0;
constexpr uint32_t kCcStrobePulse = 2;
constexpr uint32_t kCcGnd = 4;
constexpr uint32_t kCcVcc = 5;
constexpr uint32_t kCcNotExsync = 6;
constexpr uint32_t kCcNotStrobePulse = 8;

// The exposure signal is pulse-form generator 0 on trigger output 1, the flash signal generator 1
// on trigger output 0.
constexpr uint32_t kExposureGenerator = 0;
constexpr uint32_t kFlashGenerator = 1;
constexpr std::size_t kExposureOutput = 1;
constexpr std::size_t kFlashOutput = 0;
// The two bits of the digital output.
constexpr std::size_t kDigitalOutputBit0 = 3;
constexpr std::size_t kDigitalOutputBit1 = 7;

constexpr uint32_t kInvertedSourceOffset = 6;

} // namespace

// ---- the switch ----

void LegacyTrigger::setLegacyMode(int32_t on, bool reportErrors) {
    int32_t& stored = core_.values().triggerLegacyMode;
    if (on == stored)
        return;
    // The reset runs with the legacy interface off, so the area trigger handlers accept it.
    storeThenWrite<TriggerCore::kOnQuietFailure>(stored, 0, reportErrors, [&] {
        resetAreaTrigger();
        storeLegacyDefaults();
        stored = on;
        publishLegacyAccess(on == 1);
    });
}

void LegacyTrigger::resetAreaTrigger() {
    constexpr bool kQuiet = false;
    area_.modes.setAreaTriggerMode(kModeGenerator, kQuiet);
    area_.modes.setTriggerState(kStateSyncStop, kQuiet);
    area_.generator.setFramesPerSecond(8.0, kQuiet);
    area_.input.setDebounce(1.0, kQuiet);
    area_.input.setSource(0, kQuiet);
    area_.input.setPolarity(0, kQuiet);
    area_.input.setDownscale(1, kQuiet);
    area_.input.setPhase(0, kQuiet);
    area_.input.setBypassSource(0, kQuiet);
    area_.generator.setMultiplyPulses(1, kQuiet);
    area_.generator.setQueueMode(0, kQuiet);
    area_.generator.setQueueOnThreshold(2047, kQuiet);
    area_.generator.setQueueOffThreshold(2, kQuiet);
    for (std::size_t n = 0; n < kPulseFormGeneratorCount; ++n) {
        area_.pulseForms.setDownscale(n, 1, kQuiet);
        area_.pulseForms.setPhase(n, 0, kQuiet);
        area_.pulseForms.setDelay(n, 0.0, kQuiet);
        area_.pulseForms.setWidth(n, n == 0 ? 4000.0 : 4.0, kQuiet);
    }
    area_.outputs.setCcSelect(0, 6, kQuiet);
    for (std::size_t i = 1; i < kCcOutputCount; ++i)
        area_.outputs.setCcSelect(i, kSourceVcc, kQuiet);
    area_.outputs.setTriggerOutSelect(0, 6, kQuiet);
    area_.outputs.setTriggerOutSelect(1, 7, kQuiet);
    for (std::size_t i = 2; i < kTriggerOutputCount; ++i)
        area_.outputs.setTriggerOutSelect(i, kSourceVcc, kQuiet);
    area_.monitoring.setOutputStatsSource(0, kQuiet);
    area_.monitoring.setOutputEventSelect(0, kQuiet);
}

void LegacyTrigger::storeLegacyDefaults() {
    ParameterValueBlock& v = core_.values();
    v.legacyTriggerMode = 0;
    v.legacyExsyncOn = 0;
    v.legacyFlashOn = 0;
    v.legacyExposureUs = 4000;
    v.legacyExsyncDelayUs = 0.0;
    v.legacyExsyncPolarity = 0;
    v.legacyStrobePulseDelayUs = 0.0;
    v.legacyFlashPolarity = 0;
    v.legacyPrescalerUs = 10.0;
    v.legacyCcSelects = {0, 5, 5, 5};
    v.legacyDigitalOutput = 3;
}

void LegacyTrigger::publishLegacyAccess(bool on) const {
    using namespace ids;
    const std::initializer_list<int32_t> legacyIds{
        FG_TRIGGERMODE,    FG_EXSYNCON,         FG_FLASHON,        FG_EXPOSURE,    FG_EXSYNCDELAY,
        FG_EXSYNCPOLARITY, FG_STROBEPULSEDELAY, FG_FLASH_POLARITY, FG_PRESCALER,   FG_CCSEL0,
        FG_CCSEL1,         FG_CCSEL2,           FG_CCSEL3,         FG_DIGIO_OUTPUT};
    const std::initializer_list<int32_t> pulseFormIds{
        FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE, FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE_PHASE,
        FG_TRIGGER_PULSEFORMGEN0_DELAY,     FG_TRIGGER_PULSEFORMGEN0_WIDTH,
        FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE, FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE_PHASE,
        FG_TRIGGER_PULSEFORMGEN1_DELAY,     FG_TRIGGER_PULSEFORMGEN1_WIDTH,
        FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE, FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE_PHASE,
        FG_TRIGGER_PULSEFORMGEN2_DELAY,     FG_TRIGGER_PULSEFORMGEN2_WIDTH,
        FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE, FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE_PHASE,
        FG_TRIGGER_PULSEFORMGEN3_DELAY,     FG_TRIGGER_PULSEFORMGEN3_WIDTH};
    const std::initializer_list<int32_t> outputIds{
        FG_TRIGGERCC_SELECT0,  FG_TRIGGERCC_SELECT1,  FG_TRIGGERCC_SELECT2,  FG_TRIGGERCC_SELECT3,
        FG_TRIGGEROUT_SELECT0, FG_TRIGGEROUT_SELECT1, FG_TRIGGEROUT_SELECT2, FG_TRIGGEROUT_SELECT3,
        FG_TRIGGEROUT_SELECT4, FG_TRIGGEROUT_SELECT5, FG_TRIGGEROUT_SELECT6, FG_TRIGGEROUT_SELECT7};
    if (on) {
        core_.publishAccess({FG_AREATRIGGERMODE, FG_TRIGGERSTATE, FG_TRIGGER_OUTPUT_EVENT_SELECT,
                             FG_TRIGGER_EXCEEDED_PERIOD_LIMITS, FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR,
                             FG_TRIGGERIN_DEBOUNCE, FG_DIGIO_INPUT, FG_TRIGGERIN_DOWNSCALE,
                             FG_TRIGGERIN_DOWNSCALE_PHASE, FG_TRIGGERIN_BYPASS_SRC,
                             FG_SOFTWARETRIGGER_IS_BUSY, FG_SOFTWARETRIGGER_QUEUE_FILLLEVEL,
                             FG_TRIGGERIN_STATS_PULSECOUNT, FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR,
                             FG_TRIGGERIN_STATS_FREQUENCY, FG_TRIGGERIN_STATS_MINFREQUENCY,
                             FG_TRIGGERIN_STATS_MAXFREQUENCY, FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR},
                            kAccessReadOnly);
        core_.publishAccess(pulseFormIds, kAccessReadOnly);
        core_.publishAccess({FG_TRIGGERCC_SELECT0,
                             FG_TRIGGERCC_SELECT1,
                             FG_TRIGGERCC_SELECT2,
                             FG_TRIGGERCC_SELECT3,
                             FG_TRIGGEROUT_STATS_SOURCE,
                             FG_TRIGGEROUT_STATS_PULSECOUNT,
                             FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR,
                             FG_MISSING_CAMERA_FRAME_RESPONSE,
                             FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR,
                             FG_TRIGGEROUT_SELECT0,
                             FG_TRIGGEROUT_SELECT1,
                             FG_TRIGGEROUT_SELECT2,
                             FG_TRIGGEROUT_SELECT3,
                             FG_TRIGGEROUT_SELECT4,
                             FG_TRIGGEROUT_SELECT5,
                             FG_TRIGGEROUT_SELECT6,
                             FG_TRIGGEROUT_SELECT7,
                             FG_TRIGGER_MULTIPLY_PULSES,
                             FG_TRIGGERQUEUE_MODE,
                             FG_TRIGGERQUEUE_FILLLEVEL,
                             FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_ON_THRESHOLD,
                             FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_OFF_THRESHOLD},
                            kAccessReadOnly);
        core_.publishAccess(
            {FG_TRIGGER_FRAMESPERSECOND, FG_TRIGGERIN_SRC, FG_TRIGGERIN_POLARITY, FG_SENDSOFTWARETRIGGER},
            kAccessReadWriteBit2);
        core_.publishAccess(legacyIds, kAccessReadWriteBit2);
    } else {
        core_.publishAccess({FG_AREATRIGGERMODE, FG_TRIGGERSTATE, FG_TRIGGER_FRAMESPERSECOND,
                             FG_TRIGGER_OUTPUT_EVENT_SELECT, FG_TRIGGERIN_DEBOUNCE, FG_TRIGGERIN_BYPASS_SRC,
                             FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR, FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR},
                            kAccessReadWriteBit2);
        core_.publishAccess(pulseFormIds, kAccessReadWriteBit2);
        core_.publishAccess({FG_TRIGGERCC_SELECT0, FG_TRIGGERCC_SELECT1, FG_TRIGGERCC_SELECT2,
                             FG_TRIGGERCC_SELECT3, FG_TRIGGEROUT_STATS_SOURCE,
                             FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR, FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR},
                            kAccessReadWriteBit2);
        core_.publishAccess(outputIds, kAccessReadWriteBit2);
        core_.publishAccess(legacyIds, kAccessReadOnly);
    }
}

// ---- signal mapping ----

uint32_t LegacyTrigger::signalSource(Signal signal, bool inverted) const {
    const ParameterValueBlock& v = core_.values();
    const bool on = (signal == Signal::Exposure ? v.legacyExsyncOn : v.legacyFlashOn) != 0;
    const bool high = (signal == Signal::Exposure ? v.legacyExsyncPolarity : v.legacyFlashPolarity) != 0;
    const bool positive = high != inverted;
    if (!on)
        return positive ? kSourceGnd : kSourceVcc; // the idle level of the pulse's polarity
    const uint32_t generator = signal == Signal::Exposure ? kExposureGenerator : kFlashGenerator;
    return positive ? generator : generator + kInvertedSourceOffset;
}

uint32_t LegacyTrigger::ccSourceFor(uint32_t selection) const {
    switch (selection) {
    case kCcExsync:
        return signalSource(Signal::Exposure, false);
    case kCcNotExsync:
        return signalSource(Signal::Exposure, true);
    case kCcStrobePulse:
        return signalSource(Signal::Flash, false);
    case kCcNotStrobePulse:
        return signalSource(Signal::Flash, true);
    case kCcGnd:
        return kSourceGnd;
    case kCcVcc:
        return kSourceVcc;
    default:
        raise(kErrInvalidPort);
    }
}

void LegacyTrigger::mapSignal(Signal signal) {
    const TriggerCore::LegacyUpdate update(core_);
    area_.outputs.setTriggerOutSelect(signal == Signal::Exposure ? kExposureOutput : kFlashOutput,
                                      signalSource(signal, false), true);
    for (std::size_t i = 0; i < kCcOutputCount; ++i) {
        const uint32_t selection = core_.values().legacyCcSelects[i];
        const bool carries = signal == Signal::Exposure
                                 ? selection == kCcExsync || selection == kCcNotExsync
                                 : selection == kCcStrobePulse || selection == kCcNotStrobePulse;
        if (carries)
            area_.outputs.setCcSelect(i, ccSourceFor(selection), true);
    }
}

// ---- the legacy parameters ----

void LegacyTrigger::setTriggerMode(uint32_t mode, bool reportErrors) {
    core_.apply(core_.values().legacyTriggerMode, mode, LegacyRule::LegacyOnly, reportErrors, [&](uint32_t) {
        const TriggerCore::LegacyUpdate update(core_);
        if (mode == kFreeRun) {
            area_.modes.setTriggerState(kStateAsyncStop, true);
        } else {
            const uint32_t areaMode = mode == kGrabberControlled ? kModeGenerator
                                      : mode == kAsyncTrigger    ? kModeExternal
                                                                 : kModeSoftware;
            area_.modes.setAreaTriggerMode(areaMode, true);
            area_.generator.setQueueMode(0, true);
            area_.modes.setTriggerState(kStateActive, true);
        }
        setExsyncOn(core_.values().legacyExsyncOn, true);
        setFlashOn(core_.values().legacyFlashOn, true);
    });
}

void LegacyTrigger::setExsyncOn(uint32_t on, bool reportErrors) {
    core_.apply(core_.values().legacyExsyncOn, on, LegacyRule::LegacyOnly, reportErrors,
                [&](uint32_t) { mapSignal(Signal::Exposure); });
}

void LegacyTrigger::setExsyncPolarity(uint32_t high, bool reportErrors) {
    core_.apply(core_.values().legacyExsyncPolarity, high, LegacyRule::LegacyOnly, reportErrors,
                [&](uint32_t) { mapSignal(Signal::Exposure); });
}

void LegacyTrigger::setFlashOn(uint32_t on, bool reportErrors) {
    core_.apply(core_.values().legacyFlashOn, on, LegacyRule::LegacyOnly, reportErrors,
                [&](uint32_t) { mapSignal(Signal::Flash); });
}

void LegacyTrigger::setFlashPolarity(uint32_t high, bool reportErrors) {
    core_.apply(core_.values().legacyFlashPolarity, high, LegacyRule::LegacyOnly, reportErrors,
                [&](uint32_t) { mapSignal(Signal::Flash); });
}

void LegacyTrigger::setCcSelect(std::size_t output, uint32_t selection, bool reportErrors) {
    core_.apply(core_.values().legacyCcSelects.at(output), selection, LegacyRule::LegacyOnly, reportErrors,
                [&](uint32_t) {
                    const TriggerCore::LegacyUpdate update(core_);
                    area_.outputs.setCcSelect(output, ccSourceFor(selection), true);
                });
}

void LegacyTrigger::setExposure(uint32_t exposureUs, bool reportErrors) {
    core_.apply(core_.values().legacyExposureUs, exposureUs, LegacyRule::LegacyOnly, reportErrors,
                [&](uint32_t) {
                    const TriggerCore::LegacyUpdate update(core_);
                    for (std::size_t n = 0; n < kPulseFormGeneratorCount; ++n)
                        area_.pulseForms.setWidth(n, static_cast<double>(exposureUs), true);
                });
}

void LegacyTrigger::setExsyncDelay(double delayUs, bool reportErrors) {
    core_.apply(core_.values().legacyExsyncDelayUs, delayUs, LegacyRule::LegacyOnly, reportErrors,
                [&](double) {
                    const TriggerCore::LegacyUpdate update(core_);
                    area_.pulseForms.setDelay(kExposureGenerator, delayUs, true);
                });
}

void LegacyTrigger::setStrobePulseDelay(double delayUs, bool reportErrors) {
    core_.apply(core_.values().legacyStrobePulseDelayUs, delayUs, LegacyRule::LegacyOnly, reportErrors,
                [&](double) {
                    const TriggerCore::LegacyUpdate update(core_);
                    area_.pulseForms.setDelay(kFlashGenerator, delayUs, true);
                });
}

void LegacyTrigger::setPrescaler(double prescaler, bool reportErrors) {
    core_.apply(core_.values().legacyPrescalerUs, prescaler, LegacyRule::LegacyOnly, reportErrors,
                [](double) {});
}

void LegacyTrigger::setDigitalOutput(uint32_t bits, bool reportErrors) {
    core_.apply(
        core_.values().legacyDigitalOutput, bits, LegacyRule::LegacyOnly, reportErrors, [&](uint32_t) {
            area_.outputs.writeTriggerOutput(kDigitalOutputBit0, SelectCode{kSelectConstant, bits & 1u});
            area_.outputs.writeTriggerOutput(kDigitalOutputBit1,
                                             SelectCode{kSelectConstant, (bits >> 1) & 1u});
        });
}

} // namespace kestrel
