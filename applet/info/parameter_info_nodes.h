// The index from (port, parameter id) to the tree feature that publishes the parameter, through
// which setters update published limits and access words in place.
#pragma once

#include <cstdint>
#include <map>

#include "device/parameter_info_node.h"
#include "params/published_limits.h"

namespace kestrel {

// Holds non-owning pointers into a ParameterInfoTree; owned by the applet object and valid while
// the tree keeps the port. Every update on an id without a node (or a node of another kind) does
// nothing and reports nothing, so a setter may refresh unconditionally.
class ParameterInfoNodes final : public PublishedLimits {
public:
    void enter(int32_t port, int32_t id, ParameterInfoNode* node);
    ParameterInfoNode* find(int32_t port, int32_t id) const;
    std::size_t size(int32_t port) const;
    void clear() { ports_.clear(); }

    // Integer features (types 1, 11 and the integer array's limits) on port 0 by default.
    void setIntegerMinimum(int32_t id, int32_t minimum, int32_t port = 0);
    void setIntegerMaximum(int32_t id, int32_t maximum, int32_t port = 0);
    // Double features.
    void setDoubleMinimum(int32_t id, double minimum, int32_t port = 0);
    void setDoubleMaximum(int32_t id, double maximum, int32_t port = 0);
    // Any feature: the access word (kNodeAccessReadOnly or kNodeAccessReadWriteBit2 at run time).
    void setAccess(int32_t id, int32_t access, int32_t port = 0);

    void publishIntegerMinimum(int32_t id, int32_t minimum) override { setIntegerMinimum(id, minimum); }
    void publishIntegerMaximum(int32_t id, int32_t maximum) override { setIntegerMaximum(id, maximum); }
    void publishDoubleMinimum(int32_t id, double minimum) override { setDoubleMinimum(id, minimum); }
    void publishAccess(int32_t id, int32_t access) override { setAccess(id, access); }

    // Ordered by id, per port.
    const std::map<int32_t, ParameterInfoNode*>* port(int32_t port) const;

private:
    std::map<int32_t, std::map<int32_t, ParameterInfoNode*>> ports_;
};

} // namespace kestrel
