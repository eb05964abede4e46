// Unit tests of the pipeline parameters on the applet core: the arithmetic of the shading
// geometry, the status bits and the pixel-rate model at points the board tests do not reach, and
// the setters on an applet context whose host and board are missing, so every call to them fails.
#include <gtest/gtest.h>

#include <limits>

#include "device/host_binding.h"
#include "info/parameter_info_nodes.h"
#include "params/initial_values.h"
#include "params/parameter_ids.h"
#include "pipeline/camera_format_parameters.h"
#include "pipeline/pipeline_status.h"
#include "pipeline/roi_parameters.h"
#include "pipeline/simulator_parameters.h"

namespace kestrel {
namespace {

// Groups of four pixels across, clipped to the 4096 x 4096 image area; offsets stop before its end.
TEST(ShadingGeometry, LengthsAndOffsetsStayInsideTheImageArea) {
    EXPECT_EQ(ShadingGeometry::xLengthGroups(1040, 0), 260u);
    EXPECT_EQ(ShadingGeometry::xLengthGroups(16, 4080), 4u);
    EXPECT_EQ(ShadingGeometry::xLengthGroups(2048, 3072), 256u);
    EXPECT_EQ(ShadingGeometry::yLengthLines(2048, 3072), 1024u);
    EXPECT_EQ(ShadingGeometry::yLengthLines(100, 4096), 0u);
    EXPECT_EQ(ShadingGeometry::xOffsetGroups(4096), 1020u);
    EXPECT_EQ(ShadingGeometry::xOffsetGroups(64), 16u);
    EXPECT_EQ(ShadingGeometry::yOffsetLines(4095), 4094u);
    EXPECT_EQ(ShadingGeometry::yOffsetLines(7), 7u);
}

// Bits 5 to 7 are the applet's: overflow, then the buffer's fill level in quarters.
TEST(CameraStatusBits, ReplacesBits5To7AndKeepsTheHostsOthers) {
    const struct {
        uint32_t host, overflow, fill, status;
    } rows[] = {{0x1F, 0, 0, 0x1F},  {0xFF, 0, 24, 0x1F}, {0x100, 1, 80, 0x1E0},
                {0x01, 0, 75, 0xC1}, {0x00, 0, 74, 0x80}, {0x00, 0, 50, 0x80},
                {0x00, 0, 49, 0x40}, {0x00, 0, 25, 0x40}, {0x00, 1, 100, 0xE0}};
    for (const auto& row : rows)
        EXPECT_EQ(extendedCameraStatus(row.host, row.overflow, row.fill), row.status) << row.fill;
}

TEST(GeneratorTiming, ActiveCyclesRoundToNearestAndNoneCannotBeCounted) {
    EXPECT_EQ(generatorTiming(3.0, 25)->activeCycles, 1);  // 0.6 + 0.5
    EXPECT_EQ(generatorTiming(12.4, 25)->activeCycles, 2); // 2.48 + 0.5
    EXPECT_EQ(generatorTiming(12.5, 25)->activeCycles, 3); // 2.5 + 0.5
    EXPECT_FALSE(generatorTiming(1.0, 25).has_value());    // 0.2 + 0.5
    EXPECT_FALSE(generatorTiming(std::numeric_limits<double>::quiet_NaN(), 25).has_value());
}

TEST(GeneratorTiming, LeastAccuracyAndFrequencyAreCeilingsOfHalfTheBaseRate) {
    EXPECT_EQ(minimumGeneratorAccuracy(40.0), 2u);
    EXPECT_EQ(minimumGeneratorAccuracy(10.0), 7u);
    EXPECT_EQ(minimumGeneratorAccuracy(125.0), 1u);
    EXPECT_EQ(minimumGeneratorFrequencyMHz(25), 3.0);
    EXPECT_EQ(minimumGeneratorFrequencyMHz(1), 63.0);
    EXPECT_EQ(generatorWidthCount(1023), 255u);
    EXPECT_EQ(generatorWidthCount(3), 0u);
}

// An applet context without a host or board: host calls answer -12 and board writes fail, so
// every setter's write fails at its first register.
class DetachedPipeline : public ::testing::Test {
protected:
    DetachedPipeline() {
        xOffsetNode_.type = kNodeInteger;
        xOffsetNode_.id = ids::FG_XOFFSET;
        xOffsetNode_.kind.integer.maximum = 3072;
        accuracyNode_.type = kNodeInteger;
        accuracyNode_.id = ids::FG_GEN_ACCURACY;
        accuracyNode_.kind.integer.minimum = 2;
        nodes_.enter(0, ids::FG_XOFFSET, &xOffsetNode_);
        nodes_.enter(0, ids::FG_GEN_ACCURACY, &accuracyNode_);
    }

    HostBinding host_;
    RegisterMap registers_;
    GeneratorRegisters generator_;
    ParameterValueBlock values_ = freshValueBlock();
    ParameterInfoNodes nodes_;
    ParameterPropertyMap properties_;
    ParameterInfoNode xOffsetNode_{};
    ParameterInfoNode accuracyNode_{};
    AppletContext context_{host_, registers_, generator_, values_, nodes_, properties_};
};

int32_t codeOf(auto&& call) {
    try {
        call();
    } catch (int32_t code) {
        return code;
    }
    return 0;
}

// A failing host call restores the old value; without reportErrors the setter goes on past failing
// writes and keeps the new value (the initial state and configuration loading rely on every setter
// running to its end), but a refused value stays refused, silently.
TEST_F(DetachedPipeline, ReportErrorsDecidesWhetherAFailureRestores) {
    CameraFormatParameters cameraFormat(context_);
    RoiParameters roi(context_);
    EXPECT_EQ(codeOf([&] { cameraFormat.setTimeout(5, true); }), kErrNotAvailable);
    EXPECT_EQ(values_.timeoutSeconds, 1000000u);
    // The handler table refuses a width off the grid before the setter sees it.
    ParameterHandlerTable table;
    roi.bind(table);
    cameraFormat.bind(table);
    const uint32_t offGrid = 1000;
    EXPECT_EQ(codeOf([&] { table.set(ids::FG_WIDTH, &offGrid, false); }), 0);
    const uint32_t tooShort = 1;
    EXPECT_EQ(codeOf([&] { table.set(ids::FG_TIMEOUT, &tooShort, false); }), 0);
    EXPECT_EQ(values_.timeoutSeconds, 1000000u);
    EXPECT_EQ(values_.widthPixels, 1024u);
    EXPECT_EQ(codeOf([&] { roi.setWidth(2048, false); }), 0);
    EXPECT_EQ(values_.widthPixels, 2048u);
    EXPECT_EQ(xOffsetNode_.kind.integer.maximum, 2048);
    EXPECT_EQ(codeOf([&] { cameraFormat.setTimeout(7, false); }), 0);
    EXPECT_EQ(values_.timeoutSeconds, 7u);
}

} // namespace
} // namespace kestrel
