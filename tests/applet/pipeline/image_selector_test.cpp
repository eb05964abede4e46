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
    EXPECT_EQ(reg(designName(HostRegister::ImageSelectorFGIMGSELECTPERIODDivisor)), 4u);
    EXPECT_EQ(reg(designName(HostRegister::ImageSelectorFGIMGSELECTPHASENumber)), 3u);
}

TEST_F(ImageSelectorParameters, PeriodCannotShrinkToTheSelection) {
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 4), 0);
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 3), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 3), -6000);
    EXPECT_EQ(u32(FG_IMG_SELECT_PERIOD), 4u);
    EXPECT_EQ(reg(designName(HostRegister::ImageSelectorFGIMGSELECTPERIODDivisor)), 4u);
    // Moving the selection down first makes room.
    ASSERT_EQ(applet.set<uint32_t>(FG_IMG_SELECT, 1), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_IMG_SELECT_PERIOD, 2), 0);
}

} // namespace
} // namespace kestrel::test
