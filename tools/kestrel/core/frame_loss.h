// Which frames of a run never reached a file: each written picture's camera frame and the board's
// count of frames lost before it, turned into the count, the camera frames and the reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::tool {

// Frames lost between two written pictures, or before the first one.
struct FrameGap {
    uint64_t beforePicture = 0;    // the picture after the gap (from 1)
    uint64_t lost = 0;             // frames the board lost there
    uint64_t firstCameraFrame = 0; // the camera frames the lost ones lie among, counted from 1
    uint64_t lastCameraFrame = 0;
};

// Fed with the pictures of one run in order; frames the board lost after the last picture belong
// to no frame of the run and are not counted.
class FrameLossLedger {
public:
    // cameraFrame counted from 0 at the start, as the host reports it; lostBefore the board's
    // count of frames lost since the start when the picture was stored.
    void record(uint64_t picture, uint64_t cameraFrame, uint64_t lostBefore);

    uint64_t lost() const { return lostBefore_; }
    const std::vector<FrameGap>& gaps() const { return gaps_; }
    // "5 frames lost: camera frames 3 .. 7 before frame 3, ..." naming at most maxGaps gaps; ""
    // when nothing was lost.
    std::string describe(std::size_t maxGaps = 5) const;

private:
    uint64_t lastCameraFrame_ = 0; // counted from 1; 0 before the first picture
    uint64_t lostBefore_ = 0;
    std::vector<FrameGap> gaps_;
};

// Why a run loses frames and what to change, for a frame of frameBytes written as format ("tiff"
// or "png") through a ring of buffers.
std::string frameLossHint(const std::string& format, uint32_t buffers);

} // namespace kestrel::tool
