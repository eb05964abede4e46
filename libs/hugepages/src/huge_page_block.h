// Blocks of memory on huge pages where the system has them.
#pragma once

#include <cstddef>

namespace kestrel::memory {

// A block of at least `bytes`, aligned for any element, or null when there is no memory; released
// only by releaseHugePageBlock. Blocks of several megabytes go on huge pages where the system has
// them: a frame or an image read into fresh memory then costs sixteen page faults for 32 MiB
// instead of eight thousand, and a line through it takes fewer address translations.
void* reserveHugePageBlock(std::size_t bytes) noexcept;
void releaseHugePageBlock(void* block) noexcept;

} // namespace kestrel::memory
