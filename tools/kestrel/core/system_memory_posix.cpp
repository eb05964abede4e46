// The machine's physical memory, as POSIX systems report it.
#include "grab_plan.h"

#if !defined(_WIN32)

#include <unistd.h>

namespace kestrel::tool {

uint64_t physicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageBytes = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageBytes > 0 ? uint64_t(pages) * uint64_t(pageBytes) : 0;
}

} // namespace kestrel::tool

#endif // !_WIN32
