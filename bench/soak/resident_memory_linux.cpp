// Resident memory on Linux: the second field of /proc/self/statm, in pages.
#include "resident_memory.h"

#include <fstream>

#include <unistd.h>

namespace kestrel::bench {

uint64_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    uint64_t totalPages = 0, residentPages = 0;
    if (!(statm >> totalPages >> residentPages))
        return 0;
    return residentPages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

} // namespace kestrel::bench
