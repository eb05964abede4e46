// Typed parameter set and get: routing by identifier family, the DMA check, read-only refusal and
// the description query, all under the applet's parameter lock.
#pragma once

#include <cstdint>

#include "params/parameter_ids.h"
#include "support/locks.h"

namespace kestrel {

class HostBinding;
class LastError;
class ParameterHandlerTable;
class ParameterTables;

// Identifier families: above kDesignAccessBase design access (host parameters), above
// kRegisterAccessBase direct register access (while enabled), everything else the catalogue.
using ids::kDesignAccessBase;
using ids::kRegisterAccessBase;

class ParameterDispatch {
public:
    ParameterDispatch(const HostBinding& host, LastError& lastError, const ParameterTables& tables,
                      const ParameterHandlerTable& handlers, quil::templates::platform::CriticalSection& lock)
        : host_(host), lastError_(lastError), tables_(tables), handlers_(handlers), lock_(lock) {}

    // 0 or an error code; either way also the applet's last error. A null value is refused
    // without taking the lock.
    int32_t set(int32_t id, const void* value, uint32_t dma);
    int32_t get(int32_t id, void* value, uint32_t dma);

    // Direct register access on the board, sized by the register's width in the design image:
    // above 32 bits the caller's buffer holds 64 bits, otherwise 32. The board's result.
    static int32_t writeDesignRegister(void* board, void* designImage, uint32_t registerId,
                                       const void* value);
    static int32_t readDesignRegister(void* board, void* designImage, uint32_t registerId, void* value);

private:
    enum class Family { Design, Register, Catalogue };
    Family familyOf(int32_t id) const;
    // What set and get share: the null check before the lock, the lock, a raised code as the
    // result, and the result as the last error.
    template <class Step> int32_t underLock(const void* value, Step&& step);

    void catalogueSet(int32_t id, const void* value, uint32_t dma) const;
    void catalogueGet(int32_t id, void* value, uint32_t dma) const;
    void checkDma(uint32_t dma) const;

    const HostBinding& host_;
    LastError& lastError_;
    const ParameterTables& tables_;
    const ParameterHandlerTable& handlers_;
    quil::templates::platform::CriticalSection& lock_;
};

} // namespace kestrel
