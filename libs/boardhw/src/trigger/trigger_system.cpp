// The trigger emulation bound to a board: settings read from its registers, status forced back.
#include "trigger/trigger_system.h"

#include "board.h"
#include "boardhw.h"
#include "trigger/trigger_engine.h"
#include "trigger/trigger_registers.h"

#include <algorithm>
#include <bitset>

namespace kestrel::boardhw {

using trigger::Reg;

namespace {

// A "Mode" register written with this value performs its one-shot action.
constexpr uint64_t kOneShot = 2;

using RegSet = std::bitset<static_cast<std::size_t>(Reg::Count)>;

// The registers the engine's settings are read from.
RegSet settingsRegisters() {
    RegSet regs;
    trigger::readTriggerSettings([&](Reg reg) {
        regs.set(static_cast<std::size_t>(reg));
        return uint64_t{0};
    });
    return regs;
}

} // namespace

struct TriggerSystem::State {
    trigger::TriggerRegisterIds ids;
    trigger::TriggerEngine engine;
    uint64_t minMaxClearValue = 0;
    // Exposures of steps run by register writes, handed out by the next advanceTo.
    std::vector<uint64_t> pendingExposures;
    // Status last forced into the registers; none yet after a design load.
    std::optional<trigger::TriggerStatus> published;
    // Whether the engine has the settings the registers hold. Settings change only by writes,
    // which the board reports to registerWritten (forced values stand in for status), so they
    // are read again only after a write to one of them, not at every step: a read of all of them
    // was half the cost of a software pulse.
    bool settingsCurrent = false;
};

TriggerSystem::TriggerSystem(Board& board) : board_(board), state_(std::make_unique<State>()) {}

TriggerSystem::~TriggerSystem() = default;

uint64_t TriggerSystem::readLocked(Reg reg) const {
    uint64_t value = 0;
    const uint32_t id = state_->ids.id(reg);
    if (id != 0 && board_.read(id, value) != BOARD_OK)
        value = 0;
    return value;
}

void TriggerSystem::forceLocked(Reg reg, uint64_t value) {
    if (const uint32_t id = state_->ids.id(reg); id != 0)
        board_.force(id, value);
}

void TriggerSystem::refreshSettingsLocked() const {
    if (state_->settingsCurrent)
        return;
    state_->engine.configure(trigger::readTriggerSettings([this](Reg reg) { return readLocked(reg); }));
    state_->settingsCurrent = true;
}

void TriggerSystem::publishLocked(trigger::StepOutput& out) {
    // Only values the emulation changed are forced, so a value a test forced into a status
    // register stays until the emulation has something else to say.
    const trigger::TriggerStatus s = state_->engine.status();
    std::optional<trigger::TriggerStatus>& last = state_->published;
    auto publish = [&](Reg reg, uint64_t value, uint64_t previous) {
        if (!last || value != previous)
            forceLocked(reg, value);
    };
    const trigger::TriggerStatus p = last.value_or(trigger::TriggerStatus{});
    publish(Reg::InputStatus, s.inputLevels, p.inputLevels);
    publish(Reg::InputPulses, s.inputPulses, p.inputPulses);
    publish(Reg::InputTotalPulses, s.inputTotalPulses, p.inputTotalPulses);
    publish(Reg::InputPeriod, s.inputPeriodTicks, p.inputPeriodTicks);
    publish(Reg::InputMin, s.inputMinTicks, p.inputMinTicks);
    publish(Reg::InputMax, s.inputMaxTicks, p.inputMaxTicks);
    publish(Reg::MaximumReached, s.maximumReached ? 1 : 0, p.maximumReached ? 1 : 0);
    publish(Reg::QueueValue, s.queueValue, p.queueValue);
    publish(Reg::OutputPulses, s.outputPulses, p.outputPulses);
    publish(Reg::OutputTotalPulses, s.outputTotalPulses, p.outputTotalPulses);
    publish(Reg::MonitoringStatus, s.monitoring, p.monitoring);
    // The limit counts down as the generator emits; without a limit the register keeps what was
    // written.
    if (s.pulsesBeforeLimit && s.pulsesBeforeLimit != p.pulsesBeforeLimit)
        forceLocked(Reg::PulseLimit, *s.pulsesBeforeLimit);
    last = s;
    for (const trigger::StepOutput::Event& event : out.events)
        raise(event.designName, event.atNs);
    out.events.clear();
}

void TriggerSystem::changedLocked() {
    ++generation_;
    changed_.notify_all();
}

void TriggerSystem::designLoaded() {
    std::lock_guard lock(mutex_);
    state_ = std::make_unique<State>();
    state_->ids =
        trigger::TriggerRegisterIds([this](const std::string& name) { return board_.registerId(name); });
    state_->minMaxClearValue = readLocked(Reg::InputMinMaxClear);
    refreshSettingsLocked();
    trigger::StepOutput out;
    publishLocked(out);
    changedLocked();
}

void TriggerSystem::registerWritten(uint32_t id, uint64_t value) {
    std::lock_guard lock(mutex_);
    const Reg reg = state_->ids.regOf(id);
    if (reg == Reg::Count)
        return;
    static const RegSet kSettings = settingsRegisters();
    if (kSettings.test(static_cast<std::size_t>(reg)))
        state_->settingsCurrent = false;
    trigger::TriggerEngine& engine = state_->engine;
    refreshSettingsLocked();
    trigger::StepOutput out;
    const bool oneShot = value == kOneShot;
    switch (reg) {
    case Reg::SoftwareTrigger:
        if (oneShot)
            engine.softwarePulse(out);
        break;
    case Reg::ClearQueuePulse:
        if (value == 1)
            engine.holdQueue(out);
        break;
    case Reg::SequencerClear:
        if (oneShot)
            engine.clearSequencer();
        break;
    case Reg::InputDownscaleClear:
        if (oneShot)
            engine.clearInputDownscaler();
        break;
    case Reg::InputPulsesClear:
        if (oneShot)
            engine.clearInputPulses();
        break;
    case Reg::InputMinMaxClear: {
        // A toggle rather than a one-shot: every change of the value restarts min and max.
        const uint64_t stored = readLocked(Reg::InputMinMaxClear);
        if (stored != state_->minMaxClearValue)
            engine.clearInputMinMax();
        state_->minMaxClearValue = stored;
        break;
    }
    case Reg::OutputPulsesClear:
        if (oneShot)
            engine.clearOutputPulses();
        break;
    case Reg::ClearOverride:
        if (oneShot)
            engine.clearPeriodLimits();
        break;
    case Reg::ClearMissingFrame:
        if (oneShot)
            engine.clearMissingFrame();
        break;
    case Reg::PulseLimit:
        engine.setPulseLimit(readLocked(Reg::PulseLimit));
        break;
    case Reg::ResetMissing:
        if (oneShot)
            engine.resetMissingFrameCheck();
        break;
    default:
        for (std::size_t n = 0; n < 4; ++n)
            if (reg == trigger::pulseFormRegister(Reg::PulseForm0Clear, n) && oneShot)
                engine.clearPulseFormDownscale(n);
        break;
    }
    // What the write started at the current time (a software pulse leaving the generator) happens
    // now, so the status the applet reads next already shows it.
    runToNowLocked(out);
    changedLocked();
}

void TriggerSystem::runToNowLocked(trigger::StepOutput& out) {
    trigger::TriggerEngine& engine = state_->engine;
    engine.advanceTo(engine.nowNs(), out);
    state_->pendingExposures.insert(state_->pendingExposures.end(), out.exposures.begin(),
                                    out.exposures.end());
    out.exposures.clear();
    publishLocked(out);
}

void TriggerSystem::setEventSink(TriggerEventSink sink) {
    std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
}

void TriggerSystem::raise(std::string_view designName, uint64_t atNs) {
    // The one place the trigger's events leave it; the board routes them to its event hub.
    if (sink_)
        sink_(designName, atNs);
}

void TriggerSystem::restart() {
    std::lock_guard lock(mutex_);
    state_->engine.restart();
    state_->pendingExposures.clear();
    refreshSettingsLocked();
    trigger::StepOutput out;
    publishLocked(out);
    changedLocked();
}

bool TriggerSystem::drivesCamera() const {
    std::lock_guard lock(mutex_);
    refreshSettingsLocked();
    return state_->engine.drivesCamera();
}

std::vector<uint64_t> TriggerSystem::advanceTo(uint64_t nowNs) {
    std::lock_guard lock(mutex_);
    refreshSettingsLocked();
    trigger::StepOutput out;
    out.exposures = std::move(state_->pendingExposures);
    state_->pendingExposures.clear();
    state_->engine.advanceTo(nowNs, out);
    publishLocked(out);
    return std::move(out.exposures);
}

uint64_t TriggerSystem::nowNs() const {
    std::lock_guard lock(mutex_);
    return state_->engine.nowNs();
}

std::optional<uint64_t> TriggerSystem::nextActivityNs() const {
    std::lock_guard lock(mutex_);
    return state_->engine.nextActivityNs();
}

void TriggerSystem::setCameraFramePeriodNs(uint64_t periodNs) {
    std::lock_guard lock(mutex_);
    state_->engine.setCameraFramePeriodNs(periodNs);
}

uint64_t TriggerSystem::pulseGeneration() const {
    std::lock_guard lock(mutex_);
    return generation_;
}

bool TriggerSystem::waitForPulses(uint64_t seenGeneration, std::chrono::nanoseconds timeout) {
    std::unique_lock lock(mutex_);
    const uint64_t wakes = wakeCount_;
    changed_.wait_for(lock, timeout, [&] { return generation_ != seenGeneration || wakeCount_ != wakes; });
    return generation_ != seenGeneration;
}

void TriggerSystem::wakeWaiters() {
    std::lock_guard lock(mutex_);
    ++wakeCount_;
    changed_.notify_all();
}

int32_t TriggerSystem::injectInput(uint32_t input, bool level, uint64_t atNs) {
    if (input >= kTriggerInputs)
        return BOARD_ERR_INVALID_ARGUMENT;
    std::lock_guard lock(mutex_);
    refreshSettingsLocked();
    state_->engine.injectInput(input, level, atNs);
    trigger::StepOutput out;
    runToNowLocked(out);
    changedLocked();
    return BOARD_OK;
}

int32_t TriggerSystem::injectPulse(uint32_t input, uint64_t atNs, uint64_t widthNs) {
    if (input >= kTriggerInputs || widthNs == 0)
        return BOARD_ERR_INVALID_ARGUMENT;
    std::lock_guard lock(mutex_);
    refreshSettingsLocked();
    const uint64_t start = std::max(atNs, state_->engine.nowNs());
    state_->engine.injectInput(input, true, start);
    state_->engine.injectInput(input, false, start + widthNs);
    trigger::StepOutput out;
    runToNowLocked(out);
    changedLocked();
    return BOARD_OK;
}

uint32_t TriggerSystem::cameraControlLevels() const {
    std::lock_guard lock(mutex_);
    refreshSettingsLocked();
    return state_->engine.cameraControlLevels();
}

uint32_t TriggerSystem::triggerOutputLevels() const {
    std::lock_guard lock(mutex_);
    refreshSettingsLocked();
    return state_->engine.triggerOutputLevels();
}

} // namespace kestrel::boardhw
