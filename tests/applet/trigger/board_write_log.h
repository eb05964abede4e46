// A log of the board register writes the applet makes through the host, for checking the order of
// the writes a trigger step makes (the board itself keeps only the last value of a register).
#pragma once

#include <cstdint>
#include <vector>

namespace kestrel::test {

struct BoardWrite {
    uint32_t id;
    uint64_t value;
};

// Records every Board_WriteRegister call of the process between start() and stop(), whether the
// board accepts the write or not. The test executable provides Board_WriteRegister itself and
// passes each call on to the board library.
class BoardWriteLog {
public:
    static void start();
    static std::vector<BoardWrite> stop();
};

} // namespace kestrel::test
