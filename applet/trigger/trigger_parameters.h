// The parameters of the area trigger and its legacy interface: their setters and getters, and the
// event tables of the design.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "params/applet_context.h"
#include "params/parameter_handlers.h"
#include "trigger/event_tables.h"
#include "trigger/input_stage.h"
#include "trigger/legacy_trigger.h"
#include "trigger/output_selects.h"
#include "trigger/pulse_form_generators.h"
#include "trigger/pulse_generator.h"
#include "trigger/software_trigger.h"
#include "trigger/trigger_core.h"
#include "trigger/trigger_modes.h"

namespace kestrel {

class TriggerParameters {
public:
    explicit TriggerParameters(AppletContext& context);
    TriggerParameters(const TriggerParameters&) = delete;
    TriggerParameters& operator=(const TriggerParameters&) = delete;

    // Enters every setter and getter of this group in the applet's handler table.
    void bind(ParameterHandlerTable& table);

    // After creation: every output to its neutral select (camera control, then trigger outputs),
    // and later the stored selects back through their setters. Both raise the host's code.
    void parkOutputs() const;
    void restoreOutputSelects();

    // Builds the event name and mask tables from the design image's event records (null: none).
    void buildEventTables(void* designImage) { events_.build(designImage); }
    const EventTables& eventTables() const { return events_; }

private:
    template <std::size_t... N> void bindIndexed(ParameterHandlerTable& table, std::index_sequence<N...>);

    TriggerCore core_;
    OutputSelects outputs_;
    PulseFormGenerators pulseForms_;
    PulseGenerator generator_;
    InputStage input_;
    TriggerMonitoring monitoring_;
    SoftwareTrigger software_;
    TriggerModes modes_;
    LegacyTrigger legacy_;
    EventTables events_;
};

} // namespace kestrel
