// Reads and writes design registers on the board in the caller's value types.
#pragma once

#include "host_registers.h"

#include <cstdint>

namespace kestrel::host {

// Stateless translation of a host call into board calls for one register. Results: 0, a GH5_ code
// for a type or argument the register cannot take, or the board's own code.
class RegisterAccess {
public:
    explicit RegisterAccess(void* board) : board_(board) {}

    int32_t setTyped(const HostRegister& reg, const void* value, int32_t type) const;
    int32_t getTyped(const HostRegister& reg, void* value, int32_t type) const;
    // The register's natural type: uint32 up to 32 bits, uint64 above, a file name for text.
    int32_t setNatural(const HostRegister& reg, const void* value) const;
    int32_t getNatural(const HostRegister& reg, void* value) const;

private:
    int32_t setTable(const void* value, int32_t type) const;
    int32_t getTable(void* value, int32_t type) const;
    int32_t setText(const HostRegister& reg, const void* value) const;
    int32_t getText(const HostRegister& reg, void* value) const;

    void* board_;
};

} // namespace kestrel::host
