// The frames a run lost, from the pictures that reached files.
#include "frame_loss.h"

#include <algorithm>

namespace kestrel::tool {

void FrameLossLedger::record(uint64_t picture, uint64_t cameraFrame, uint64_t lostBefore) {
    const uint64_t camera = cameraFrame + 1;
    if (lostBefore > lostBefore_)
        gaps_.push_back(FrameGap{picture, lostBefore - lostBefore_, lastCameraFrame_ + 1,
                                 camera > lastCameraFrame_ + 1 ? camera - 1 : lastCameraFrame_ + 1});
    lostBefore_ = std::max(lostBefore_, lostBefore);
    lastCameraFrame_ = camera;
}

std::string FrameLossLedger::describe(std::size_t maxGaps) const {
    if (lostBefore_ == 0)
        return "";
    std::string text = std::to_string(lostBefore_) + (lostBefore_ == 1 ? " frame" : " frames") + " lost:";
    for (std::size_t i = 0; i < gaps_.size() && i < maxGaps; ++i) {
        const FrameGap& gap = gaps_[i];
        text += (i == 0 ? " " : ", ") + std::to_string(gap.lost) + " of camera frames " +
                std::to_string(gap.firstCameraFrame) + " .. " + std::to_string(gap.lastCameraFrame) +
                " before frame " + std::to_string(gap.beforePicture);
    }
    if (gaps_.size() > maxGaps)
        text += " and " + std::to_string(gaps_.size() - maxGaps) + " more gaps";
    return text;
}

std::string frameLossHint(const std::string& format, uint32_t buffers) {
    std::string hint = "the board's on-board buffer was full: frames were written more slowly than the "
                       "camera made them";
    hint += format == "png" ? "; --format tiff writes faster than png" : "; a faster disk";
    hint += ", more --buffers than " + std::to_string(buffers) +
            ", a smaller window or a lower frame rate keep up";
    return hint;
}

} // namespace kestrel::tool
