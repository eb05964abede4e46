// What creation leaves on the board for the pipeline parameters: every register at the value
// the initial parameter values describe, and the published limits that follow from them. The
// parameters that drive a single register have their initial state checked with their rows.
#include "pipeline_fixture.h"

namespace kestrel::test {
namespace {

using PipelineInitialState = PipelineOnBoard;

TEST_F(PipelineInitialState, RegionAndSelectorRegistersMatchTheInitialValues) {
    EXPECT_EQ(reg(names::kBank0XLength), 1024u);
    EXPECT_EQ(reg(names::kBank1XLength), 1024u);
    EXPECT_EQ(reg(names::kBank0YLength), 1024u);
    EXPECT_EQ(reg(names::kBank1YLength), 1024u);
    EXPECT_EQ(reg(names::kBank0XOffset), 0u);
    EXPECT_EQ(reg(names::kBank0YOffset), 0u);
    EXPECT_EQ(reg(names::kShading0XLength), 256u);
    EXPECT_EQ(reg(names::kShading1XLength), 256u);
    EXPECT_EQ(reg(names::kShading0YLength), 1024u);
    EXPECT_EQ(reg(names::kShading1YLength), 1024u);
    EXPECT_EQ(reg(names::kShading0Update), 1u);
    EXPECT_EQ(reg(names::kSelectPhase), 0u);
}

TEST_F(PipelineInitialState, GeneratorRegistersMatchTheInitialValues) {
    EXPECT_EQ(reg(names::kGenWidth), 256u);
    EXPECT_EQ(reg(names::kGenLineWidth), 257u);
    EXPECT_EQ(reg(names::kGenActive), 7u);
    EXPECT_EQ(reg(names::kGenPassive), 16u);
    EXPECT_EQ(reg(names::kGenMask), 15u);
}

TEST_F(PipelineInitialState, GettersReadTheInitialValues) {
    EXPECT_EQ(u32(FG_TIMEOUT), 1000000u);
    EXPECT_EQ(u32(FG_TURBO_DMA_MODE), 0u);
    EXPECT_EQ(u32(FG_WIDTH), 1024u);
    EXPECT_EQ(u32(FG_HEIGHT), 1024u);
    EXPECT_EQ(u32(FG_XOFFSET), 0u);
    EXPECT_EQ(u32(FG_YOFFSET), 0u);
    EXPECT_EQ(u32(FG_GEN_WIDTH), 1024u);
    EXPECT_EQ(u32(FG_GEN_LINE_GAP), 4u);
    EXPECT_EQ(f64(FG_GEN_FREQ), 40.0);
    EXPECT_EQ(u32(FG_GEN_ACCURACY), 25u);
    for (int32_t tap : {FG_GEN_TAP1, FG_GEN_TAP2, FG_GEN_TAP3, FG_GEN_TAP4})
        EXPECT_EQ(i32(tap), 1);
    EXPECT_EQ(u32(FG_GEN_ACTIVE), 8u);
    EXPECT_EQ(u32(FG_GEN_PASSIVE), 17u);
    EXPECT_EQ(u32(FG_GEN_LINE_WIDTH), 1028u);
    EXPECT_EQ(u32(FG_IMG_SELECT), 0u);
}

TEST_F(PipelineInitialState, PublishedLimitsFollowTheInitialValues) {
    ASSERT_NE(infoNode(FG_XOFFSET), nullptr);
    EXPECT_EQ(infoNode(FG_XOFFSET)->kind.integer.maximum, 3072);
    EXPECT_EQ(infoNode(FG_YOFFSET)->kind.integer.maximum, 3072);
    EXPECT_EQ(infoNode(FG_WIDTH)->kind.integer.maximum, 4096);
    EXPECT_EQ(infoNode(FG_HEIGHT)->kind.integer.maximum, 4096);
    EXPECT_EQ(infoNode(FG_GEN_ACCURACY)->kind.integer.minimum, 2);
    EXPECT_EQ(infoNode(FG_GEN_FREQ)->kind.real.minimum, 3.0);
}

} // namespace
} // namespace kestrel::test
