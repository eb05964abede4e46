// Region of interest through the exports: range before grid, the buffer and shading registers,
// the clipping of the shading geometry, the published limits and the restore on failing writes.
#include <ostream>

#include "pipeline_fixture.h"

namespace kestrel::test {
namespace {

using RoiParameters = PipelineOnBoard;

TEST_F(RoiParameters, FullWidthLeavesNoRoomForAnXOffsetUntilTheWidthShrinks) {
    ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, 4096), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_XOFFSET, 16), -6000);
    EXPECT_EQ(u32(FG_XOFFSET), 0u);
    ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, 4080), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_XOFFSET, 16), 0);
    EXPECT_EQ(u32(FG_XOFFSET), 16u);
    EXPECT_EQ(reg(designName(HostRegister::Buffer0DRAMA0XOffset)), 16u);
}

TEST_F(RoiParameters, LastXOffsetWritesItsQuarterToBothShadingBuffers) {
    ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, 16), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_XOFFSET, 4080), 0);
    EXPECT_EQ(reg(designName(HostRegister::Buffer0DRAMA0XOffset)), 4080u);
    EXPECT_EQ(reg(designName(HostRegister::Buffer0DRAMA1XOffset)), 4080u);
    EXPECT_EQ(reg(designName(HostRegister::ShadingShadingBuffer0XOffset)), 1020u);
    EXPECT_EQ(reg(designName(HostRegister::ShadingShadingBuffer1XOffset)), 1020u);
}

TEST_F(RoiParameters, YOffsetAtTheLastLinesLeavesShadingLengthsAloneWhenTheRegionFits) {
    ASSERT_EQ(applet.set<uint32_t>(FG_HEIGHT, 2), 0);
    applet.forceReg(designName(HostRegister::ShadingShadingBuffer0YLength), 77);
    applet.forceReg(designName(HostRegister::ShadingShadingBuffer1YLength), 78);
    ASSERT_EQ(applet.set<uint32_t>(FG_YOFFSET, 4094), 0);
    EXPECT_EQ(reg(designName(HostRegister::Buffer0DRAMA0YOffset)), 4094u);
    EXPECT_EQ(reg(designName(HostRegister::Buffer0DRAMA1YOffset)), 4094u);
    EXPECT_EQ(reg(designName(HostRegister::ShadingShadingBuffer0YOffset)), 4094u);
    EXPECT_EQ(reg(designName(HostRegister::ShadingShadingBuffer1YOffset)), 4094u);
    EXPECT_EQ(reg(designName(HostRegister::ShadingShadingBuffer0YLength)), 77u);
    EXPECT_EQ(reg(designName(HostRegister::ShadingShadingBuffer1YLength)), 78u);
}

// Each region parameter writes both buffer banks, then each shading buffer's geometry followed
// by its update flag.
struct GeometryRow {
    const char* name;
    int32_t id;
    uint32_t value;
    uint32_t old;
    std::vector<const char*> registers; // in write order
    std::vector<uint64_t> newContents;
    std::vector<uint64_t> oldContents;
    int32_t opposite; // the parameter whose published maximum the value sets
    int64_t oppositeMaximum;
};

void PrintTo(const GeometryRow& row, std::ostream* os) {
    *os << row.name;
}

const GeometryRow kGeometryRows[] = {
    {"Width",
     FG_WIDTH,
     2048,
     1024,
     {designName(HostRegister::Buffer0DRAMA0XLength), designName(HostRegister::Buffer0DRAMA1XLength),
      designName(HostRegister::ShadingShadingBuffer0XLength),
      designName(HostRegister::ShadingShadingBuffer0UpdateROI),
      designName(HostRegister::ShadingShadingBuffer1XLength),
      designName(HostRegister::ShadingShadingBuffer1UpdateROI)},
     {2048, 2048, 512, 1, 512, 1},
     {1024, 1024, 256, 0, 256, 0},
     FG_XOFFSET,
     3072},
    {"Height",
     FG_HEIGHT,
     100,
     1024,
     {designName(HostRegister::Buffer0DRAMA0YLength), designName(HostRegister::Buffer0DRAMA1YLength),
      designName(HostRegister::ShadingShadingBuffer0YLength),
      designName(HostRegister::ShadingShadingBuffer0UpdateROI),
      designName(HostRegister::ShadingShadingBuffer1YLength),
      designName(HostRegister::ShadingShadingBuffer1UpdateROI)},
     {100, 100, 100, 1, 100, 1},
     {1024, 1024, 1024, 0, 1024, 0},
     FG_YOFFSET,
     3072},
    {"XOffset",
     FG_XOFFSET,
     64,
     0,
     {designName(HostRegister::Buffer0DRAMA0XOffset), designName(HostRegister::Buffer0DRAMA1XOffset),
      designName(HostRegister::ShadingShadingBuffer0XOffset),
      designName(HostRegister::ShadingShadingBuffer0UpdateROI),
      designName(HostRegister::ShadingShadingBuffer1XOffset),
      designName(HostRegister::ShadingShadingBuffer1UpdateROI)},
     {64, 64, 16, 1, 16, 1},
     {0, 0, 0, 0, 0, 0},
     FG_WIDTH,
     4096},
    // The region fits, so the shading lengths are not written.
    {"YOffset",
     FG_YOFFSET,
     5,
     0,
     {designName(HostRegister::Buffer0DRAMA0YOffset), designName(HostRegister::Buffer0DRAMA1YOffset),
      designName(HostRegister::ShadingShadingBuffer0YOffset),
      designName(HostRegister::ShadingShadingBuffer0UpdateROI),
      designName(HostRegister::ShadingShadingBuffer1YOffset),
      designName(HostRegister::ShadingShadingBuffer1UpdateROI)},
     {5, 5, 5, 1, 5, 1},
     {0, 0, 0, 0, 0, 0},
     FG_HEIGHT,
     4096},
};

class RegionGeometry : public PipelineOnBoard, public ::testing::WithParamInterface<GeometryRow> {
protected:
    void SetUp() override {
        applet.forceReg(designName(HostRegister::ShadingShadingBuffer0UpdateROI), 0);
        applet.forceReg(designName(HostRegister::ShadingShadingBuffer1UpdateROI), 0);
    }
};

TEST_P(RegionGeometry, WritesBanksThenEachShadingBufferInOrder) {
    const GeometryRow& row = GetParam();
    std::vector<const char*> known = row.registers;
    known.insert(known.end(), {designName(HostRegister::ShadingShadingBuffer0YLength),
                               designName(HostRegister::ShadingShadingBuffer1YLength)});
    NamedWrites expected;
    for (std::size_t i = 0; i < row.registers.size(); ++i)
        expected.emplace_back(row.registers[i], row.newContents[i]);
    EXPECT_EQ(writesOf([&] { ASSERT_EQ(applet.set<uint32_t>(row.id, row.value), 0); }, known), expected);
}

INSTANTIATE_TEST_SUITE_P(EveryRegionParameter, RegionGeometry, ::testing::ValuesIn(kGeometryRows),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace kestrel::test
