// The machine's physical memory, as Windows reports it.
#include "grab_plan.h"

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace kestrel::tool {

uint64_t physicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) != 0 ? uint64_t(status.ullTotalPhys) : 0;
}

} // namespace kestrel::tool

#endif // _WIN32
