// One pass over the samples.
#include "frame_stats.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kestrel::tool {

FrameStats measureFrame(const FrameImage& image) {
    const size_t count = size_t(image.width) * image.height;
    FrameStats stats;
    if (count == 0)
        return stats;
    uint32_t low = UINT32_MAX, high = 0;
    uint64_t sum = 0;
    double squares = 0.0;
    const auto scan = [&](const auto* samples) {
        for (size_t i = 0; i < count; ++i) {
            const uint32_t v = samples[i];
            low = std::min(low, v);
            high = std::max(high, v);
            sum += v;
            squares += double(v) * double(v);
        }
    };
    if (image.bits == 8)
        scan(static_cast<const uint8_t*>(image.pixels));
    else
        scan(static_cast<const uint16_t*>(image.pixels));
    stats.minimum = low;
    stats.maximum = high;
    stats.mean = double(sum) / double(count);
    stats.deviation = std::sqrt(std::max(0.0, squares / double(count) - stats.mean * stats.mean));
    return stats;
}

} // namespace kestrel::tool
