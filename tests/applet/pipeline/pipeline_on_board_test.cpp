// The pipeline parameters of the applet on the virtual board, through the exports: what creation
// leaves in the registers, the region and simulator values as the board receives them, the rules
// between parameters, the status readouts and the settings the host keeps.
#include "pipeline_fixture.h"

#include "core/error_codes.h"

namespace kestrel::test {
namespace {

TEST_F(PipelineOnBoard, CreationWritesTheInitialRegionAndGenerator) {
    EXPECT_EQ(
        (std::vector<uint64_t>{reg(H::Buffer0DRAMA0XLength), reg(H::Buffer0DRAMA1YLength),
                               reg(H::ShadingShadingBuffer0XLength), reg(H::ShadingShadingBuffer1YLength),
                               reg(H::ShadingShadingBuffer0UpdateROI), reg(G::Width), reg(G::LineWidth),
                               reg(G::Active), reg(G::Passive), reg(G::Mask)}),
        (std::vector<uint64_t>{1024, 1024, 256, 1024, 1, 256, 257, 7, 16, 15}));
}

// Both buffer banks take the value; both shading buffers take it in groups of four pixels across,
// and raise their update flag.
TEST_F(PipelineOnBoard, RegionReachesBothBanksAndBothShadingBuffers) {
    const struct {
        int32_t id;
        uint32_t value;
        H bank0, bank1, shading0, shading1;
        uint64_t shading;
    } rows[] = {
        {FG_WIDTH, 2048, H::Buffer0DRAMA0XLength, H::Buffer0DRAMA1XLength, H::ShadingShadingBuffer0XLength,
         H::ShadingShadingBuffer1XLength, 512},
        {FG_HEIGHT, 100, H::Buffer0DRAMA0YLength, H::Buffer0DRAMA1YLength, H::ShadingShadingBuffer0YLength,
         H::ShadingShadingBuffer1YLength, 100},
        {FG_XOFFSET, 64, H::Buffer0DRAMA0XOffset, H::Buffer0DRAMA1XOffset, H::ShadingShadingBuffer0XOffset,
         H::ShadingShadingBuffer1XOffset, 16},
        {FG_YOFFSET, 5, H::Buffer0DRAMA0YOffset, H::Buffer0DRAMA1YOffset, H::ShadingShadingBuffer0YOffset,
         H::ShadingShadingBuffer1YOffset, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        applet.forceReg(designName(H::ShadingShadingBuffer0UpdateROI), 0);
        applet.forceReg(designName(H::ShadingShadingBuffer1UpdateROI), 0);
        mustSet(row.id, row.value);
        EXPECT_EQ(reg(row.bank0), row.value);
        EXPECT_EQ(reg(row.bank1), row.value);
        EXPECT_EQ(reg(row.shading0), row.shading);
        EXPECT_EQ(reg(row.shading1), row.shading);
        EXPECT_EQ(reg(H::ShadingShadingBuffer0UpdateROI), 1u);
        EXPECT_EQ(reg(H::ShadingShadingBuffer1UpdateROI), 1u);
    }
}

TEST_F(PipelineOnBoard, ImageSelectionMustStayBelowThePeriod) {
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 1), kErrOutOfRange);
    mustSet(FG_IMG_SELECT_PERIOD, 4);
    mustSet(FG_IMG_SELECT, 3);
    EXPECT_EQ(reg(H::ImageSelectorFGIMGSELECTPHASENumber), 3u);
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 3), kErrOutOfRange);
    EXPECT_EQ(reg(H::ImageSelectorFGIMGSELECTPERIODDivisor), 4u);
    mustSet(FG_IMG_SELECT, 1);
    mustSet(FG_IMG_SELECT_PERIOD, 2);
}

// The pixel clock splits into active and passive cycles; the registers count each minus one in
// 16 bits, so a clock at the base rate leaves all bits of the passive counter set.
TEST_F(PipelineOnBoard, FrequencyAndAccuracySplitIntoActiveAndPassiveCycles) {
    const struct {
        uint32_t accuracy;
        double frequency;
        uint32_t active, passive;
    } rows[] = {{25, 125.0, 25, 0}, {125, 40.0, 40, 85}, {25, 20.0, 4, 21}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.frequency);
        mustSet(FG_GEN_ACCURACY, row.accuracy);
        ASSERT_EQ(applet.set<double>(FG_GEN_FREQ, row.frequency), 0);
        EXPECT_EQ(u32(FG_GEN_ACTIVE), row.active);
        EXPECT_EQ(u32(FG_GEN_PASSIVE), row.passive);
        EXPECT_EQ(reg(G::Active), (row.active - 1) & 0xFFFFu);
        EXPECT_EQ(reg(G::Passive), (row.passive - 1) & 0xFFFFu);
    }
}

