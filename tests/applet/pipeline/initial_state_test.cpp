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

} // namespace
} // namespace kestrel::test
