// The one check of a value against its parameter's limits: range, step and enumeration membership.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>

#include "core/error_codes.h"
#include "params/parameter_catalogue.h"

namespace kestrel {
namespace limit_check_detail {

// The value as a 64-bit integer, read in the parameter's own type; nullopt for other types.
inline std::optional<int64_t> integerValue(ParameterType type, const void* value) {
    if (type == ParameterType::UInt32) {
        uint32_t number = 0;
        std::memcpy(&number, value, sizeof number);
        return number;
    }
    if (type == ParameterType::Int32) {
        int32_t number = 0;
        std::memcpy(&number, value, sizeof number);
        return number;
    }
    return std::nullopt;
}

} // namespace limit_check_detail

// kOk when the value in the caller's buffer (read in the row's type) is acceptable: within the
// row's range, on its step grid counted from the row's minimum, and one of the row's enumeration entries
// for an enumerated parameter; `maximumNow`, where given, replaces the integer maximum. Otherwise
// kErrOutOfRange for a value outside the range or the entries, then kErrNotAligned for one off the grid. A
// double is held to the row's range alone (a NaN is outside it); its increment is only what the tree shows.
// Rows of other kinds are always accepted. Inline: it sits on every checked set.
inline int32_t checkLimits(const ParameterDefinition& row, const void* value,
                           std::optional<int64_t> maximumNow = std::nullopt) {
    const ParameterLimits& limits = row.limits;
    if (row.type == ParameterType::Double && limits.kind == LimitKind::Double) {
        double number = 0.0;
        std::memcpy(&number, value, sizeof number);
        return number >= limits.doubleMinimum && number <= limits.doubleMaximum ? kOk : kErrOutOfRange;
    }
    const std::optional<int64_t> number = limit_check_detail::integerValue(row.type, value);
    if (!number)
        return kOk;
    switch (limits.kind) {
    case LimitKind::Enumeration:
        return enumerationContains(limits.entries, *number) ? kOk : kErrOutOfRange;
    case LimitKind::Integer: {
        const int64_t minimum = limits.integerMinimum;
        const int64_t maximum = maximumNow.value_or(limits.integerMaximum);
        // The range decides before the grid: a value too small is out of range, not off the grid.
        if (*number < minimum || *number > maximum)
            return kErrOutOfRange;
        if (limits.integerIncrement > 1 && (*number - limits.integerMinimum) % limits.integerIncrement != 0)
            return kErrNotAligned;
        return kOk;
    }
    default:
        return kOk;
    }
}

} // namespace kestrel
