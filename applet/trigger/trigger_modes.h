// The trigger's (area trigger mode, trigger state) machine: the register steps of each transition
// and the access words the mode publishes.
#pragma once

#include <cstdint>

#include "trigger/input_stage.h"
#include "trigger/output_selects.h"
#include "trigger/pulse_form_generators.h"
#include "trigger/pulse_generator.h"
#include "trigger/trigger_core.h"

namespace kestrel {

class TriggerModes {
public:
    TriggerModes(TriggerCore& core, OutputSelects& outputs, InputStage& input, PulseGenerator& generator,
                 PulseFormGenerators& pulseForms)
        : core_(core), outputs_(outputs), input_(input), generator_(generator), pulseForms_(pulseForms) {}

    // FG_AREATRIGGERMODE: 1 generator, 2 external, 4 software.
    void setAreaTriggerMode(uint32_t mode, bool reportErrors);
    // FG_TRIGGERSTATE: 0 active, 1 async stop, 2 sync stop.
    void setTriggerState(uint32_t state, bool reportErrors);

    // Runs the register steps from one (mode, state) pair to another that differs in exactly one
    // of the two; pairs without a row (and no change at all) write nothing.
    void applyTriggerTransition(uint32_t oldMode, uint32_t oldState, uint32_t newMode, uint32_t newState);
    // Every row reopened by the trigger mode becomes writable again, but a software-only one is
    // read-only in external mode.
    void publishTriggerAccess(uint32_t mode) const;

private:
    void restartSequence(bool parkFirst);
    void selectExternal(uint32_t external) const;

    TriggerCore& core_;
    OutputSelects& outputs_;
    InputStage& input_;
    PulseGenerator& generator_;
    PulseFormGenerators& pulseForms_;
};

} // namespace kestrel
