// The fixed part of the parameter-information tree: every catalogue feature the applet publishes,
// its category path, display name, kind, limits, unit and access.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace kestrel {

enum class FixedFeatureKind { Integer, Enumeration, String, Double, IntegerArray };

struct FixedFeatureLimits {
    FixedFeatureKind kind;
    // Integer: minimum, maximum, increment, each stored in the node as its low 32 bits (so the
    // maximum 4294967294 becomes the pattern 0xFFFFFFFE). IntegerArray: minimum, maximum and
    // the element count in `increment`'s place.
    int64_t integerMinimum = 0;
    int64_t integerMaximum = 0;
    int64_t integerIncrement = 0;
    double doubleMinimum = 0.0;
    double doubleMaximum = 0.0;
    double doubleIncrement = 0.0;
    const char* filter = nullptr;
};

struct FixedFeature {
    // Root category first; unused levels are null. A category is created just before the first
    // feature that needs it.
    std::array<const char*, 3> categoryPath;
    const char* displayName;
    int32_t id; // the parameter name comes from the catalogue row of this id
    FixedFeatureLimits limits;
    const char* unit; // Latin-1; "" is published as an empty unit, not as none
    int32_t access;
    int32_t hostAttribute;
};

// Publication order: the host sees children in this order, roots newest first.
std::span<const FixedFeature> fixedFeatures();

} // namespace kestrel
