// The four camera-control (CC) outputs and eight trigger outputs: which pulse-form generator or
// constant level each one carries, and the parking and restoring the trigger state machine does.
#pragma once

#include <array>
#include <cstdint>

#include "device/register_map.h"
#include "trigger/trigger_core.h"

namespace kestrel {

inline constexpr std::size_t kCcOutputCount = 4;
inline constexpr std::size_t kTriggerOutputCount = 8;

// Source values of an output (0..11): pulse generators 0..3, GND 4, VCC 5, the inverted pulse
// generators 6..9, the input bypass 10 and its inversion 11.
inline constexpr uint32_t kSourceGnd = 4;
inline constexpr uint32_t kSourceVcc = 5;
// Select code of the constant level: low with invert 0, high with invert 1.
inline constexpr uint32_t kSelectConstant = 5;

// What a source value becomes in the output's select and invert registers.
struct SelectCode {
    uint32_t select;
    uint32_t invert;
};
// `source` must be one of the source values 0..11.
SelectCode selectCode(uint32_t source);

class OutputSelects {
public:
    explicit OutputSelects(TriggerCore& core) : core_(core) {}

    // FG_TRIGGERCC_SELECTn: written in every trigger state.
    void setCcSelect(std::size_t output, uint32_t source, bool reportErrors);
    // FG_TRIGGEROUT_SELECTn: stored only during async stop (restoreOutputs applies it at the next
    // start), written otherwise.
    void setTriggerOutSelect(std::size_t output, uint32_t source, bool reportErrors);

    // Every output to its idle level: select code 5 on CC 0..3, then trigger outputs 0..7; the
    // invert registers keep their values.
    void parkOutputs() const;
    // The stored selects back through their setters (CC first), codes raised.
    void restoreOutputs();

    // Writes a source to one trigger output's registers directly, select before invert.
    void writeTriggerOutput(std::size_t output, SelectCode code) const;

    static HostRegister ccSelectRegister(std::size_t output);
    static HostRegister ccInvertRegister(std::size_t output);
    static HostRegister triggerOutSelectRegister(std::size_t output);
    static HostRegister triggerOutInvertRegister(std::size_t output);

private:
    TriggerCore& core_;
};

} // namespace kestrel
