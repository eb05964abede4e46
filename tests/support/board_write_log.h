// A log of the board register writes of this process, for checking the order in which a setter
// writes its registers (the board itself keeps only the last value of each).
#pragma once

#include <cstdint>
#include <vector>

namespace kestrel::test {

struct BoardWrite {
    uint32_t id;
    uint64_t value;
    bool operator==(const BoardWrite&) const = default;
};

// Records every Board_WriteRegister call between start() and stop(), accepted or not. An
// executable that links kestrel_board_write_log defines Board_WriteRegister itself and passes each
// call on to the board library, so the host's and the applet's writes both pass through it; the
// executable must export its symbols (ENABLE_EXPORTS) for the libraries to bind to it.
class BoardWriteLog {
public:
    static void start();
    static std::vector<BoardWrite> stop();
};

} // namespace kestrel::test
