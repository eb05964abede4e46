// What creation leaves on the board for the pipeline parameters: every register at the value
// the initial parameter values describe, and the published limits that follow from them. The
// parameters that drive a single register have their initial state checked with their rows.
#include "pipeline_fixture.h"

namespace kestrel::test {
namespace {

using PipelineInitialState = PipelineOnBoard;

TEST_F(PipelineInitialState, RegionAndSelectorRegistersMatchTheInitialValues) {
    EXPECT_EQ(reg(designName(HostRegister::Buffer0DRAMA0XLength)), 1024u);
    EXPECT_EQ(reg(designName(HostRegister::Buffer0DRAMA1XLength)), 1024u);
    EXPECT_EQ(reg(designName(HostRegister::Buffer0DRAMA0YLength)), 1024u);
    EXPECT_EQ(reg(designName(HostRegister::Buffer0DRAMA1YLength)), 1024u);
    EXPECT_EQ(reg(designName(HostRegister::Buffer0DRAMA0XOffset)), 0u);
    EXPECT_EQ(reg(designName(HostRegister::Buffer0DRAMA0YOffset)), 0u);
    EXPECT_EQ(reg(designName(HostRegister::ShadingShadingBuffer0XLength)), 256u);
    EXPECT_EQ(reg(designName(HostRegister::ShadingShadingBuffer1XLength)), 256u);
    EXPECT_EQ(reg(designName(HostRegister::ShadingShadingBuffer0YLength)), 1024u);
    EXPECT_EQ(reg(designName(HostRegister::ShadingShadingBuffer1YLength)), 1024u);
    EXPECT_EQ(reg(designName(HostRegister::ShadingShadingBuffer0UpdateROI)), 1u);
    EXPECT_EQ(reg(designName(HostRegister::ImageSelectorFGIMGSELECTPHASENumber)), 0u);
}

TEST_F(PipelineInitialState, GeneratorRegistersMatchTheInitialValues) {
    EXPECT_EQ(reg(designName(GeneratorRegister::Width)), 256u);
    EXPECT_EQ(reg(designName(GeneratorRegister::LineWidth)), 257u);
    EXPECT_EQ(reg(designName(GeneratorRegister::Active)), 7u);
    EXPECT_EQ(reg(designName(GeneratorRegister::Passive)), 16u);
    EXPECT_EQ(reg(designName(GeneratorRegister::Mask)), 15u);
}

} // namespace
} // namespace kestrel::test
