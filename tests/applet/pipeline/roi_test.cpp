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
    EXPECT_EQ(reg(names::kBank0XOffset), 16u);
}

TEST_F(RoiParameters, LastXOffsetWritesItsQuarterToBothShadingBuffers) {
    ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, 16), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_XOFFSET, 4080), 0);
    EXPECT_EQ(reg(names::kBank0XOffset), 4080u);
    EXPECT_EQ(reg(names::kBank1XOffset), 4080u);
    EXPECT_EQ(reg(names::kShading0XOffset), 1020u);
    EXPECT_EQ(reg(names::kShading1XOffset), 1020u);
}

TEST_F(RoiParameters, YOffsetAtTheLastLinesLeavesShadingLengthsAloneWhenTheRegionFits) {
    ASSERT_EQ(applet.set<uint32_t>(FG_HEIGHT, 2), 0);
    applet.forceReg(names::kShading0YLength, 77);
    applet.forceReg(names::kShading1YLength, 78);
    ASSERT_EQ(applet.set<uint32_t>(FG_YOFFSET, 4094), 0);
    EXPECT_EQ(reg(names::kBank0YOffset), 4094u);
    EXPECT_EQ(reg(names::kBank1YOffset), 4094u);
    EXPECT_EQ(reg(names::kShading0YOffset), 4094u);
    EXPECT_EQ(reg(names::kShading1YOffset), 4094u);
    EXPECT_EQ(reg(names::kShading0YLength), 77u);
    EXPECT_EQ(reg(names::kShading1YLength), 78u);
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
     {names::kBank0XLength, names::kBank1XLength, names::kShading0XLength, names::kShading0Update,
      names::kShading1XLength, names::kShading1Update},
     {2048, 2048, 512, 1, 512, 1},
     {1024, 1024, 256, 0, 256, 0},
     FG_XOFFSET,
     3072},
    {"Height",
     FG_HEIGHT,
     100,
     1024,
     {names::kBank0YLength, names::kBank1YLength, names::kShading0YLength, names::kShading0Update,
      names::kShading1YLength, names::kShading1Update},
     {100, 100, 100, 1, 100, 1},
     {1024, 1024, 1024, 0, 1024, 0},
     FG_YOFFSET,
     3072},
    {"XOffset",
     FG_XOFFSET,
     64,
     0,
     {names::kBank0XOffset, names::kBank1XOffset, names::kShading0XOffset, names::kShading0Update,
      names::kShading1XOffset, names::kShading1Update},
     {64, 64, 16, 1, 16, 1},
     {0, 0, 0, 0, 0, 0},
     FG_WIDTH,
     4096},
    // The region fits, so the shading lengths are not written.
    {"YOffset",
     FG_YOFFSET,
     5,
     0,
     {names::kBank0YOffset, names::kBank1YOffset, names::kShading0YOffset, names::kShading0Update,
      names::kShading1YOffset, names::kShading1Update},
     {5, 5, 5, 1, 5, 1},
     {0, 0, 0, 0, 0, 0},
     FG_HEIGHT,
     4096},
};

class RegionGeometry : public PipelineOnBoard, public ::testing::WithParamInterface<GeometryRow> {
protected:
    void SetUp() override {
        applet.forceReg(names::kShading0Update, 0);
        applet.forceReg(names::kShading1Update, 0);
    }
};

TEST_P(RegionGeometry, WritesBanksThenEachShadingBufferInOrder) {
    const GeometryRow& row = GetParam();
    std::vector<const char*> known = row.registers;
    known.insert(known.end(), {names::kShading0YLength, names::kShading1YLength});
    NamedWrites expected;
    for (std::size_t i = 0; i < row.registers.size(); ++i)
        expected.emplace_back(row.registers[i], row.newContents[i]);
    EXPECT_EQ(writesOf([&] { ASSERT_EQ(applet.set<uint32_t>(row.id, row.value), 0); }, known), expected);
}

INSTANTIATE_TEST_SUITE_P(EveryRegionParameter, RegionGeometry, ::testing::ValuesIn(kGeometryRows),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace kestrel::test
