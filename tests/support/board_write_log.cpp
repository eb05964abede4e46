// Board_WriteRegister of the test executable: the host and the applet bind it before the board
// library's own, so every register write passes through here on its way to the board.
#include "board_write_log.h"

#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

namespace kestrel::test {

namespace {

std::mutex logMutex;
bool recording = false;
std::vector<BoardWrite> writes;

using WriteFn = int32_t (*)(void*, uint32_t, uint64_t);

WriteFn boardLibraryWrite() {
    static const WriteFn real = reinterpret_cast<WriteFn>(dlsym(RTLD_NEXT, "Board_WriteRegister"));
    if (real == nullptr)
        std::abort();
    return real;
}

} // namespace

void BoardWriteLog::start() {
    const std::lock_guard lock(logMutex);
    writes.clear();
    recording = true;
}

std::vector<BoardWrite> BoardWriteLog::stop() {
    const std::lock_guard lock(logMutex);
    recording = false;
    return std::move(writes);
}

} // namespace kestrel::test

extern "C" __attribute__((visibility("default"))) int32_t Board_WriteRegister(void* board, uint32_t id,
                                                                              uint64_t value) {
    {
        const std::lock_guard lock(kestrel::test::logMutex);
        if (kestrel::test::recording)
            kestrel::test::writes.push_back({id, value});
    }
    return kestrel::test::boardLibraryWrite()(board, id, value);
}
