// The DMA settings the host keeps, through the exports: their bounds and their hand-over to the host.
#include "pipeline_fixture.h"

namespace kestrel::test {
namespace {

using HostKeptParameters = PipelineOnBoard;

uint32_t hostValue(AppletOnBoard& applet, int32_t hostId) {
    uint32_t value = 0;
    EXPECT_EQ(Fg_getParameter(gh5_grabber_host(applet.fg()), hostId, &value, 0), 0);
    return value;
}

TEST_F(HostKeptParameters, TimeoutReachesTheHostFromCreationOn) {
    EXPECT_EQ(hostValue(applet, GH5_PARAM_TIMEOUT), 1000000u);
    ASSERT_EQ(applet.set<uint32_t>(FG_TIMEOUT, 2), 0);
    EXPECT_EQ(hostValue(applet, GH5_PARAM_TIMEOUT), 2u);
}

TEST_F(HostKeptParameters, TurboDmaModeIsForwardedToTheHost) {
    ASSERT_EQ(applet.set<uint32_t>(FG_TURBO_DMA_MODE, 1), 0);
    EXPECT_EQ(u32(FG_TURBO_DMA_MODE), 1u);
    EXPECT_EQ(hostValue(applet, GH5_PARAM_TURBO_DMA_MODE), 1u);
    EXPECT_EQ(applet.set<uint32_t>(FG_TURBO_DMA_MODE, 2), -6000);
    EXPECT_EQ(u32(FG_TURBO_DMA_MODE), 1u);
}

} // namespace
} // namespace kestrel::test
