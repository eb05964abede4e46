// One catalogue row's shape: what the applet knows about a parameter it publishes under a fixed
// identifier.
#pragma once

#include <cstdint>

#include "params/parameter_limits.h"
#include "params/parameter_value_block.h"
#include "params/tree_columns.h"

namespace kestrel {

// How a parameter's value sits in the caller's buffer.
enum class ParameterType {
    UInt32,    // 32-bit unsigned
    Int32,     // 32-bit signed
    Double,    // IEEE double
    String,    // NUL-terminated bytes; gets copy without a length check
    Field,     // two uint32, value then index (only FG_LUT_VALUE)
    HostValue, // answered by the host library with the same id and DMA index
};

enum class ParameterAccess { ReadWrite, ReadOnly };

enum class DefaultKind {
    None,     // status or host value: nothing to start from
    Initial,  // the value a new applet stores, and its setter runs with it at the end of creation
    Stored,   // the value a new applet stores; its setter does not run at creation
    Constant, // what the read-only parameter always reads
};

struct ParameterDefault {
    DefaultKind kind = DefaultKind::None;
    double number = 0.0;        // numeric parameters; every default is an exact double
    const char* text = nullptr; // string parameters; static storage
};

// How a configuration file keeps a parameter, and how a load hands its value back.
enum class Saving : uint8_t {
    NotSaved,
    Applied,           // staged in its field, then handed to its setter
    StagedOnly,        // staged only: the FG_LUT_TYPE setter or the final shading apply reads it
    AppliedOnly,       // handed to its setter only; the field changes when the setter accepts
    AppliedFromGetter, // as Applied, but written with what its getter computes, not the field
};

// The switches that decide whether a writable parameter's feature is writable at the moment, as
// flags; none for a parameter whose access word stays what its tree column says.
using AccessSwitches = uint8_t;
namespace access_switch {
inline constexpr AccessSwitches kNone = 0;
inline constexpr AccessSwitches kWhileLutCustom = 1 << 0;     // writable while FG_LUT_TYPE is custom
inline constexpr AccessSwitches kWhileLutProcessing = 1 << 1; // writable while it is processing
inline constexpr AccessSwitches kWhileLegacyOff = 1 << 2;     // writable while the legacy trigger is off
inline constexpr AccessSwitches kWhileLegacyOn = 1 << 3;      // writable while it is on
// Made writable again by every change of the area trigger's mode or state.
inline constexpr AccessSwitches kReopenedByTriggerMode = 1 << 4;
// Read-only while the area trigger is in external mode: software pulses only.
inline constexpr AccessSwitches kSoftwareOnly = 1 << 5;
} // namespace access_switch

// Who holds a setter's value to the row's limits.
enum class SetterCheck : uint8_t {
    Table, // the handler table, before the setter runs (ranges, steps, enumerations)
    Own,   // the setter itself; the row says why in one line
};

// One catalogue row. Texts have static storage duration.
struct ParameterDefinition {
    int32_t id;
    const char* name; // FG_ name, case-sensitive
    ParameterType type;
    ParameterAccess access;
    ParameterDefault defaultValue;
    Saving saving;           // kept in configuration files, and how a load restores it
    const char* description; // answer of the description query; may be empty
    // Range and step, enumeration entries, text filter or array shape, as the information tree
    // publishes them; kind None for the parameters the tree leaves out.
    ParameterLimits limits{};
    // The parameter's feature in the information tree; unpublished exactly when limits are None.
    TreeColumns tree{};
    // Where the value is kept: configuration files save and load this field of a saved row, and
    // the getter copies it wherever the parameter's group binds none of its own.
    ValueFieldOf field = nullptr;
    // The switches that change its published access word.
    AccessSwitches accessSwitches = access_switch::kNone;
    SetterCheck check = SetterCheck::Table;
    // List index: the row's position in the catalogue, set there, never written in a row.
    int32_t index = 0;

    constexpr bool readOnly() const { return access == ParameterAccess::ReadOnly; }
    constexpr bool saved() const { return saving != Saving::NotSaved; }
    constexpr bool switchedBy(AccessSwitches switches) const { return (accessSwitches & switches) != 0; }
    // Whether the initial hardware state calls this parameter's setter with its initial value.
    constexpr bool appliedAtCreation() const { return defaultValue.kind == DefaultKind::Initial; }
};

} // namespace kestrel
