// Register access and access words shared by the trigger system.
#include "trigger/trigger_core.h"

#include "params/parameter_properties.h"

namespace kestrel {

void TriggerCore::writeTicks(HostRegister reg, uint64_t ticks) const {
    context_.registers.write(context_.host, reg, &ticks, kRegisterTypeValue, true);
}

uint64_t TriggerCore::readWide(HostRegister reg) const {
    uint64_t value = 0;
    context_.registers.read(context_.host, reg, &value, kRegisterTypeValue, true);
    return value;
}

void TriggerCore::publishAccess(int32_t id, int32_t access) const {
    context_.limits.publishAccess(id, access);
    context_.properties.setAccess(0, id, access);
}

void TriggerCore::checkLegacy(LegacyRule rule) const {
    switch (rule) {
    case LegacyRule::RefusedInLegacyMode:
        if (legacyModeOn() && !legacyUpdateInProgress_)
            raise(kErrInvalidArgument);
        break;
    case LegacyRule::LegacyOnly:
        if (!legacyModeOn())
            raise(kErrInvalidArgument);
        break;
    case LegacyRule::AlwaysAllowed:
        break;
    }
}

} // namespace kestrel
