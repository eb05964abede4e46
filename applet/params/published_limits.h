// Where setters publish what a dependent parameter may take now, and whether it is writable: the
// information tree implements it; the parameter groups only see this.
#pragma once

#include <cstdint>

namespace kestrel {

// Updates of a parameter the publisher does not show do nothing and report nothing, so a setter
// may refresh unconditionally. All updates and reads concern port 0.
class PublishedLimits {
public:
    virtual ~PublishedLimits() = default;
    virtual void publishIntegerMinimum(int32_t id, int32_t minimum) = 0;
    virtual void publishIntegerMaximum(int32_t id, int32_t maximum) = 0;
    virtual void publishDoubleMinimum(int32_t id, double minimum) = 0;
    // The access word: kNodeAccessReadOnly or kNodeAccessReadWriteBit2.
    virtual void publishAccess(int32_t id, int32_t access) = 0;
};

} // namespace kestrel
