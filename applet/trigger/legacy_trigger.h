// The older trigger interface: a trigger mode, an exposure ("Exsync") and a flash signal with
// their delays and polarities, four camera-control selections and a two-bit digital output, all
// translated into the area trigger's own handlers; and the switch between the two interfaces.
#pragma once

#include <cstdint>

#include "trigger/input_stage.h"
#include "trigger/output_selects.h"
#include "trigger/pulse_form_generators.h"
#include "trigger/pulse_generator.h"
#include "trigger/software_trigger.h"
#include "trigger/trigger_core.h"
#include "trigger/trigger_modes.h"

namespace kestrel {

class ParameterHandlerTable;

// Every part of the area trigger the legacy interface drives.
struct AreaTrigger {
    TriggerModes& modes;
    PulseGenerator& generator;
    InputStage& input;
    TriggerMonitoring& monitoring;
    PulseFormGenerators& pulseForms;
    OutputSelects& outputs;
};

class LegacyTrigger {
public:
    LegacyTrigger(TriggerCore& core, AreaTrigger area) : core_(core), area_(area) {}

    // The table the switch resets the area trigger through; it must outlive this object.
    void resetThrough(const ParameterHandlerTable& handlers) { handlers_ = &handlers; }

    // FG_TRIGGER_LEGACY_MODE. A change sets every saved area trigger setting to its row's default
    // through its setter, stores the legacy rows' defaults and swaps the access words of the two
    // interfaces; setting the current value does nothing at all.
    void setLegacyMode(int32_t on, bool reportErrors);

    // The legacy parameters; each is refused (kErrInvalidArgument) while legacy mode is off.
    void setTriggerMode(uint32_t mode, bool reportErrors);
    void setExsyncOn(uint32_t on, bool reportErrors);
    void setExsyncPolarity(uint32_t high, bool reportErrors);
    void setFlashOn(uint32_t on, bool reportErrors);
    void setFlashPolarity(uint32_t high, bool reportErrors);
    void setCcSelect(std::size_t output, uint32_t selection, bool reportErrors);
    // The exposure in us: the width of all four pulse-form generators.
    void setExposure(uint32_t exposureUs, bool reportErrors);
    void setExsyncDelay(double delayUs, bool reportErrors);
    void setStrobePulseDelay(double delayUs, bool reportErrors);
    void setPrescaler(double prescaler, bool reportErrors);
    // Bit 0 drives trigger output 3, bit 1 trigger output 7.
    void setDigitalOutput(uint32_t bits, bool reportErrors);

private:
    enum class Signal { Exposure, Flash };
    // Routes one signal to its trigger output and to every CC output whose legacy selection
    // carries it, through the area trigger's select handlers.
    void mapSignal(Signal signal);
    // The CC select value for a legacy selection, from the current state of both signals.
    uint32_t ccSourceFor(uint32_t selection) const;
    uint32_t signalSource(Signal signal, bool inverted) const;
    void resetAreaTrigger();
    void storeLegacyDefaults();
    void publishLegacyAccess(bool on) const;

    TriggerCore& core_;
    AreaTrigger area_;
    const ParameterHandlerTable* handlers_ = nullptr;
};

} // namespace kestrel
