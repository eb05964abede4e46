// Checking a value against its parameter's limits.
#include "params/limit_check.h"

#include <cstring>
#include <optional>

#include "core/error_codes.h"

namespace kestrel {
namespace {

// The value as a 64-bit integer, read in the parameter's own type; nullopt for other types.
std::optional<int64_t> integerValue(ParameterType type, const void* value) {
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

// Published bounds are 32-bit node fields: an unsigned parameter's bounds are their bit patterns.
int64_t asParameterType(ParameterType type, int64_t bound) {
    return type == ParameterType::UInt32 ? int64_t{static_cast<uint32_t>(static_cast<int32_t>(bound))}
                                         : bound;
}

} // namespace

int32_t checkLimits(const ParameterDefinition& row, const void* value, const PublishedLimits* published) {
    const ParameterLimits& limits = row.limits;
    const std::optional<int64_t> number = integerValue(row.type, value);
    if (!number)
        return kOk;
    switch (limits.kind) {
    case LimitKind::Enumeration:
        return enumerationContains(limits.entries, *number) ? kOk : kErrOutOfRange;
    case LimitKind::Integer: {
        int64_t minimum = limits.integerMinimum;
        int64_t maximum = limits.integerMaximum;
        if (published != nullptr) {
            if (const std::optional<IntegerBounds> shown = published->integerBounds(row.id)) {
                minimum = asParameterType(row.type, shown->minimum);
                maximum = asParameterType(row.type, shown->maximum);
            }
        }
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