// Both registers count pairs of four pixels, rounded down; the line width adds the line gap.
TEST_F(PipelineOnBoard, SimulatorWidthAndLineGapWriteFourPixelPairCounts) {
    const struct {
        uint32_t width, gap;
        uint64_t widthCount, lineWidthCount;
        uint32_t lineWidthPixels;
    } rows[] = {{1023, 4, 255, 256, 1027}, {1024, 100, 256, 281, 1124}};
    for (const auto& row : rows) {
        mustSet(FG_GEN_WIDTH, row.width);
        mustSet(FG_GEN_LINE_GAP, row.gap);
        EXPECT_EQ(reg(G::Width), row.widthCount);
        EXPECT_EQ(reg(G::LineWidth), row.lineWidthCount);
        EXPECT_EQ(u32(FG_GEN_LINE_WIDTH), row.lineWidthPixels);
    }
}

TEST_F(PipelineOnBoard, TapsChangeTheirBitOfTheMask) {
    const struct {
        int32_t tap, on;
        uint64_t mask;
    } rows[] = {{FG_GEN_TAP2, 0, 13}, {FG_GEN_TAP4, 0, 5}, {FG_GEN_TAP2, 1, 7}};
    for (const auto& row : rows) {
        ASSERT_EQ(applet.set<int32_t>(row.tap, row.on), 0);
        EXPECT_EQ(reg(G::Mask), row.mask);
    }
}

TEST_F(PipelineOnBoard, FailedTapWriteKeepsTheMaskShadow) {
    applet.failWrites(designName(G::Mask), kBrokenRegister);
    EXPECT_EQ(applet.set<int32_t>(FG_GEN_TAP1, 0), kBrokenRegister);
    applet.failWrites(designName(G::Mask), 0);
    // The shadow still has tap 1 set, so clearing tap 3 writes 11, not 10.
    ASSERT_EQ(applet.set<int32_t>(FG_GEN_TAP3, 0), 0);
    EXPECT_EQ(reg(G::Mask), 11u);
}

TEST_F(PipelineOnBoard, FillLevelIsTheFullerBankAndOverflowReadsAsFull) {
    applet.forceReg(designName(H::OverflowOverflowOccurred), 0);
    applet.forceReg(designName(H::Buffer0DRAMA0FillLevel), 30);
    applet.forceReg(designName(H::Buffer0DRAMA1FillLevel), 80);
    EXPECT_EQ(u32(FG_FILLLEVEL), 80u);
    // The virtual camera's pixel clock always runs; nothing acquires, so no line or frame valid.
    EXPECT_EQ(u32(FG_CAMSTATUS), 1u);
    EXPECT_EQ(u32(FG_CAMSTATUS_EXTENDED), 1u | 3u << 6);
    applet.forceReg(designName(H::OverflowOverflowOccurred), 1);
    EXPECT_EQ(u32(FG_OVERFLOW), 1u);
    EXPECT_EQ(u32(FG_FILLLEVEL), 100u);
    EXPECT_EQ(u32(FG_CAMSTATUS_EXTENDED), 1u | 1u << 5 | 3u << 6);
}

TEST_F(PipelineOnBoard, StatusAndComputedParametersAreReadOnly) {
    for (const int32_t id : {FG_OVERFLOW, FG_FILLLEVEL, FG_CAMSTATUS, FG_CAMSTATUS_EXTENDED, FG_GEN_ACTIVE,
                             FG_GEN_PASSIVE, FG_GEN_LINE_WIDTH})
        EXPECT_EQ(applet.set<uint32_t>(id, 1), -12) << id;
}

TEST_F(PipelineOnBoard, TimeoutAndTurboDmaReachTheHost) {
    const auto host = [&](int32_t hostId) {
        uint32_t value = 0;
        EXPECT_EQ(Fg_getParameter(gh5_grabber_host(applet.fg()), hostId, &value, 0), 0);
        return value;
    };
    EXPECT_EQ(host(GH5_PARAM_TIMEOUT), 1000000u);
    mustSet(FG_TIMEOUT, 2);
    mustSet(FG_TURBO_DMA_MODE, 1);
    EXPECT_EQ(host(GH5_PARAM_TIMEOUT), 2u);
    EXPECT_EQ(host(GH5_PARAM_TURBO_DMA_MODE), 1u);
}

} // namespace
} // namespace kestrel::test
