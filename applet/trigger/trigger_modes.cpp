// Trigger mode and state setters and their transitions.
#include "trigger/trigger_modes.h"

#include "params/parameter_catalogue.h"
#include "params/parameter_properties.h"

namespace kestrel {

void TriggerModes::setAreaTriggerMode(uint32_t mode, bool reportErrors) {
    core_.apply(core_.values().areaTriggerMode, mode, LegacyRule::RefusedInLegacyMode, reportErrors,
                [&](uint32_t oldMode) {
                    const uint32_t state = core_.values().triggerState;
                    applyTriggerTransition(oldMode, state, mode, state);
                    publishTriggerAccess(mode);
                });
}

void TriggerModes::setTriggerState(uint32_t state, bool reportErrors) {
    core_.apply(core_.values().triggerState, state, LegacyRule::RefusedInLegacyMode, reportErrors,
                [&](uint32_t oldState) {
                    const uint32_t mode = core_.values().areaTriggerMode;
                    applyTriggerTransition(mode, oldState, mode, state);
                    publishTriggerAccess(mode);
                });
}

void TriggerModes::selectExternal(uint32_t external) const {
    core_.write(HostRegister::TriggerCam0TriggerModeSelectExternalSelect, external);
}

// Brings the whole chain up from a stop with the queue enabled: outputs parked, every counter
// and downscaler cleared, then the stored output selects back on.
void TriggerModes::restartSequence(bool parkFirst) {
    if (parkFirst)
        outputs_.parkOutputs();
    input_.clearDownscaler();
    generator_.startGenerator(1);
    generator_.clearSequencer();
    pulseForms_.clearPulseGenerators();
    outputs_.restoreOutputs();
}

void TriggerModes::applyTriggerTransition(uint32_t oldMode, uint32_t oldState, uint32_t newMode,
                                          uint32_t newState) {
    const bool modeChange = oldMode != newMode;
    const bool stateChange = oldState != newState;
    if (modeChange == stateChange)
        return; // nothing changed (or a call outside the contract)

    switch (oldMode) {
    case kModeGenerator:
        if (oldState == kStateSyncStop && newState == kStateActive) {
            pulseForms_.clearPulseGenerators();
            generator_.startGenerator(0);
        } else if (oldState == kStateSyncStop && newState == kStateAsyncStop) {
            outputs_.parkOutputs();
        } else if (oldState == kStateAsyncStop && newState == kStateActive) {
            pulseForms_.clearPulseGenerators();
            outputs_.restoreOutputs();
            generator_.startGenerator(0);
        } else if (oldState == kStateActive && modeChange) {
            restartSequence(true);
            if (newMode == kModeExternal)
                selectExternal(1);
        } else if (oldState == kStateActive && newState == kStateAsyncStop) {
            outputs_.parkOutputs();
            generator_.holdQueue();
        } else if (oldState == kStateActive && newState == kStateSyncStop) {
            generator_.holdQueue();
        }
        break;

    case kModeExternal:
    case kModeSoftware: {
        const bool external = oldMode == kModeExternal;
        if (oldState == kStateActive) {
            if (modeChange && newMode == kModeGenerator) {
                if (external)
                    selectExternal(0);
                outputs_.parkOutputs();
                pulseForms_.clearPulseGenerators();
                outputs_.restoreOutputs();
                generator_.startGenerator(0);
            } else if (modeChange) {
                // Between external and software mode while running.
                if (external)
                    selectExternal(0);
                restartSequence(true);
                if (newMode == kModeExternal)
                    selectExternal(1);
            } else if (newState == kStateAsyncStop) {
                outputs_.parkOutputs();
                if (external)
                    selectExternal(0);
            } else if (external) {
                // Sync stop in external mode only deselects the input; software mode has no row.
                selectExternal(0);
            }
        } else if (modeChange) {
            // Stopped: only the change to generator mode holds the queue.
            if (newMode == kModeGenerator)
                generator_.holdQueue();
        } else if (newState == kStateActive) {
            restartSequence(oldState == kStateSyncStop);
            if (external)
                selectExternal(1);
        } else if (oldState == kStateSyncStop && newState == kStateAsyncStop) {
            outputs_.parkOutputs();
        }
        break;
    }
    default:
        break;
    }
}

void TriggerModes::publishTriggerAccess(uint32_t mode) const {
    for (const ParameterDefinition& row : ParameterCatalogue::all()) {
        if (!row.switchedBy(access_switch::kReopenedByTriggerMode))
            continue;
        const bool readOnly = mode == kModeExternal && row.switchedBy(access_switch::kSoftwareOnly);
        core_.publishAccess(row.id, readOnly ? kAccessReadOnly : kAccessReadWriteBit2);
    }
}

} // namespace kestrel
