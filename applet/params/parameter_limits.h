// What a parameter accepts and publishes: its range and step, its enumeration entries, its text
// filter or its array shape. The catalogue row holds them; the information tree publishes them.
#pragma once

#include <cstdint>

#include "params/enumerations.h"

namespace kestrel {

enum class LimitKind { None, Integer, Enumeration, String, Double, IntegerArray };

struct ParameterLimits {
    LimitKind kind = LimitKind::None;
    // Integer: minimum, maximum, increment, each published as its low 32 bits (so the maximum
    // 4294967294 becomes the pattern 0xFFFFFFFE). IntegerArray: minimum, maximum and the element
    // count in `increment`'s place.
    int64_t integerMinimum = 0;
    int64_t integerMaximum = 0;
    int64_t integerIncrement = 0;
    double doubleMinimum = 0.0;
    double doubleMaximum = 0.0;
    double doubleIncrement = 0.0;
    EnumerationTable entries{};   // Enumeration: the values the setter accepts, in publication order
    const char* filter = nullptr; // String
};

namespace limits {

constexpr ParameterLimits integer(int64_t minimum, int64_t maximum, int64_t increment) {
    ParameterLimits limits{LimitKind::Integer};
    limits.integerMinimum = minimum;
    limits.integerMaximum = maximum;
    limits.integerIncrement = increment;
    return limits;
}

constexpr ParameterLimits real(double minimum, double maximum, double increment) {
    ParameterLimits limits{LimitKind::Double};
    limits.doubleMinimum = minimum;
    limits.doubleMaximum = maximum;
    limits.doubleIncrement = increment;
    return limits;
}

constexpr ParameterLimits enumeration(EnumerationTable entries) {
    ParameterLimits limits{LimitKind::Enumeration};
    limits.entries = entries;
    return limits;
}

constexpr ParameterLimits text(const char* filter) {
    ParameterLimits limits{LimitKind::String};
    limits.filter = filter;
    return limits;
}

constexpr ParameterLimits integerArray(int64_t elementCount, int64_t minimum, int64_t maximum) {
    ParameterLimits limits{LimitKind::IntegerArray};
    limits.integerMinimum = minimum;
    limits.integerMaximum = maximum;
    limits.integerIncrement = elementCount;
    return limits;
}

} // namespace limits
} // namespace kestrel
