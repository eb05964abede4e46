// Simulator register ids from the design image; writes through the board library.
#include "device/generator_registers.h"

#include <boardhw.h>
#include <designrt.h>

#include "core/error_codes.h"

namespace kestrel {

void GeneratorRegisters::resolve(void* designImage) {
    for (std::size_t i = 0; i < kGeneratorRegisterCount; ++i)
        ids_[i] = DesignImage_GetRegisterId(designImage, kGeneratorRegisterNames[i]);
}

int32_t GeneratorRegisters::write(void* boardHandle, GeneratorRegister reg, uint64_t value,
                                  bool reportErrors) {
    const int32_t result = Board_WriteRegister(boardHandle, id(reg), value);
    if (result == 0)
        cache_[index(reg)] = value;
    else if (reportErrors)
        raise(result);
    return result;
}

void GeneratorRegisters::readCachedMask(uint64_t* value, bool reportErrors) const {
    if (value == nullptr) {
        if (reportErrors)
            raise(kErrInvalidArgument);
        return;
    }
    *value = cachedValue(GeneratorRegister::Mask);
}

} // namespace kestrel
