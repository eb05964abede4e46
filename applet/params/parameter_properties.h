// Per-port parameter properties: the access value each parameter has on a port.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "device/parameter_info_node.h"

namespace kestrel {

// Access values: the information tree's access words.
inline constexpr int32_t kAccessReadOnly = kNodeAccessReadOnly;
inline constexpr int32_t kAccessReadWrite = kNodeAccessReadWrite;
inline constexpr int32_t kAccessReadWriteBit2 = kNodeAccessReadWriteBit2;

struct ParameterProperty {
    int32_t access = kAccessReadWriteBit2;
};

// Port (0..3), then parameter id, to the parameter's property record. Empty when the applet is
// created; only entries that creation or a setter touched exist. Owned by the applet object.
class ParameterPropertyMap {
public:
    // Creates the record on first use.
    void setAccess(int32_t port, int32_t id, int32_t access) { ports_[port][id].access = access; }

    // The access value recorded for (port, id), or nothing when no record exists.
    std::optional<int32_t> access(int32_t port, int32_t id) const {
        auto portIt = ports_.find(port);
        if (portIt == ports_.end())
            return std::nullopt;
        auto it = portIt->second.find(id);
        if (it == portIt->second.end())
            return std::nullopt;
        return it->second.access;
    }

    // The record for (port, id), or null; owned by the map, valid until the next insertion.
    const ParameterProperty* find(int32_t port, int32_t id) const {
        auto portIt = ports_.find(port);
        if (portIt == ports_.end())
            return nullptr;
        auto it = portIt->second.find(id);
        return it == portIt->second.end() ? nullptr : &it->second;
    }

    bool empty() const { return ports_.empty(); }

private:
    std::map<int32_t, std::map<int32_t, ParameterProperty>> ports_;
};

} // namespace kestrel
