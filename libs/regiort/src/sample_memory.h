// Memory for the sample buffers the library hands out.
#ifndef KESTREL_REGIORT_SAMPLE_MEMORY_H
#define KESTREL_REGIORT_SAMPLE_MEMORY_H

#include <cstddef>

namespace kestrel::regiort {

// A block of at least `bytes` (null when there is no memory), released only by releaseSamples.
// An image of many megabytes is read into fresh memory, and every page of it is first touched
// by the read: where the system has huge pages, large blocks go on them, so that a 32 MiB image
// costs sixteen page faults instead of eight thousand.
void* reserveSamples(std::size_t bytes) noexcept;
void releaseSamples(void* samples) noexcept;

} // namespace kestrel::regiort

#endif
