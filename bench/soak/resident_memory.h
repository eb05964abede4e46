// The resident memory of this process, as the operating system counts it.
#pragma once

#include <cstdint>

namespace kestrel::bench {

// Bytes of this process in physical memory now; 0 when the system cannot tell.
uint64_t residentBytes();

} // namespace kestrel::bench
