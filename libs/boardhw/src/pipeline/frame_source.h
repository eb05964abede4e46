// Where sensor frames come from: the camera simulator, the camera's scene, image files.
#pragma once

#include "pipeline/frame.h"

#include <cstdint>

namespace kestrel::board {

// A source of 12-bit sensor frames. Frame n (counted from acquisition start) is a function of n
// and the source's settings alone, so a test can ask for any frame in any order, and any line
// of it: a pipeline renders lines as it needs them, on several threads at once.
class FrameSource {
public:
    virtual ~FrameSource() = default;

    // The size of every frame the source makes.
    virtual uint32_t widthPixels() const = 0;
    virtual uint32_t heightLines() const = 0;

    // Line y (below heightLines()) of frame `frameNumber` into `line` (widthPixels() elements).
    virtual void renderLine(uint64_t frameNumber, uint32_t y, uint16_t* line) const = 0;

    // The whole frame into `frame`, reshaping it as needed (its storage is reused, so a caller
    // that keeps one Frame12 allocates only when the size grows).
    void render(uint64_t frameNumber, Frame12& frame) const {
        frame.resize(widthPixels(), heightLines());
        for (uint32_t y = 0; y < frame.heightLines(); ++y)
            renderLine(frameNumber, y, frame.row(y));
    }
};

// The sensor frame a pipeline reads: rows in memory, or one frame of a source, rendered a line
// at a time where it is needed, so that no whole sensor frame is written and read back.
class SensorRows {
public:
    // Rows in memory (implicit: a frame in memory is the usual case).
    SensorRows(FrameView frame) : frame_(frame) {}
    SensorRows(const FrameSource& source, uint64_t frameNumber)
        : frame_{nullptr, source.widthPixels(), source.heightLines(), 0}, source_(&source),
          frameNumber_(frameNumber) {}

    uint32_t widthPixels() const { return frame_.widthPixels; }
    uint32_t heightLines() const { return frame_.heightLines; }
    // Null when the rows are rendered.
    const FrameView* inMemory() const { return source_ ? nullptr : &frame_; }

    // Row y (below heightLines()): a pointer into the frame in memory, else rendered into
    // `scratch` (widthPixels() elements).
    const uint16_t* row(uint32_t y, uint16_t* scratch) const {
        if (!source_)
            return frame_.row(y);
        source_->renderLine(frameNumber_, y, scratch);
        return scratch;
    }

    // The whole frame in `storage` when it is rendered; the frame itself otherwise.
    FrameView materialise(Frame12& storage) const {
        if (!source_)
            return frame_;
        source_->render(frameNumber_, storage);
        return storage.view();
    }

private:
    FrameView frame_;
    const FrameSource* source_ = nullptr;
    uint64_t frameNumber_ = 0;
};

} // namespace kestrel::board
