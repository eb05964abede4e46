// Unit tests of the pipeline parameters on the applet core: the arithmetic of the shading
// geometry, the status bits and the pixel-rate model at points the board tests do not reach, and
// the setters on an applet context whose host and board are missing, so every call to them fails.
#include <gtest/gtest.h>

#include <limits>

#include "api/wrapper_private.h"
#include "info/parameter_info_nodes.h"
#include "params/parameter_ids.h"
#include "pipeline/camera_format_parameters.h"
#include "pipeline/image_selector_parameters.h"
#include "pipeline/pipeline_status.h"
#include "pipeline/roi_parameters.h"
#include "pipeline/simulator_parameters.h"

namespace kestrel {
namespace {

TEST(ShadingGeometry, XLengthCountsGroupsOfFourPixels) {
    EXPECT_EQ(ShadingGeometry::xLengthGroups(1040, 0), 260u);
    EXPECT_EQ(ShadingGeometry::xLengthGroups(4096, 0), 1024u);
    EXPECT_EQ(ShadingGeometry::xLengthGroups(16, 4080), 4u);
}

TEST(ShadingGeometry, LengthsAreClippedToTheImageArea) {
    EXPECT_EQ(ShadingGeometry::xLengthGroups(2048, 3072), 256u);
    EXPECT_EQ(ShadingGeometry::yLengthLines(2048, 3072), 1024u);
    EXPECT_EQ(ShadingGeometry::yLengthLines(100, 4096), 0u);
}

TEST(ShadingGeometry, OffsetsStopBeforeTheAreaEnds) {
    EXPECT_EQ(ShadingGeometry::xOffsetGroups(4080), 1020u);
    EXPECT_EQ(ShadingGeometry::xOffsetGroups(4096), 1020u);
    EXPECT_EQ(ShadingGeometry::xOffsetGroups(64), 16u);
    EXPECT_EQ(ShadingGeometry::yOffsetLines(4094), 4094u);
    EXPECT_EQ(ShadingGeometry::yOffsetLines(4095), 4094u);
    EXPECT_EQ(ShadingGeometry::yOffsetLines(7), 7u);
}

TEST(CameraStatusBits, ReplacesBits5To7AndKeepsTheHostsOthers) {
    EXPECT_EQ(extendedCameraStatus(0x1F, 0, 0), 0x1Fu);
    EXPECT_EQ(extendedCameraStatus(0xFF, 0, 0), 0x1Fu);
    EXPECT_EQ(extendedCameraStatus(0x100, 1, 80), 0x100u | 0x20u | 0xC0u);
    EXPECT_EQ(extendedCameraStatus(0x01, 0, 80), 0xC1u);
    EXPECT_EQ(extendedCameraStatus(0x00, 1, 100), 0xE0u);
    EXPECT_EQ(extendedCameraStatus(0x00, 0, 30), 0x40u);
}

TEST(GeneratorTiming, RoundsActiveCyclesToNearest) {
    EXPECT_EQ(generatorTiming(3.0, 25)->activeCycles, 1);  // 0.6 + 0.5
    EXPECT_EQ(generatorTiming(12.4, 25)->activeCycles, 2); // 2.48 + 0.5
    EXPECT_EQ(generatorTiming(12.5, 25)->activeCycles, 3); // 2.5 + 0.5
}

TEST(GeneratorTiming, NoActiveCycleCannotBeCounted) {
    EXPECT_FALSE(generatorTiming(1.0, 25).has_value()); // 0.2 + 0.5
    EXPECT_FALSE(generatorTiming(std::numeric_limits<double>::quiet_NaN(), 25).has_value());
}

TEST(GeneratorTiming, LeastAccuracyAndFrequencyAreCeilingsOfHalfTheBaseRate) {
    EXPECT_EQ(minimumGeneratorAccuracy(40.0), 2u);
    EXPECT_EQ(minimumGeneratorAccuracy(10.0), 7u);
    EXPECT_EQ(minimumGeneratorAccuracy(125.0), 1u);
    EXPECT_EQ(minimumGeneratorFrequencyMHz(25), 3.0);
    EXPECT_EQ(minimumGeneratorFrequencyMHz(20), 4.0);
    EXPECT_EQ(minimumGeneratorFrequencyMHz(1), 63.0);
}

TEST(GeneratorTiming, WidthCountRoundsDown) {
    EXPECT_EQ(generatorWidthCount(1024), 256u);
    EXPECT_EQ(generatorWidthCount(1023), 255u);
    EXPECT_EQ(generatorWidthCount(1028), 257u);
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

    WrapperPrivate host_;
    RegisterMap registers_;
    GeneratorRegisters generator_;
    ParameterValueBlock values_;
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

TEST_F(DetachedPipeline, FailingHostCallRestoresTheTimeout) {
    CameraFormatParameters parameters(context_);
    EXPECT_EQ(codeOf([&] { parameters.setTimeout(5, true); }), kErrNotAvailable);
    EXPECT_EQ(values_.timeoutSeconds, 1000000u);
    EXPECT_EQ(codeOf([&] { parameters.setTurboDmaMode(1, true); }), kErrNotAvailable);
    EXPECT_EQ(values_.turboDmaMode, 0u);
}

TEST_F(DetachedPipeline, RefusalIsSilentWithoutReportErrors) {
    CameraFormatParameters cameraFormat(context_);
    RoiParameters roi(context_);
    EXPECT_EQ(codeOf([&] { cameraFormat.setTimeout(1, false); }), 0);
    EXPECT_EQ(codeOf([&] { roi.setWidth(1000, false); }), 0);
    EXPECT_EQ(values_.timeoutSeconds, 1000000u);
    EXPECT_EQ(values_.widthPixels, 1024u);
}

// With reportErrors clear the writes go on past failures and the new value stays stored: the
// initial hardware state and configuration loading rely on every setter running to its end.
TEST_F(DetachedPipeline, FailingWritesWithoutReportErrorsKeepTheNewValue) {
    RoiParameters roi(context_);
    CameraFormatParameters cameraFormat(context_);
    EXPECT_EQ(codeOf([&] { roi.setWidth(2048, false); }), 0);
    EXPECT_EQ(values_.widthPixels, 2048u);
    EXPECT_EQ(xOffsetNode_.kind.integer.maximum, 2048);
    EXPECT_EQ(codeOf([&] { cameraFormat.setTimeout(7, false); }), 0);
    EXPECT_EQ(values_.timeoutSeconds, 7u);
}

TEST_F(DetachedPipeline, FailingBoardWriteRestoresTheFrequencyAndKeepsTheShadows) {
    SimulatorParameters simulator(context_);
    const int32_t code = codeOf([&] { simulator.setFrequency(50.0, true); });
    EXPECT_NE(code, 0);
    EXPECT_EQ(values_.generatorFrequencyMHz, 40.0);
    EXPECT_EQ(generator_.cachedValue(GeneratorRegister::Active), 3u);
    EXPECT_EQ(generator_.cachedValue(GeneratorRegister::Passive), 29u);
    EXPECT_EQ(accuracyNode_.kind.integer.minimum, 2);
}

TEST_F(DetachedPipeline, ActiveAndPassiveReadTheShadowsPlusOne) {
    SimulatorParameters simulator(context_);
    uint32_t active = 0;
    uint32_t passive = 0;
    simulator.getActive(&active);
    simulator.getPassive(&passive);
    EXPECT_EQ(active, 4u);
    EXPECT_EQ(passive, 30u);
}

TEST_F(DetachedPipeline, NaNFrequencyIsOutOfRange) {
    SimulatorParameters simulator(context_);
    EXPECT_EQ(codeOf([&] { simulator.setFrequency(std::numeric_limits<double>::quiet_NaN(), true); }),
              kErrOutOfRange);
    EXPECT_EQ(values_.generatorFrequencyMHz, 40.0);
}

TEST_F(DetachedPipeline, SelectionCheckUsesTheStoredPeriod) {
    ImageSelectorParameters selector(context_);
    values_.imageSelectPeriod = 4;
    EXPECT_EQ(codeOf([&] { selector.setSelection(4, true); }), kErrOutOfRange);
    EXPECT_EQ(codeOf([&] { selector.setSelection(3, true); }), kErrNotAvailable);
    EXPECT_EQ(values_.imageSelect, 0u);
}

} // namespace
} // namespace kestrel
