// The parameters of the area trigger and its legacy interface: their setters and getters, and the
// event tables of the design.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

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
    template <class T> static void put(void* out, T value) { std::memcpy(out, &value, sizeof value); }
    // A getter answering from a stored field of the value block.
    template <auto Field> void getStored(void* out) { put(out, context_.values.*Field); }

    // Setters of the indexed parameters, one instance per index.
    template <std::size_t N> void setCcSelect(uint32_t v, bool r) { outputs_.setCcSelect(N, v, r); }
    template <std::size_t N> void setOutSelect(uint32_t v, bool r) { outputs_.setTriggerOutSelect(N, v, r); }
    template <std::size_t N> void setPfgDownscale(uint32_t v, bool r) { pulseForms_.setDownscale(N, v, r); }
    template <std::size_t N> void setPfgPhase(uint32_t v, bool r) { pulseForms_.setPhase(N, v, r); }
    template <std::size_t N> void setPfgDelay(double v, bool r) { pulseForms_.setDelay(N, v, r); }
    template <std::size_t N> void setPfgWidth(double v, bool r) { pulseForms_.setWidth(N, v, r); }
    template <std::size_t N> void setLegacyCcSelect(uint32_t v, bool r) { legacy_.setCcSelect(N, v, r); }
    template <std::size_t N> void getCcSelect(void* out) { put(out, context_.values.triggerCcSelects[N]); }
    template <std::size_t N> void getOutSelect(void* out) { put(out, context_.values.triggerOutSelects[N]); }
    template <std::size_t N> void getPfgDownscale(void* out) {
        put(out, context_.values.pulseFormGenerators[N].downscale);
    }
    template <std::size_t N> void getPfgPhase(void* out) {
        put(out, context_.values.pulseFormGenerators[N].downscalePhase);
    }
    template <std::size_t N> void getPfgDelay(void* out) { put(out, pulseForms_.delayUs(N)); }
    template <std::size_t N> void getPfgWidth(void* out) { put(out, pulseForms_.widthUs(N)); }
    template <std::size_t N> void getLegacyCcSelect(void* out) {
        put(out, context_.values.legacyCcSelects[N]);
    }

    // Plain forwarding setters (the handler table binds members of this class).
    void setAreaTriggerMode(uint32_t v, bool r) { modes_.setAreaTriggerMode(v, r); }
    void setTriggerState(uint32_t v, bool r) { modes_.setTriggerState(v, r); }
    void setFramesPerSecond(double v, bool r) { generator_.setFramesPerSecond(v, r); }
    void clearExceededPeriodLimits(int32_t v, bool r) { monitoring_.clearExceededPeriodLimits(v, r); }
    void setDebounce(double v, bool r) { input_.setDebounce(v, r); }
    void setInputSource(uint32_t v, bool r) { input_.setSource(v, r); }
    void setInputPolarity(int32_t v, bool r) { input_.setPolarity(v, r); }
    void setInputDownscale(uint32_t v, bool r) { input_.setDownscale(v, r); }
    void setInputPhase(uint32_t v, bool r) { input_.setPhase(v, r); }
    void setBypassSource(int32_t v, bool r) { input_.setBypassSource(v, r); }
    void sendSoftwareTrigger(uint32_t v, bool r) { software_.send(v, r); }
    void clearInputPulseCount(int32_t v, bool r) { input_.clearPulseCount(v, r); }
    void clearMinMaxFrequency(uint32_t v, bool r) { input_.clearMinMaxFrequency(v, r); }
    void setMultiplyPulses(uint32_t v, bool r) { generator_.setMultiplyPulses(v, r); }
    void setQueueMode(int32_t v, bool r) { generator_.setQueueMode(v, r); }
    void setQueueOnThreshold(uint32_t v, bool r) { generator_.setQueueOnThreshold(v, r); }
    void setQueueOffThreshold(uint32_t v, bool r) { generator_.setQueueOffThreshold(v, r); }
    void setOutputStatsSource(int32_t v, bool r) { monitoring_.setOutputStatsSource(v, r); }
    void clearOutputPulseCount(int32_t v, bool r) { monitoring_.clearOutputPulseCount(v, r); }
    void clearMissingFrame(int32_t v, bool r) { monitoring_.clearMissingCameraFrameResponse(v, r); }
    void setOutputEventSelect(int32_t v, bool r) { monitoring_.setOutputEventSelect(v, r); }
    void setLegacyMode(int32_t v, bool r) { legacy_.setLegacyMode(v, r); }
    void setLegacyTriggerMode(uint32_t v, bool r) { legacy_.setTriggerMode(v, r); }
    void setExsyncOn(uint32_t v, bool r) { legacy_.setExsyncOn(v, r); }
    void setFlashOn(uint32_t v, bool r) { legacy_.setFlashOn(v, r); }
    void setExposure(uint32_t v, bool r) { legacy_.setExposure(v, r); }
    void setExsyncDelay(double v, bool r) { legacy_.setExsyncDelay(v, r); }
    void setExsyncPolarity(uint32_t v, bool r) { legacy_.setExsyncPolarity(v, r); }
    void setStrobePulseDelay(double v, bool r) { legacy_.setStrobePulseDelay(v, r); }
    void setFlashPolarity(uint32_t v, bool r) { legacy_.setFlashPolarity(v, r); }
    void setPrescaler(double v, bool r) { legacy_.setPrescaler(v, r); }
    void setDigitalOutput(uint32_t v, bool r) { legacy_.setDigitalOutput(v, r); }

    // Getters of computed and read-back values.
    void getExceededPeriodLimits(void* out) { put(out, monitoring_.exceededPeriodLimits()); }
    void getDebounce(void* out) { put(out, input_.debounceUs()); }
    void getInputLevels(void* out) { put(out, input_.inputLevels()); }
    void getSoftwareTriggerBusy(void* out) { put(out, software_.busy()); }
    void getSoftwareQueueFillLevel(void* out) { put(out, software_.softwareQueueFillLevel()); }
    void getInputPulseCount(void* out) { put(out, input_.pulseCount()); }
    void getInputFrequency(void* out) { put(out, input_.frequencyHz()); }
    void getInputMinFrequency(void* out) { put(out, input_.minFrequencyHz()); }
    void getInputMaxFrequency(void* out) { put(out, input_.maxFrequencyHz()); }
    void getQueueFillLevel(void* out) { put(out, software_.queueFillLevel()); }
    void getOutputPulseCount(void* out) { put(out, monitoring_.outputPulseCount()); }
    void getMissingFrame(void* out) { put(out, monitoring_.missingCameraFrameResponse()); }

    template <std::size_t... N> void bindIndexed(ParameterHandlerTable& table, std::index_sequence<N...>);

    AppletContext& context_;
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
