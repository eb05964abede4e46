// Creation and forwarding with a host library that lacks the optional entry points.
#include <gtest/gtest.h>

#include "applet_under_test.h"
#include "core/error_codes.h"

using kestrel::test::AppletUnderTest;
using kestrel::test::HostRecord;

namespace {

// Built only against the host with just Fg_InitHandleSlaveAware and Fg_AcquireEx.
class MinimalHost : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(applet.loaded()); }
    AppletUnderTest applet{KESTREL_FAKE_APPLET_DIR};
};

} // namespace

TEST_F(MinimalHost, FailedInitialisationWithoutErrorNumberEntryGivesInitFailed) {
    applet.state().hostInitFails = 1;
    HostRecord record;
    EXPECT_EQ(applet.create(record), kestrel::kErrInitFailed);
    EXPECT_EQ(record.applet, nullptr);
    EXPECT_EQ(applet.state().designCloseCount, 1);
    EXPECT_FALSE(applet.hostLoaded());
}

// Only Fg_AcquireEx is there to forward to; without Fg_getLastErrorNumber a failure's last error
// stays "not available", and without Fg_FreeGrabber teardown still succeeds.
TEST_F(MinimalHost, MissingEntryPointsAnswerNotAvailable) {
    HostRecord record;
    ASSERT_EQ(applet.create(record), 0);
    const auto& api = applet.api();
    constexpr int32_t na = kestrel::kErrNotAvailable;
    EXPECT_EQ(api.Fg_getStatusEx(&record, 0, 0, 0, 0), na);
    EXPECT_EQ(api.Fg_getLastErrorNumber(&record), na);
    EXPECT_EQ(api.Fg_getAppletId(&record, 0), na);
    EXPECT_EQ(api.Fg_stopAcquireEx(&record, 0, 0, 0), na);
    EXPECT_EQ(api.Fg_getLastPicNumberEx(&record, 0, 0), na);
    EXPECT_EQ(api.Fg_getLastPicNumberBlockingEx(&record, 0, 0, 0, 0), na);
    for (int32_t port = 0; port < 4; ++port)
        EXPECT_EQ(api.Fg_getParameterInfo(&record, port), nullptr);
    applet.state().hostNextResult = 0;
    EXPECT_EQ(api.Fg_AcquireEx(&record, 0, 1, 0, 0), 0);
    EXPECT_EQ(api.Fg_getLastErrorNumber(&record), 0);
    applet.state().hostNextResult = -20;
    EXPECT_EQ(api.Fg_AcquireEx(&record, 0, 1, 0, 0), -20);
    EXPECT_EQ(api.Fg_getLastErrorNumber(&record), na);
    EXPECT_EQ(api.Fg_FreeGrabber(&record), 0);
    EXPECT_EQ(record.applet, nullptr);
    EXPECT_EQ(applet.state().designCloseCount, 1);
    EXPECT_FALSE(applet.hostLoaded());
}
