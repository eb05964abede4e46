// The design registers of the area trigger, by what they do, and their values grouped for the
// emulation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace kestrel::boardhw::trigger {

// Every trigger register the emulation reads or fills. Registers that come in numbered sets
// (pulse-form generators, outputs) are listed as their first member; the others follow it at a
// fixed stride (see pulseFormRegister, cameraControlRegister, triggerOutputRegister).
enum class Reg : std::size_t {
    DebouncePeriod,
    InputStatus,
    InputSelect,
    InputInvert,
    BypassSelect,
    InputDownscale,
    InputSelectedPulse,
    InputDownscaleClear,
    InputPulses,
    InputPulsesClear,
    InputPeriod,
    InputMax,
    InputMin,
    InputMinMaxClear,
    InputTotalPulses,
    SelectExternal,
    SoftwareTrigger,
    MinimumPeriod,
    ClearQueuePulse,
    EnableQueue,
    SequencerClear,
    MaximumReached,
    QueueValue,
    SequenceDownscale,
    SequenceSelectedPulse,
    QueueFullValue,
    QueueEnabled,
    PulseLimit,
    HysteresisOn,
    HysteresisOff,
    PulseFormEnable,
    PulseForm0Downscale, // then SelectedPulse, Delay, Width, Clear; then generator 1 ...
    PulseForm0SelectedPulse,
    PulseForm0Delay,
    PulseForm0Width,
    PulseForm0Clear,
    CameraControl0Select = PulseForm0Downscale + 20, // then Invert; then output 1 ...
    CameraControl0Invert,
    TriggerOutput0Select = CameraControl0Select + 8, // then Invert; then output 1 ...
    TriggerOutput0Invert,
    OutputStatsSelect = TriggerOutput0Select + 16,
    OutputPulses,
    OutputPulsesClear,
    OutputTotalPulses,
    OutputEventSelect,
    MonitoringStatus,
    ClearOverride,
    ClearMissingFrame,
    ResetMissing,
    Count
};

inline constexpr std::size_t kRegCount = static_cast<std::size_t>(Reg::Count);
inline constexpr std::size_t kPulseFormStride = 5;

constexpr Reg operator+(Reg reg, std::size_t offset) {
    return static_cast<Reg>(static_cast<std::size_t>(reg) + offset);
}
// Register `field` (one of the PulseForm0 ones) of pulse-form generator n.
constexpr Reg pulseFormRegister(Reg field, std::size_t n) {
    return field + n * kPulseFormStride;
}
// Select (field CameraControl0Select) or invert register of camera-control output n.
constexpr Reg cameraControlRegister(Reg field, std::size_t n) {
    return field + n * 2;
}
constexpr Reg triggerOutputRegister(Reg field, std::size_t n) {
    return field + n * 2;
}

// Full design name of a register.
const std::string& registerName(Reg reg);

// Design register ids of the trigger registers; 0 for one the design lacks.
class TriggerRegisterIds {
public:
    TriggerRegisterIds() { ids_.fill(0); }
    // Resolves every name through idOf (0 = unknown).
    explicit TriggerRegisterIds(const std::function<uint32_t(const std::string&)>& idOf);

    uint32_t id(Reg reg) const { return ids_[static_cast<std::size_t>(reg)]; }
    // The register an id belongs to; Reg::Count for any other id.
    Reg regOf(uint32_t id) const;

private:
    std::array<uint32_t, kRegCount> ids_{};
};

// Source and polarity of one output line: select 0 .. 3 a pulse-form generator, 4 the input
// bypass, 5 (and the unused 6, 7) a constant level; invert flips the line.
struct LineSelection {
    uint32_t select = 5;
    bool invert = false;
};

struct PulseFormSettings {
    uint32_t downscale = 1;     // 1 .. 7; 0 counts as 1
    uint32_t selectedPulse = 1; // 1-based pulse of each downscale group that passes
    uint64_t delayTicks = 0;
    uint64_t widthTicks = 0; // 0 counts as 1
};

// The writable trigger registers as the emulation reads them, in their own units.
struct TriggerSettings {
    uint32_t debounceUnits = 0; // 48 ns each
    uint32_t inputSelect = 0;
    bool inputInvert = false;
    uint32_t bypassSelect = 0;
    uint32_t inputDownscale = 1;
    uint32_t inputSelectedPulse = 1;
    bool selectExternal = false;
    uint64_t minimumPeriodTicks = 0;
    bool holdQueue = false;
    bool queueSource = false; // pulses come through the queue (external or software), not free-running
    uint32_t sequenceDownscale = 1;
    uint32_t sequenceSelectedPulse = 1;
    uint32_t queueFullValue = 1;
    bool queueEnabled = false;
    uint32_t hysteresisOn = 0;
    uint32_t hysteresisOff = 0;
    bool pulseFormEnabled = false;
    std::array<PulseFormSettings, 4> pulseForm{};
    std::array<LineSelection, 4> cameraControl{};
    std::array<LineSelection, 8> triggerOutput{};
    uint32_t outputStatsSelect = 0;
    uint32_t outputEventSelect = 0;
};

// Reads the settings through `value` (the current value of a register; 0 for one the design lacks).
TriggerSettings readTriggerSettings(const std::function<uint64_t(Reg)>& value);

} // namespace kestrel::boardhw::trigger
