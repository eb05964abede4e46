// Resolution of the host-published register names and the typed accessors over them.
#include "device/register_map.h"

#include "core/error_codes.h"
#include "device/host_binding.h"

namespace kestrel {

namespace {

constexpr std::array<const char*, kHostRegisterCount> kHostRegisterNames{
#define KESTREL_HOST_REGISTER_NAME(id, name) name,
    KESTREL_HOST_REGISTERS(KESTREL_HOST_REGISTER_NAME)
#undef KESTREL_HOST_REGISTER_NAME
};

} // namespace

const char* hostRegisterName(HostRegister reg) {
    return kHostRegisterNames[static_cast<std::size_t>(reg)];
}

void RegisterMap::resolve(const HostBinding& host) {
    for (std::size_t i = 0; i < kHostRegisterCount; ++i)
        ids_[i] = host.hostParameterIdByName(kHostRegisterNames[i]);
}

void RegisterMap::write(const HostBinding& host, HostRegister reg, const void* value, int32_t type,
                        bool reportErrors) const {
    if (value == nullptr) {
        if (reportErrors)
            raise(kErrInvalidArgument);
        return;
    }
    const int32_t result = host.hostSetParameterWithType(id(reg), value, 0, type);
    if (result != 0 && reportErrors)
        raise(result);
}

void RegisterMap::read(const HostBinding& host, HostRegister reg, void* value, int32_t type,
                       bool reportErrors) const {
    if (value == nullptr) {
        if (reportErrors)
            raise(kErrInvalidArgument);
        return;
    }
    const int32_t result = host.hostGetParameterWithType(id(reg), value, 0, type);
    if (result != 0 && reportErrors)
        raise(result);
}

} // namespace kestrel
