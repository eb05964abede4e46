// Sample buffers from the C heap: large pages need a privilege applications do not have.
#include "sample_memory.h"

#include <cstdlib>

namespace kestrel::regiort {

void* reserveSamples(std::size_t bytes) noexcept {
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void releaseSamples(void* samples) noexcept {
    std::free(samples);
}

} // namespace kestrel::regiort
