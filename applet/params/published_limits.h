// Where setters publish what a dependent parameter may take now, and whether it is writable: the
// information tree implements it; the parameter groups only see this.
#pragma once

#include <cstdint>
#include <optional>

namespace kestrel {

// The integer range a parameter shows at this moment.
struct IntegerBounds {
    int64_t minimum;
    int64_t maximum;
};

// Updates of a parameter the publisher does not show do nothing and report nothing, so a setter
// may refresh unconditionally. All updates and reads concern port 0.
class PublishedLimits {
public:
    virtual ~PublishedLimits() = default;
    // The range an integer parameter shows now; nullopt when it is not shown as an integer.
    virtual std::optional<IntegerBounds> integerBounds(int32_t id) const = 0;
    virtual void publishIntegerMinimum(int32_t id, int32_t minimum) = 0;
    virtual void publishIntegerMaximum(int32_t id, int32_t maximum) = 0;
    virtual void publishDoubleMinimum(int32_t id, double minimum) = 0;
    // The access word: kNodeAccessReadOnly or kNodeAccessReadWriteBit2.
    virtual void publishAccess(int32_t id, int32_t access) = 0;
};

} // namespace kestrel
