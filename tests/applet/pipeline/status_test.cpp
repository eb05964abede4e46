// Status readouts through the exports: overflow, fill level and the camera status words, from
// status registers set the way the emulation would set them.
#include "pipeline_fixture.h"

namespace kestrel::test {
namespace {

using PipelineStatusReadouts = PipelineOnBoard;

constexpr uint32_t kOverflowBit = 1u << 5;
constexpr uint32_t kBufferLevelBits = 3u << 6;

TEST_F(PipelineStatusReadouts, FillLevelIsTheFullerBankWithoutOverflow) {
    applet.forceReg(designName(HostRegister::OverflowOverflowOccurred), 0);
    applet.forceReg(designName(HostRegister::Buffer0DRAMA0FillLevel), 30);
    applet.forceReg(designName(HostRegister::Buffer0DRAMA1FillLevel), 80);
    EXPECT_EQ(u32(FG_FILLLEVEL), 80u);
    applet.forceReg(designName(HostRegister::Buffer0DRAMA0FillLevel), 90);
    EXPECT_EQ(u32(FG_FILLLEVEL), 90u);
}

TEST_F(PipelineStatusReadouts, OverflowReadsAsAFullBufferAndSetsBit5) {
    applet.forceReg(designName(HostRegister::OverflowOverflowOccurred), 1);
    applet.forceReg(designName(HostRegister::Buffer0DRAMA0FillLevel), 10);
    applet.forceReg(designName(HostRegister::Buffer0DRAMA1FillLevel), 10);
    EXPECT_EQ(u32(FG_OVERFLOW), 1u);
    EXPECT_EQ(u32(FG_FILLLEVEL), 100u);
    const uint32_t status = u32(FG_CAMSTATUS_EXTENDED);
    EXPECT_EQ(status & kOverflowBit, kOverflowBit);
    EXPECT_EQ(status & kBufferLevelBits, kBufferLevelBits);
}

TEST_F(PipelineStatusReadouts, BufferLevelCountsQuarters) {
    applet.forceReg(designName(HostRegister::OverflowOverflowOccurred), 0);
    applet.forceReg(designName(HostRegister::Buffer0DRAMA1FillLevel), 0);
    const std::vector<std::pair<uint64_t, uint32_t>> cases{{0, 0},  {24, 0}, {25, 1}, {49, 1}, {50, 2},
                                                           {74, 2}, {75, 3}, {80, 3}, {100, 3}};
    for (const auto& [fill, quarter] : cases) {
        applet.forceReg(designName(HostRegister::Buffer0DRAMA0FillLevel), fill);
        const uint32_t status = u32(FG_CAMSTATUS_EXTENDED);
        EXPECT_EQ(status & kBufferLevelBits, quarter << 6) << "fill level " << fill;
        EXPECT_EQ(status & kOverflowBit, 0u) << "fill level " << fill;
    }
}

TEST_F(PipelineStatusReadouts, KeepsTheHostsCameraBits) {
    applet.forceReg(designName(HostRegister::OverflowOverflowOccurred), 0);
    applet.forceReg(designName(HostRegister::Buffer0DRAMA0FillLevel), 0);
    applet.forceReg(designName(HostRegister::Buffer0DRAMA1FillLevel), 0);
    // The virtual camera's pixel clock always runs; nothing acquires, so no line or frame valid.
    EXPECT_EQ(u32(FG_CAMSTATUS_EXTENDED), 1u);
    EXPECT_EQ(u32(FG_CAMSTATUS), 1u);
}

TEST_F(PipelineStatusReadouts, StatusAndComputedParametersAreReadOnly) {
    for (const int32_t id : {FG_OVERFLOW, FG_FILLLEVEL, FG_CAMSTATUS, FG_CAMSTATUS_EXTENDED, FG_GEN_ACTIVE,
                             FG_GEN_PASSIVE, FG_GEN_LINE_WIDTH})
        EXPECT_EQ(applet.set<uint32_t>(id, 1), -12) << id;
}

} // namespace
} // namespace kestrel::test
