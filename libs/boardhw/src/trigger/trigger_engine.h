// The trigger's emulation on board time: inputs, generator, pulse-form generators and output
// lines stepped change by change, independent of where the registers live.
#pragma once

#include "trigger/input_stage.h"
#include "trigger/pulse_form_generator.h"
#include "trigger/pulse_generator.h"
#include "trigger/trigger_registers.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kestrel::boardhw::trigger {

// Bits of the monitoring status register.
inline constexpr uint32_t kMonitorPeriodLimits = 1u << 0;
inline constexpr uint32_t kMonitorQueueFull = 1u << 1;
inline constexpr uint32_t kMonitorMissingFrame = 1u << 2;

// What a step produced: exposure edges of camera-control output 0 the camera answered, and the
// design events raised, both in time order.
struct StepOutput {
    struct Event {
        std::string_view designName; // static text
        uint64_t atNs = 0;
    };
    std::vector<uint64_t> exposures;
    std::vector<Event> events;
};

// The values of the status registers.
struct TriggerStatus {
    uint32_t inputLevels = 0;
    uint32_t inputPulses = 0;
    uint64_t inputTotalPulses = 0;
    uint64_t inputPeriodTicks = 0;
    uint64_t inputMinTicks = 0;
    uint64_t inputMaxTicks = 0;
    bool maximumReached = true;
    uint32_t queueValue = 0;
    uint32_t outputPulses = 0;
    uint64_t outputTotalPulses = 0;
    uint32_t monitoring = 0;
    std::optional<uint64_t> pulsesBeforeLimit; // while a pulse limit is set
};

class TriggerEngine {
public:
    // Settings in force from nowNs() on.
    void configure(const TriggerSettings& settings) { settings_ = settings; }
    const TriggerSettings& settings() const { return settings_; }

    // Runs every change due up to nowNs (an earlier time is ignored) and stays at nowNs.
    void advanceTo(uint64_t nowNs, StepOutput& out);
    uint64_t nowNs() const { return now_; }
    std::optional<uint64_t> nextActivityNs() const;

    // See TriggerSystem::restart.
    void restart();
    // One software pulse at nowNs(): it enters the generator when the generator takes its
    // pulses from software (queue source, external input not selected).
    void softwarePulse(StepOutput& out);
    // A level on input pin (0 .. 7) from atNs on; earlier times count as nowNs().
    void injectInput(uint32_t pin, bool level, uint64_t atNs);
    void setCameraFramePeriodNs(uint64_t periodNs) { cameraFramePeriodNs_ = periodNs; }

    // The one-shot controls of the design.
    void holdQueue(StepOutput& out);
    void clearSequencer() { generator_.clearSequence(); }
    void clearPulseFormDownscale(std::size_t n) { pulseForms_.at(n).clearDownscale(); }
    void clearInputDownscaler() { inputDownscaler_.clear(); }
    void clearInputPulses() { inputStatistics_.clearPulses(); }
    void clearInputMinMax() { inputStatistics_.clearMinMax(); }
    void clearOutputPulses() { outputPulses_.fill(0); }
    void clearPeriodLimits() { monitoring_ &= ~kMonitorPeriodLimits; }
    void clearMissingFrame() { monitoring_ &= ~kMonitorMissingFrame; }
    // The generator emits `pulses` more pulses and then stops until the limit is set again;
    // 0 lifts the limit.
    void setPulseLimit(uint64_t pulses);
    // The missing-frame check forgets the last answered exposure.
    void resetMissingFrameCheck() { lastAnsweredNs_.reset(); }

    bool drivesCamera() const;
    uint32_t cameraControlLevels() const;
    uint32_t triggerOutputLevels() const;
    TriggerStatus status() const;

private:
    GeneratorSettings generatorSettings() const;
    uint64_t debounceNs() const;
    bool lineLevel(const LineSelection& line) const;
    bool cameraLine() const { return lineLevel(settings_.cameraControl[0]); }

    void stepPulseForm(std::size_t n, StepOutput& out);
    void stepPin(std::size_t pin, StepOutput& out);
    void stepGenerator(StepOutput& out);
    void inputPulse(StepOutput& out);
    void request(StepOutput& out);
    void queueChanged(StepOutput& out);
    void cameraLineChanged(bool before, StepOutput& out);
    void raise(std::string_view name, StepOutput& out) const { out.events.push_back({name, now_}); }

    TriggerSettings settings_;
    uint64_t now_ = 0;
    std::array<InputPin, 8> pins_{};
    InputStatistics inputStatistics_;
    Downscaler inputDownscaler_;
    PulseGenerator generator_;
    QueueHysteresis hysteresis_;
    std::array<PulseFormGenerator, 4> pulseForms_{};
    std::array<uint32_t, 4> outputPulses_{};
    std::array<uint64_t, 4> outputTotalPulses_{};
    uint32_t monitoring_ = 0;
    uint64_t cameraFramePeriodNs_ = 0;
    std::optional<uint64_t> lastAnsweredNs_;
    std::optional<uint64_t> pulsesBeforeLimit_;
};

} // namespace kestrel::boardhw::trigger
