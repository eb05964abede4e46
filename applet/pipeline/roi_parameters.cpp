// Region-of-interest setters: the buffer and shading registers, and the partner's maximum, one
// formula for the check and the published limit.
#include "pipeline/roi_parameters.h"

#include <algorithm>

#include "params/parameter_ids.h"

namespace kestrel {

namespace {

// A write that fails quietly keeps the new value, which configuration loading reads back.
constexpr QuietFailure kOnQuietFailure = QuietFailure::KeepNewValue;

// The last line a shading buffer can start at keeps at least two lines in the area.
constexpr uint32_t kLastShadingYOffsetLines = kImageAreaSide - 2;
// The last column a shading buffer can start at keeps one 16-pixel column in the area.
constexpr uint32_t kLastShadingXOffsetPixels = kImageAreaSide - kRoiColumnStepPixels;

// Room left in the image area after an offset; offsets never exceed the side, but a wrapped
// subtraction must not turn a bad offset into a large room.
uint32_t roomAfter(uint32_t offset) {
    return offset >= kImageAreaSide ? 0 : kImageAreaSide - offset;
}

} // namespace

uint32_t ShadingGeometry::xLengthGroups(uint32_t widthPixels, uint32_t xOffsetPixels) {
    return std::min(widthPixels, roomAfter(xOffsetPixels)) / kShadingColumnGroupPixels;
}

uint32_t ShadingGeometry::yLengthLines(uint32_t heightLines, uint32_t yOffsetLines) {
    return std::min(heightLines, roomAfter(yOffsetLines));
}

uint32_t ShadingGeometry::xOffsetGroups(uint32_t xOffsetPixels) {
    return std::min(xOffsetPixels, kLastShadingXOffsetPixels) / kShadingColumnGroupPixels;
}

uint32_t ShadingGeometry::yOffsetLines(uint32_t yOffsetLines) {
    return std::min(yOffsetLines, kLastShadingYOffsetLines);
}

void RoiParameters::bind(ParameterHandlerTable& table) {
    table.bindSetterUpTo<&RoiParameters::setWidth, &RoiParameters::widthMaximum>(ids::FG_WIDTH, *this);
    table.bindSetterUpTo<&RoiParameters::setHeight, &RoiParameters::heightMaximum>(ids::FG_HEIGHT, *this);
    table.bindSetterUpTo<&RoiParameters::setXOffset, &RoiParameters::xOffsetMaximum>(ids::FG_XOFFSET, *this);
    table.bindSetterUpTo<&RoiParameters::setYOffset, &RoiParameters::yOffsetMaximum>(ids::FG_YOFFSET, *this);
}

uint32_t RoiParameters::widthMaximum() const {
    return roomAfter(context_.values.xOffsetPixels);
}

uint32_t RoiParameters::heightMaximum() const {
    return roomAfter(context_.values.yOffsetLines);
}

uint32_t RoiParameters::xOffsetMaximum() const {
    return roomAfter(context_.values.widthPixels);
}

uint32_t RoiParameters::yOffsetMaximum() const {
    return roomAfter(context_.values.heightLines);
}

void RoiParameters::writeShadingPair(HostRegister buffer0, HostRegister buffer1, uint32_t value,
                                     bool reportErrors) {
    context_.writeRegister(buffer0, value, reportErrors);
    context_.writeRegister(HostRegister::ShadingShadingBuffer0UpdateROI, 1, reportErrors);
    context_.writeRegister(buffer1, value, reportErrors);
    context_.writeRegister(HostRegister::ShadingShadingBuffer1UpdateROI, 1, reportErrors);
}

void RoiParameters::setWidth(uint32_t widthPixels, bool reportErrors) {
    ParameterValueBlock& values = context_.values;

    storeThenWrite<kOnQuietFailure>(values.widthPixels, widthPixels, reportErrors, [&] {
        context_.writeRegister(HostRegister::Buffer0DRAMA0XLength, widthPixels, reportErrors);
        context_.writeRegister(HostRegister::Buffer0DRAMA1XLength, widthPixels, reportErrors);
        writeShadingPair(HostRegister::ShadingShadingBuffer0XLength,
                         HostRegister::ShadingShadingBuffer1XLength,
                         ShadingGeometry::xLengthGroups(widthPixels, values.xOffsetPixels), reportErrors);
    });
    context_.limits.publishIntegerMaximum(ids::FG_XOFFSET, static_cast<int32_t>(xOffsetMaximum()));
}

void RoiParameters::setHeight(uint32_t heightLines, bool reportErrors) {
    ParameterValueBlock& values = context_.values;

    storeThenWrite<kOnQuietFailure>(values.heightLines, heightLines, reportErrors, [&] {
        context_.writeRegister(HostRegister::Buffer0DRAMA0YLength, heightLines, reportErrors);
        context_.writeRegister(HostRegister::Buffer0DRAMA1YLength, heightLines, reportErrors);
        writeShadingPair(HostRegister::ShadingShadingBuffer0YLength,
                         HostRegister::ShadingShadingBuffer1YLength,
                         ShadingGeometry::yLengthLines(heightLines, values.yOffsetLines), reportErrors);
    });
    context_.limits.publishIntegerMaximum(ids::FG_YOFFSET, static_cast<int32_t>(yOffsetMaximum()));
}

void RoiParameters::setXOffset(uint32_t xOffsetPixels, bool reportErrors) {
    ParameterValueBlock& values = context_.values;

    storeThenWrite<kOnQuietFailure>(values.xOffsetPixels, xOffsetPixels, reportErrors, [&] {
        context_.writeRegister(HostRegister::Buffer0DRAMA0XOffset, xOffsetPixels, reportErrors);
        context_.writeRegister(HostRegister::Buffer0DRAMA1XOffset, xOffsetPixels, reportErrors);
        writeShadingPair(HostRegister::ShadingShadingBuffer0XOffset,
                         HostRegister::ShadingShadingBuffer1XOffset,
                         ShadingGeometry::xOffsetGroups(xOffsetPixels), reportErrors);
    });
    context_.limits.publishIntegerMaximum(ids::FG_WIDTH, static_cast<int32_t>(widthMaximum()));
}

void RoiParameters::setYOffset(uint32_t yOffsetLines, bool reportErrors) {
    ParameterValueBlock& values = context_.values;

    storeThenWrite<kOnQuietFailure>(values.yOffsetLines, yOffsetLines, reportErrors, [&] {
        context_.writeRegister(HostRegister::Buffer0DRAMA0YOffset, yOffsetLines, reportErrors);
        context_.writeRegister(HostRegister::Buffer0DRAMA1YOffset, yOffsetLines, reportErrors);
        const uint32_t shadingOffset = ShadingGeometry::yOffsetLines(yOffsetLines);
        // The shading buffers start at most two lines before the end, so a full-height region
        // that starts further down is shortened before the buffers move there.
        if (uint64_t{values.heightLines} + shadingOffset > kImageAreaSide) {
            const uint32_t clippedLength = kImageAreaSide - shadingOffset;
            context_.writeRegister(HostRegister::ShadingShadingBuffer0YLength, clippedLength, reportErrors);
            context_.writeRegister(HostRegister::ShadingShadingBuffer1YLength, clippedLength, reportErrors);
        }
        writeShadingPair(HostRegister::ShadingShadingBuffer0YOffset,
                         HostRegister::ShadingShadingBuffer1YOffset, shadingOffset, reportErrors);
    });
    context_.limits.publishIntegerMaximum(ids::FG_HEIGHT, static_cast<int32_t>(heightMaximum()));
}

} // namespace kestrel
