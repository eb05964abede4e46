// Legacy trigger interface and the switch between the two interfaces.
#include "trigger/legacy_trigger.h"

#include "params/initial_values.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_handlers.h"
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
    // Every setting of the area trigger a file keeps, in catalogue order, through its setter.
    for (const ParameterDefinition& row : ParameterCatalogue::all())
        if (row.switchedBy(access_switch::kWhileLegacyOff) && row.saved())
            setToInitialValue(*handlers_, row);
}

void LegacyTrigger::storeLegacyDefaults() {
    for (const ParameterDefinition& row : ParameterCatalogue::all())
        if (row.switchedBy(access_switch::kWhileLegacyOn) && !row.switchedBy(access_switch::kWhileLegacyOff))
            storeDefault(row, core_.values());
}

void LegacyTrigger::publishLegacyAccess(bool on) const {
    const AccessSwitches writableNow = on ? access_switch::kWhileLegacyOn : access_switch::kWhileLegacyOff;
    for (const ParameterDefinition& row : ParameterCatalogue::all())
        if (row.switchedBy(access_switch::kWhileLegacyOn | access_switch::kWhileLegacyOff))
            core_.publishAccess(row.id, row.switchedBy(writableNow) ? kAccessReadWriteBit2 : kAccessReadOnly);
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
