// Region of interest through the exports: range before grid, the buffer and shading registers,
// the clipping of the shading geometry, the published limits and the restore on failing writes.
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

TEST_F(RoiParameters, WidthWiderThanTheRoomAfterTheOffsetIsOutOfRange) {
    ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, 1024), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_XOFFSET, 3072), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_WIDTH, 1040), -6000);
    EXPECT_EQ(applet.set<uint32_t>(FG_WIDTH, 1024), 0);
}

TEST_F(RoiParameters, RejectsWidthNotMultipleOf16) {
    EXPECT_EQ(applet.set<uint32_t>(FG_WIDTH, 1000), -7080);
    EXPECT_EQ(applet.lastError(), -7080);
    EXPECT_EQ(u32(FG_WIDTH), 1024u);
    EXPECT_EQ(reg(names::kBank0XLength), 1024u);
}

TEST_F(RoiParameters, ChecksTheWidthRangeBeforeTheGrid) {
    EXPECT_EQ(applet.set<uint32_t>(FG_WIDTH, 8), -6000);
    EXPECT_EQ(applet.set<uint32_t>(FG_WIDTH, 0), -6000);
    EXPECT_EQ(applet.set<uint32_t>(FG_WIDTH, 4100), -6000);
    EXPECT_EQ(applet.set<uint32_t>(FG_WIDTH, 16), 0);
}

TEST_F(RoiParameters, RejectsXOffsetOffTheGrid) {
    EXPECT_EQ(applet.set<uint32_t>(FG_XOFFSET, 8), -7080);
    EXPECT_EQ(u32(FG_XOFFSET), 0u);
}

TEST_F(RoiParameters, HeightNeedsTwoLinesAndAnyLineCountInRange) {
    EXPECT_EQ(applet.set<uint32_t>(FG_HEIGHT, 1), -6000);
    EXPECT_EQ(applet.set<uint32_t>(FG_HEIGHT, 0), -6000);
    EXPECT_EQ(u32(FG_HEIGHT), 1024u);
    ASSERT_EQ(applet.set<uint32_t>(FG_HEIGHT, 2), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_YOFFSET, 1), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_HEIGHT, 4095), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_HEIGHT, 4096), -6000);
    EXPECT_EQ(reg(names::kBank0YLength), 4095u);
    EXPECT_EQ(reg(names::kBank1YLength), 4095u);
}

TEST_F(RoiParameters, YOffsetZeroIsAlwaysAccepted) {
    ASSERT_EQ(applet.set<uint32_t>(FG_HEIGHT, 4096), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_YOFFSET, 1), -6000);
    EXPECT_EQ(applet.set<uint32_t>(FG_YOFFSET, 0), 0);
}

TEST_F(RoiParameters, WidthWritesBothBanksAndQuarterWidthToBothShadingBuffers) {
    ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, 1040), 0);
    EXPECT_EQ(reg(names::kBank0XLength), 1040u);
    EXPECT_EQ(reg(names::kBank1XLength), 1040u);
    EXPECT_EQ(reg(names::kShading0XLength), 260u);
    EXPECT_EQ(reg(names::kShading1XLength), 260u);
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

TEST_F(RoiParameters, HeightWritesBothBanksAndBothShadingBuffers) {
    ASSERT_EQ(applet.set<uint32_t>(FG_HEIGHT, 300), 0);
    EXPECT_EQ(reg(names::kBank0YLength), 300u);
    EXPECT_EQ(reg(names::kBank1YLength), 300u);
    EXPECT_EQ(reg(names::kShading0YLength), 300u);
    EXPECT_EQ(reg(names::kShading1YLength), 300u);
}

TEST_F(RoiParameters, EveryRegionChangeRaisesBothShadingUpdateFlags) {
    applet.forceReg(names::kShading0Update, 0);
    applet.forceReg(names::kShading1Update, 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_YOFFSET, 10), 0);
    EXPECT_EQ(reg(names::kShading0Update), 1u);
    EXPECT_EQ(reg(names::kShading1Update), 1u);
}

