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

// One catalogue row. Texts have static storage duration.
struct ParameterDefinition {
    int32_t id;
    const char* name; // FG_ name, case-sensitive
    ParameterType type;
    ParameterAccess access;
    ParameterDefault defaultValue;
    bool saved;              // stored in configuration files
    const char* description; // answer of the description query; may be empty
    // Range and step, enumeration entries, text filter or array shape, as the information tree
    // publishes them; kind None for the parameters the tree leaves out.
    ParameterLimits limits{};
    // The parameter's feature in the information tree; unpublished exactly when limits are None.
    TreeColumns tree{};
    // Where the value is kept: configuration files save and load this field of a saved row, and
    // the getter copies it wherever the parameter's group binds none of its own.
    ValueFieldOf field = nullptr;
    // List index: the row's position in the catalogue, set there, never written in a row.
    int32_t index = 0;

    constexpr bool readOnly() const { return access == ParameterAccess::ReadOnly; }
    // Whether the initial hardware state calls this parameter's setter with its initial value.
    constexpr bool appliedAtCreation() const { return defaultValue.kind == DefaultKind::Initial; }
};

} // namespace kestrel
