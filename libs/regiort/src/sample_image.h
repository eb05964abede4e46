// Single-sample grey images as the library hands them out and takes them in.
#ifndef KESTREL_REGIORT_SAMPLE_IMAGE_H
#define KESTREL_REGIORT_SAMPLE_IMAGE_H

#include "huge_page_block.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kestrel::regiort {

// The sample buffer crosses the C boundary and comes back to ImageFile_Release, which frees it.
struct SamplesDeleter {
    void operator()(void* p) const { memory::releaseHugePageBlock(p); }
};

struct SampleImage {
    std::unique_ptr<std::byte[], SamplesDeleter> samples; // row-major, 16-bit samples in host order
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitsPerSample = 0; // 8 or 16
};

struct SampleImageView {
    const void* samples = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitsPerSample = 0;
};

} // namespace kestrel::regiort

#endif
