// Image selector through the exports: the period/selection ordering rule.
#include "pipeline_fixture.h"

namespace kestrel::test {
namespace {

using ImageSelectorParameters = PipelineOnBoard;

TEST_F(ImageSelectorParameters, SelectionMustStayBelowThePeriod) {
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 1), -6000);
    EXPECT_EQ(u32(FG_IMG_SELECT), 0u);
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 4), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 3), 0);
    EXPECT_EQ(reg(names::kSelectPeriod), 4u);
    EXPECT_EQ(reg(names::kSelectPhase), 3u);
}

TEST_F(ImageSelectorParameters, PeriodCannotShrinkToTheSelection) {
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 4), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 3), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 3), -6000);
    EXPECT_EQ(u32(FG_IMG_SELECT_PERIOD), 4u);
    EXPECT_EQ(reg(names::kSelectPeriod), 4u);
    // Moving the selection down first makes room.
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 1), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 2), 0);
}

TEST_F(ImageSelectorParameters, Selection255NeedsPeriod256) {
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 255), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 255), -6000);
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 256), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 255), 0);
    EXPECT_EQ(reg(names::kSelectPhase), 255u);
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 256), -6000);
}

TEST_F(ImageSelectorParameters, FailingWriteKeepsTheOldPeriodAndSelection) {
    applet.failWrites(names::kSelectPeriod, kBrokenRegister);
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 8), kBrokenRegister);
    EXPECT_EQ(u32(FG_IMG_SELECT_PERIOD), 1u);
    // The failed period must not count as stored for the selection's check either.
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 2), -6000);
    applet.failWrites(names::kSelectPeriod, 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 8), 0);
    applet.failWrites(names::kSelectPhase, kBrokenRegister);
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 2), kBrokenRegister);
    EXPECT_EQ(u32(FG_IMG_SELECT), 0u);
}

} // namespace
} // namespace kestrel::test
