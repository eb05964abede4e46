// The trigger emulation's event loop and the wiring between its stages.
#include "trigger/trigger_engine.h"

#include "trigger/trigger_time.h"

#include <algorithm>

namespace kestrel::boardhw::trigger {
namespace {

constexpr std::array<std::string_view, 8> kRisingEvents = {
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin0",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin1",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin2",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin3",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin4",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin5",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin6",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_Pin7",
};
constexpr std::array<std::string_view, 8> kFallingEvents = {
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin0",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin1",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin2",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin3",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin4",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin5",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin6",
    "Device1_Process1_Trigger_TriggerInput_InputEvents_InputEvents_NotPin7",
};
constexpr std::string_view kOverrideEvent =
    "Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0Override";
constexpr std::string_view kMissingFrameEvent =
    "Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0MissingFrame";
constexpr std::string_view kHysteresisOnEvent =
    "Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0HysteresisOn";
constexpr std::string_view kHysteresisOffEvent =
    "Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0HysteresisOff";
constexpr std::string_view kOutputEvent =
    "Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0OutputEvent";
constexpr std::string_view kQueueFullEvent =
    "Device1_Process1_Trigger_Monitoring_MonitoringEvents_Cam0QueueFull";

// Select codes of an output line.
constexpr uint32_t kSelectBypass = 4;
constexpr uint32_t kLastPulseForm = 3;

// Order among changes due at the same time: pulse ends and starts first (a pulse-form edge due
// now was scheduled by an earlier pulse), then inputs, then the generator, whose pulses may
// schedule further edges for the same instant.
enum class Source { PulseForm, Pin, Generator };

} // namespace

GeneratorSettings TriggerEngine::generatorSettings() const {
    GeneratorSettings g;
    g.periodNs = nsOfTicks(settings_.minimumPeriodTicks + kGeneratorOverheadTicks);
    g.freeRunning = !settings_.queueSource;
    g.held = settings_.holdQueue || pulsesBeforeLimit_ == uint64_t{0};
    g.queueCapacity = settings_.queueEnabled ? settings_.queueFullValue : 0;
    // Both sequencer registers carry the multiplication; the applet keeps the selected pulse
    // within the downscale, and the shorter of the two wins should they ever disagree.
    const uint32_t downscale = std::max<uint32_t>(settings_.sequenceDownscale, 1);
    g.sequenceLength = std::clamp<uint32_t>(settings_.sequenceSelectedPulse, 1, downscale);
    return g;
}

uint64_t TriggerEngine::debounceNs() const {
    return settings_.debounceUnits * kDebounceUnitNs;
}

bool TriggerEngine::lineLevel(const LineSelection& line) const {
    bool source = false;
    if (line.select <= kLastPulseForm)
        source = pulseForms_[line.select].level();
    else if (line.select == kSelectBypass)
        source = pins_[settings_.bypassSelect].level();
    return source != line.invert;
}

bool TriggerEngine::drivesCamera() const {
    const uint32_t select = settings_.cameraControl[0].select;
    if (select <= kLastPulseForm)
        return settings_.pulseFormEnabled;
    return select == kSelectBypass;
}

uint32_t TriggerEngine::cameraControlLevels() const {
    uint32_t levels = 0;
    for (std::size_t n = 0; n < settings_.cameraControl.size(); ++n)
        levels |= lineLevel(settings_.cameraControl[n]) ? 1u << n : 0u;
    return levels;
}

uint32_t TriggerEngine::triggerOutputLevels() const {
    uint32_t levels = 0;
    for (std::size_t n = 0; n < settings_.triggerOutput.size(); ++n)
        levels |= lineLevel(settings_.triggerOutput[n]) ? 1u << n : 0u;
    return levels;
}

TriggerStatus TriggerEngine::status() const {
    TriggerStatus s;
    for (std::size_t pin = 0; pin < pins_.size(); ++pin)
        s.inputLevels |= pins_[pin].level() ? 1u << pin : 0u;
    s.inputPulses = inputStatistics_.pulses();
    s.inputTotalPulses = inputStatistics_.totalPulses();
    s.inputPeriodTicks = inputStatistics_.periodTicks();
    s.inputMinTicks = inputStatistics_.minTicks();
    s.inputMaxTicks = inputStatistics_.maxTicks();
    s.maximumReached = generator_.ready(now_);
    s.queueValue = generator_.queueLevel();
    s.outputPulses = outputPulses_[settings_.outputStatsSelect];
    s.outputTotalPulses = outputTotalPulses_[settings_.outputStatsSelect];
    s.monitoring = monitoring_;
    s.pulsesBeforeLimit = pulsesBeforeLimit_;
    return s;
}

std::optional<uint64_t> TriggerEngine::nextActivityNs() const {
    std::optional<uint64_t> next;
    auto consider = [&](std::optional<uint64_t> t) {
        if (t && (!next || *t < *next))
            next = t;
    };
    for (const PulseFormGenerator& p : pulseForms_)
        consider(p.nextEdgeNs());
    for (const InputPin& pin : pins_)
        consider(pin.nextEventNs(debounceNs()));
    consider(generator_.nextEventNs(now_, generatorSettings()));
    return next;
}

void TriggerEngine::advanceTo(uint64_t nowNs, StepOutput& out) {
    if (nowNs < now_)
        return;
    const uint64_t debounce = debounceNs();
    for (;;) {
        std::optional<std::pair<uint64_t, Source>> due;
        std::size_t index = 0;
        auto consider = [&](std::optional<uint64_t> t, Source source, std::size_t i) {
            if (!t || *t > nowNs)
                return;
            const std::pair<uint64_t, Source> candidate{std::max(*t, now_), source};
            if (!due || candidate < *due) {
                due = candidate;
                index = i;
            }
        };
        for (std::size_t n = 0; n < pulseForms_.size(); ++n)
            consider(pulseForms_[n].nextEdgeNs(), Source::PulseForm, n);
        for (std::size_t pin = 0; pin < pins_.size(); ++pin)
            consider(pins_[pin].nextEventNs(debounce), Source::Pin, pin);
        // Asked afresh each round: a pulse limit running out holds the generator mid-span.
        consider(generator_.nextEventNs(now_, generatorSettings()), Source::Generator, 0);
        if (!due)
            break;
        now_ = due->first;
        switch (due->second) {
        case Source::PulseForm:
            stepPulseForm(index, out);
            break;
        case Source::Pin:
            stepPin(index, out);
            break;
        case Source::Generator:
            stepGenerator(out);
            break;
        }
    }
    now_ = nowNs;
}

void TriggerEngine::stepPulseForm(std::size_t n, StepOutput& out) {
    const bool before = cameraLine();
    const PulseFormGenerator::Edge edge = pulseForms_[n].step(now_);
    if (edge == PulseFormGenerator::Edge::Rising) {
        ++outputPulses_[n];
        outputTotalPulses_[n] = (outputTotalPulses_[n] + 1) & ((uint64_t{1} << 40) - 1);
        if (n == settings_.outputEventSelect)
            raise(kOutputEvent, out);
    }
    cameraLineChanged(before, out);
}

void TriggerEngine::stepPin(std::size_t pin, StepOutput& out) {
    const bool before = cameraLine();
    const std::optional<bool> level = pins_[pin].step(now_, debounceNs());
    if (!level)
        return;
    raise(*level ? kRisingEvents[pin] : kFallingEvents[pin], out);
    if (pin == settings_.inputSelect && *level != settings_.inputInvert)
        inputPulse(out);
    cameraLineChanged(before, out);
}

void TriggerEngine::inputPulse(StepOutput& out) {
    inputStatistics_.pulse(now_);
    // The downscaler sits in the external path; it counts only the pulses that may trigger.
    if (!settings_.selectExternal || !settings_.queueSource)
        return;
    if (inputDownscaler_.pass(settings_.inputDownscale, settings_.inputSelectedPulse))
        request(out);
}

void TriggerEngine::softwarePulse(StepOutput& out) {
    if (settings_.queueSource && !settings_.selectExternal)
        request(out);
}

void TriggerEngine::request(StepOutput& out) {
    switch (generator_.request(now_, generatorSettings())) {
    case RequestOutcome::Started:
    case RequestOutcome::Ignored:
        break;
    case RequestOutcome::Queued:
        queueChanged(out);
        break;
    case RequestOutcome::Lost:
        // A pulse the generator could neither emit nor keep: the input ran faster than the
        // minimum period allows.
        monitoring_ |= kMonitorPeriodLimits;
        raise(kOverrideEvent, out);
        break;
    }
}

void TriggerEngine::stepGenerator(StepOutput& out) {
    const uint32_t queued = generator_.queueLevel();
    const bool emitted = generator_.step(now_, generatorSettings());
    if (generator_.queueLevel() != queued)
        queueChanged(out);
    if (!emitted)
        return;
    if (pulsesBeforeLimit_)
        --*pulsesBeforeLimit_;
    if (!settings_.pulseFormEnabled)
        return;
    for (std::size_t n = 0; n < pulseForms_.size(); ++n)
        pulseForms_[n].pulse(now_, settings_.pulseForm[n]);
}

void TriggerEngine::holdQueue(StepOutput& out) {
    const uint32_t queued = generator_.queueLevel();
    generator_.hold();
    if (queued != 0)
        queueChanged(out);
}

void TriggerEngine::queueChanged(StepOutput& out) {
    const uint32_t level = generator_.queueLevel();
    switch (hysteresis_.update(level, settings_.hysteresisOn, settings_.hysteresisOff)) {
    case QueueHysteresis::Change::On:
        raise(kHysteresisOnEvent, out);
        break;
    case QueueHysteresis::Change::Off:
        raise(kHysteresisOffEvent, out);
        break;
    case QueueHysteresis::Change::None:
        break;
    }
    const uint32_t capacity = generatorSettings().queueCapacity;
    const bool full = capacity > 0 && level >= capacity;
    if (full && (monitoring_ & kMonitorQueueFull) == 0)
        raise(kQueueFullEvent, out);
    monitoring_ = full ? monitoring_ | kMonitorQueueFull : monitoring_ & ~kMonitorQueueFull;
}

void TriggerEngine::cameraLineChanged(bool before, StepOutput& out) {
    // Only edges caused by pulses and inputs expose; re-selecting an output changes its level
    // without a pulse and never counts as a trigger.
    if (before || !cameraLine() || !drivesCamera())
        return;
    if (cameraFramePeriodNs_ > 0 && lastAnsweredNs_ && now_ < *lastAnsweredNs_ + cameraFramePeriodNs_) {
        monitoring_ |= kMonitorMissingFrame;
        raise(kMissingFrameEvent, out);
        return;
    }
    lastAnsweredNs_ = now_;
    out.exposures.push_back(now_);
}

void TriggerEngine::restart() {
    now_ = 0;
    for (InputPin& pin : pins_)
        pin.restartTime();
    inputStatistics_.restartTime();
    inputDownscaler_.clear();
    generator_.restart();
    hysteresis_.reset();
    monitoring_ &= ~kMonitorQueueFull;
    for (PulseFormGenerator& p : pulseForms_)
        p.restart();
    lastAnsweredNs_.reset();
}

void TriggerEngine::setPulseLimit(uint64_t pulses) {
    if (pulses == 0)
        pulsesBeforeLimit_.reset();
    else
        pulsesBeforeLimit_ = pulses;
}

void TriggerEngine::injectInput(uint32_t pin, bool level, uint64_t atNs) {
    pins_.at(pin).schedule(level, std::max(atNs, now_));
}

} // namespace kestrel::boardhw::trigger
