// Region-of-interest cut, whole frame and line by line.
#include "pipeline/roi.h"

#include <algorithm>
#include <cstring>

namespace kestrel::board {

Frame12 cutWindow(FrameView sensor, const RoiWindow& roi) {
    Frame12 window(roi.widthPixels, roi.heightLines, 0);
    for (uint32_t y = 0; y < roi.heightLines; ++y) {
        for (uint32_t x = 0; x < roi.widthPixels; ++x) {
            const uint64_t sensorX = uint64_t{x} + roi.xOffset;
            const uint64_t sensorY = uint64_t{y} + roi.yOffset;
            if (sensorX < sensor.widthPixels && sensorY < sensor.heightLines)
                window.at(x, y) = sensor.at(uint32_t(sensorX), uint32_t(sensorY)) & kSampleMask;
        }
    }
    return window;
}

const uint16_t* windowLine(const SensorRows& sensor, const RoiWindow& roi, uint32_t y, uint16_t* scratch,
                           uint16_t* rowScratch) {
    const uint64_t sensorY = uint64_t{y} + roi.yOffset;
    const uint64_t firstX = roi.xOffset;
    const uint64_t endX = firstX + roi.widthPixels;
    if (sensorY < sensor.heightLines() && endX <= sensor.widthPixels())
        return sensor.row(uint32_t(sensorY), rowScratch) + firstX;

    // Only the part [firstX, min(endX, sensor width)) carries camera data.
    std::fill_n(scratch, roi.widthPixels, uint16_t{0});
    if (sensorY < sensor.heightLines() && firstX < sensor.widthPixels()) {
        const size_t inside = size_t(std::min<uint64_t>(endX, sensor.widthPixels()) - firstX);
        std::memcpy(scratch, sensor.row(uint32_t(sensorY), rowScratch) + firstX, inside * sizeof(uint16_t));
    }
    return scratch;
}

} // namespace kestrel::board
