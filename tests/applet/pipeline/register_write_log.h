// A log of the board register writes of this process, for checking the order in which a setter
// writes its registers (the board keeps only the last value of each).
#pragma once

#include <cstdint>
#include <vector>

namespace kestrel::test {

struct RegisterWrite {
    uint32_t id;
    uint64_t value;
    bool operator==(const RegisterWrite&) const = default;
};

// Records every Board_WriteRegister call between start() and stop(), accepted or not. The test
// executable defines Board_WriteRegister itself and passes each call on to the board library, so
// the host's and the applet's writes both pass through it.
class RegisterWriteLog {
public:
    static void start();
    static std::vector<RegisterWrite> stop();
};

} // namespace kestrel::test
