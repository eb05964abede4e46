// Where sensor frames come from: the camera simulator, the camera's scene, image files.
#pragma once

#include "pipeline/frame.h"

#include <cstdint>

namespace kestrel::board {

// A source of 12-bit sensor frames. Frame n (counted from acquisition start) is a function of n
// and the source's settings alone, so a test can ask for any frame in any order.
class FrameSource {
public:
    virtual ~FrameSource() = default;

    // Renders frame `frameNumber` into `frame`, reshaping it as needed (its storage is reused,
    // so a caller that keeps one Frame12 allocates only when the size grows).
    virtual void render(uint64_t frameNumber, Frame12& frame) const = 0;
};

} // namespace kestrel::board
