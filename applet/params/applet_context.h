// What parameter handlers work on: the parts of the applet object they read and change. The
// object builds one context and hands it to each subsystem's parameters.
#pragma once

#include <cstdint>

#include "api/error_codes.h"
#include "api/generator_registers.h"
#include "api/wrapper_private.h"
#include "device/register_map.h"
#include "info/parameter_info_nodes.h"
#include "params/parameter_properties.h"
#include "params/parameter_value_block.h"

namespace kestrel {

struct AppletContext {
    WrapperPrivate& host;              // host calls, board handle, design image, temp files
    const RegisterMap& registers;      // host-published design registers
    GeneratorRegisters& generator;     // simulator registers written on the board
    ParameterValueBlock& values;       // stored parameter values
    ParameterInfoNodes& infoNodes;     // published limits and access words
    ParameterPropertyMap& properties;  // per-port access values

    // Writes one 32-bit value to a host-published register (type 2, DMA 0).
    void writeRegister(HostRegister reg, uint32_t value, bool reportErrors) const {
        registers.writeValue(host, reg, value, reportErrors);
    }
    uint32_t readRegister(HostRegister reg) const { return registers.readValue(host, reg); }
};

// The store-write-restore step every setter shares: stores `newValue` in `field`, runs `write`,
// and when `write` raises, puts the old value back and passes the code on. Register accessors
// raise only when the setter's `reportErrors` is set, so with it clear a failing write leaves the
// new value stored, as configuration loading expects.
template <class T, class Write>
void storeThenWrite(T& field, T newValue, Write&& write) {
    const T oldValue = field;
    field = newValue;
    try {
        write();
    } catch (int32_t) {
        field = oldValue;
        throw;
    }
}

// Validation helper: raises `code` when `reportErrors`, and tells the caller to stop either way.
// Usage: if (rejected) return refuse(kErrOutOfRange, reportErrors);
inline void refuse(int32_t code, bool reportErrors) {
    if (reportErrors)
        raise(code);
}

}  // namespace kestrel
