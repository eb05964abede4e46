// The fixed part of the parameter-information tree: every catalogue feature the applet publishes,
// its category path, display name, kind, limits, unit and access.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace kestrel {

struct FixedFeature {
    // Root category first; unused levels are null. A category is created just before the first
    // feature that needs it.
    std::array<const char*, 3> categoryPath;
    const char* displayName;
    int32_t id;       // name, kind and limits come from the catalogue row of this id
    const char* unit; // Latin-1; "" is published as an empty unit, not as none
    int32_t access;
    int32_t hostAttribute;
};

// Publication order: the host sees children in this order, roots newest first.
std::span<const FixedFeature> fixedFeatures();

} // namespace kestrel