TEST_F(RoiParameters, WidthWritesInBankThenShadingOrder) {
    RegisterWriteLog::start();
    ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, 2048), 0);
    const auto writes = named(RegisterWriteLog::stop(),
                              {names::kBank0XLength, names::kBank1XLength, names::kShading0XLength,
                               names::kShading0Update, names::kShading1XLength, names::kShading1Update});
    const std::vector<std::pair<std::string, uint64_t>> expected{
        {names::kBank0XLength, 2048}, {names::kBank1XLength, 2048},   {names::kShading0XLength, 512},
        {names::kShading0Update, 1},  {names::kShading1XLength, 512}, {names::kShading1Update, 1}};
    EXPECT_EQ(writes, expected);
}

TEST_F(RoiParameters, HeightWritesInBankThenShadingOrder) {
    RegisterWriteLog::start();
    ASSERT_EQ(applet.set<uint32_t>(FG_HEIGHT, 100), 0);
    const auto writes = named(RegisterWriteLog::stop(),
                              {names::kBank0YLength, names::kBank1YLength, names::kShading0YLength,
                               names::kShading0Update, names::kShading1YLength, names::kShading1Update});
    const std::vector<std::pair<std::string, uint64_t>> expected{
        {names::kBank0YLength, 100}, {names::kBank1YLength, 100},    {names::kShading0YLength, 100},
        {names::kShading0Update, 1}, {names::kShading1YLength, 100}, {names::kShading1Update, 1}};
    EXPECT_EQ(writes, expected);
}

TEST_F(RoiParameters, XOffsetWritesInBankThenShadingOrder) {
    RegisterWriteLog::start();
    ASSERT_EQ(applet.set<uint32_t>(FG_XOFFSET, 64), 0);
    const auto writes = named(RegisterWriteLog::stop(),
                              {names::kBank0XOffset, names::kBank1XOffset, names::kShading0XOffset,
                               names::kShading0Update, names::kShading1XOffset, names::kShading1Update});
    const std::vector<std::pair<std::string, uint64_t>> expected{
        {names::kBank0XOffset, 64},  {names::kBank1XOffset, 64},    {names::kShading0XOffset, 16},
        {names::kShading0Update, 1}, {names::kShading1XOffset, 16}, {names::kShading1Update, 1}};
    EXPECT_EQ(writes, expected);
}

TEST_F(RoiParameters, YOffsetWritesInBankThenShadingOrder) {
    RegisterWriteLog::start();
    ASSERT_EQ(applet.set<uint32_t>(FG_YOFFSET, 5), 0);
    const auto writes = named(RegisterWriteLog::stop(),
                              {names::kBank0YOffset, names::kBank1YOffset, names::kShading0YOffset,
                               names::kShading0Update, names::kShading1YOffset, names::kShading1Update,
                               names::kShading0YLength, names::kShading1YLength});
    const std::vector<std::pair<std::string, uint64_t>> expected{
        {names::kBank0YOffset, 5},   {names::kBank1YOffset, 5},    {names::kShading0YOffset, 5},
        {names::kShading0Update, 1}, {names::kShading1YOffset, 5}, {names::kShading1Update, 1}};
    EXPECT_EQ(writes, expected);
}

