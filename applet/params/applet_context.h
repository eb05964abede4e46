// What parameter handlers work on: the parts of the applet object they read and change. The
// object builds one context and hands it to each subsystem's parameters.
#pragma once

#include <cstdint>
#include <utility>

#include "core/error_codes.h"
#include "device/generator_registers.h"
#include "device/host_binding.h"
#include "device/register_map.h"
#include "params/parameter_properties.h"
#include "params/parameter_value_block.h"
#include "params/published_limits.h"

namespace kestrel {

struct AppletContext {
    HostBinding& host;                // host calls, board handle, design image
    const RegisterMap& registers;     // host-published design registers
    GeneratorRegisters& generator;    // simulator registers written on the board
    ParameterValueBlock& values;      // stored parameter values
    PublishedLimits& limits;          // published limits and access words
    ParameterPropertyMap& properties; // per-port access values

    // Writes one 32-bit value to a host-published register (type 2, DMA 0).
    void writeRegister(HostRegister reg, uint32_t value, bool reportErrors) const {
        registers.writeValue(host, reg, value, reportErrors);
    }
    uint32_t readRegister(HostRegister reg) const { return registers.readValue(host, reg); }
};

// What a setter keeps when its write fails while the caller asked for quiet (reportErrors false).
// Each parameter group picks one for all its setters.
enum class QuietFailure {
    // The writes take the caller's reportErrors and stay quiet when it is clear, so a failing
    // write leaves the new value stored, as configuration loading expects. Whatever still raises
    // puts the old value back and reaches the caller.
    KeepNewValue,
    // Every step raises; any failure puts the old value back, and the code reaches the caller
    // only when reportErrors is set.
    RestoreOldValue,
};

// The store-write-restore step every setter shares: stores `newValue` in `field` and runs `write`;
// when `write` raises, `Policy` decides as above. True when the new value stays stored.
template <QuietFailure Policy, class T, class Write>
bool storeThenWrite(T& field, T newValue, bool reportErrors, Write&& write) {
    T oldValue = std::move(field);
    field = std::move(newValue);
    try {
        write();
    } catch (int32_t) {
        field = std::move(oldValue);
        if (reportErrors || Policy == QuietFailure::KeepNewValue)
            throw;
        return false;
    }
    return true;
}

// Validation helper: raises `code` when `reportErrors`, and tells the caller to stop either way.
// Usage: if (rejected) return refuse(kErrOutOfRange, reportErrors);
inline void refuse(int32_t code, bool reportErrors) {
    if (reportErrors)
        raise(code);
}

} // namespace kestrel
