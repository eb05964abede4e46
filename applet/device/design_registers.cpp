// Register enumeration through the design runtime.
#include "device/design_registers.h"

#include <designrt.h>

namespace kestrel {

int32_t DesignImageRegisters::count() const {
    return DesignImage_GetRegisterCount(image_);
}
const char* DesignImageRegisters::name(int32_t index) const {
    return DesignImage_GetRegisterName(image_, index);
}
uint32_t DesignImageRegisters::id(const char* name) const {
    return DesignImage_GetRegisterId(image_, name);
}
int32_t DesignImageRegisters::width(uint32_t id) const {
    return DesignImage_GetRegisterWidth(image_, id);
}
int32_t DesignImageRegisters::info(uint32_t id) const {
    return DesignImage_GetRegisterInfo(image_, id);
}

} // namespace kestrel