TEST_F(RoiParameters, PublishesTheRoomLeftForTheOppositeParameter) {
    ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, 2048), 0);
    const Gh5ParameterInfoNode* xOffset = infoNode(FG_XOFFSET);
    ASSERT_NE(xOffset, nullptr);
    EXPECT_EQ(xOffset->kind.integer.maximum, 2048);

    ASSERT_EQ(applet.set<uint32_t>(FG_XOFFSET, 1024), 0);
    const Gh5ParameterInfoNode* width = infoNode(FG_WIDTH);
    ASSERT_NE(width, nullptr);
    EXPECT_EQ(width->kind.integer.maximum, 3072);

    ASSERT_EQ(applet.set<uint32_t>(FG_HEIGHT, 1000), 0);
    const Gh5ParameterInfoNode* yOffset = infoNode(FG_YOFFSET);
    ASSERT_NE(yOffset, nullptr);
    EXPECT_EQ(yOffset->kind.integer.maximum, 3096);

    ASSERT_EQ(applet.set<uint32_t>(FG_YOFFSET, 96), 0);
    const Gh5ParameterInfoNode* height = infoNode(FG_HEIGHT);
    ASSERT_NE(height, nullptr);
    EXPECT_EQ(height->kind.integer.maximum, 4000);
}

TEST_F(RoiParameters, RefusedValueLeavesThePublishedLimitAlone) {
    ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, 2048), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_WIDTH, 1000), -7080);
    EXPECT_EQ(infoNode(FG_XOFFSET)->kind.integer.maximum, 2048);
}

// A failing write at each position of the width's six writes: the width keeps its old value,
// the registers written before the broken one keep their new contents, the later ones stay.
TEST_F(RoiParameters, FailingWriteAtAnyPositionLeavesTheWidthUnchanged) {
    const std::vector<const char*> order{names::kBank0XLength,    names::kBank1XLength,
                                         names::kShading0XLength, names::kShading0Update,
                                         names::kShading1XLength, names::kShading1Update};
    for (std::size_t broken = 0; broken < order.size(); ++broken) {
        SCOPED_TRACE(order[broken]);
        applet.forceReg(names::kShading0Update, 0);
        applet.forceReg(names::kShading1Update, 0);
        applet.failWrites(order[broken], kBrokenRegister);
        EXPECT_EQ(applet.set<uint32_t>(FG_WIDTH, 2048), kBrokenRegister);
        EXPECT_EQ(applet.lastError(), kBrokenRegister);
        EXPECT_EQ(u32(FG_WIDTH), 1024u);
        EXPECT_EQ(infoNode(FG_XOFFSET)->kind.integer.maximum, 3072);
        const std::vector<uint64_t> newValues{2048, 2048, 512, 1, 512, 1};
        const std::vector<uint64_t> oldValues{1024, 1024, 256, 0, 256, 0};
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (i < broken)
                EXPECT_EQ(reg(order[i]), newValues[i]) << order[i];
            else
                EXPECT_EQ(reg(order[i]), oldValues[i]) << order[i];
        }
        applet.failWrites(order[broken], 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_WIDTH, 1024), 0);
    }
}

TEST_F(RoiParameters, FailingWriteAtAnyPositionLeavesTheOtherGeometryUnchanged) {
    struct Case {
        int32_t id;
        uint32_t value;
        uint32_t old;
        std::vector<const char*> registers;
    };
    const std::vector<Case> cases{
        {FG_HEIGHT,
         512,
         1024,
         {names::kBank0YLength, names::kBank1YLength, names::kShading0YLength, names::kShading0Update,
          names::kShading1YLength, names::kShading1Update}},
        {FG_XOFFSET,
         32,
         0,
         {names::kBank0XOffset, names::kBank1XOffset, names::kShading0XOffset, names::kShading0Update,
          names::kShading1XOffset, names::kShading1Update}},
        {FG_YOFFSET,
         7,
         0,
         {names::kBank0YOffset, names::kBank1YOffset, names::kShading0YOffset, names::kShading0Update,
          names::kShading1YOffset, names::kShading1Update}},
    };
    for (const Case& c : cases) {
        for (const char* broken : c.registers) {
            SCOPED_TRACE(broken);
            applet.failWrites(broken, kBrokenRegister);
            EXPECT_EQ(applet.set<uint32_t>(c.id, c.value), kBrokenRegister);
            EXPECT_EQ(u32(c.id), c.old);
            applet.failWrites(broken, 0);
        }
    }
}

} // namespace
} // namespace kestrel::test
