// The acquisition region of interest: image size and offsets in the image buffer's two DRAM banks
// and in the shading stage's two coefficient buffers.
#pragma once

#include <cstdint>

#include "params/applet_context.h"
#include "params/parameter_handlers.h"

namespace kestrel {

// Side of the square camera image area, in pixels and in lines.
inline constexpr uint32_t kImageAreaSide = 4096;
// Horizontal step of the buffer's columns: widths and x offsets are multiples of it.
inline constexpr uint32_t kRoiColumnStepPixels = 16;
// The shading buffers address columns in groups of this many pixels.
inline constexpr uint32_t kShadingColumnGroupPixels = 4;

// Shading-buffer geometry derived from the region of interest. The coefficient buffers cover the
// image area only, so lengths are clipped where offset + length would leave it.
struct ShadingGeometry {
    // X length in column groups for a width at an x offset.
    static uint32_t xLengthGroups(uint32_t widthPixels, uint32_t xOffsetPixels);
    // Y length in lines for a height at a y offset.
    static uint32_t yLengthLines(uint32_t heightLines, uint32_t yOffsetLines);
    // X offset in column groups; the last column group the buffer can start at is 4080 / 4.
    static uint32_t xOffsetGroups(uint32_t xOffsetPixels);
    // Y offset in lines; the buffer starts two lines before the area's end at the latest.
    static uint32_t yOffsetLines(uint32_t yOffsetLines);
};

// FG_WIDTH, FG_HEIGHT, FG_XOFFSET, FG_YOFFSET. The handler table checks each value first against
// the range published for it (the opposite value leaves room for it: offset + size <= 4096) and
// the 16-pixel grid of width and x offset (-6000, then -7080). Every setter writes both DRAM banks
// then both shading buffers (each followed by its update register), and after success publishes
// the opposite parameter's new maximum in the information tree.
class RoiParameters {
public:
    explicit RoiParameters(AppletContext& context) : context_(context) {}
    RoiParameters(const RoiParameters&) = delete;
    RoiParameters& operator=(const RoiParameters&) = delete;

    void bind(ParameterHandlerTable& table);

    void setWidth(uint32_t widthPixels, bool reportErrors);
    void setHeight(uint32_t heightLines, bool reportErrors);
    void setXOffset(uint32_t xOffsetPixels, bool reportErrors);
    void setYOffset(uint32_t yOffsetLines, bool reportErrors);

    // The largest value each setter accepts now, and what the tree publishes as its maximum: the
    // room its partner's stored value leaves.
    uint32_t widthMaximum() const;
    uint32_t heightMaximum() const;
    uint32_t xOffsetMaximum() const;
    uint32_t yOffsetMaximum() const;

private:
    // Writes `value` to both shading buffers' register pair (buffer 0 then 1), each followed by a
    // 1 to that buffer's update register so the buffer takes the new geometry.
    void writeShadingPair(HostRegister buffer0, HostRegister buffer1, uint32_t value, bool reportErrors);

    AppletContext& context_;
};

} // namespace kestrel
