// Creation and forwarding with host libraries that lack entry points, or no host library at all.
// One executable per fake host; KESTREL_FAKE_HOST_VARIANT names the one this build uses.
#include <gtest/gtest.h>

#include <string_view>

#include "applet_under_test.h"
#include "core/error_codes.h"

using kestrel::test::AppletUnderTest;
using kestrel::test::HostRecord;

namespace {

// Each suite runs only in the executable built for its host; CMake also filters by suite name.
template <const char* Variant> class HostVariant : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::string_view(KESTREL_FAKE_HOST_VARIANT) != Variant)
            GTEST_SKIP() << "needs the " << Variant << " host";
        ASSERT_TRUE(applet.loaded());
    }
    AppletUnderTest applet{KESTREL_FAKE_APPLET_DIR};
};

constexpr char kNoHost[] = "no_host", kNoInit[] = "no_init", kThreeArg[] = "three_arg",
               kMinimal[] = "minimal";
using WithoutHostLibrary = HostVariant<kNoHost>;
using HostWithoutInitialisation = HostVariant<kNoInit>;
using HostWithThreeArgumentInitialisation = HostVariant<kThreeArg>;
using MinimalHost = HostVariant<kMinimal>;

} // namespace

TEST_F(WithoutHostLibrary, CreationFailsAndOpensNoImage) {
    HostRecord record;
    EXPECT_EQ(applet.create(record), kestrel::kErrHostUnusable);
    EXPECT_EQ(record.applet, nullptr);
    EXPECT_EQ(applet.state().designOpenMemoryCount, 0);
}

TEST_F(HostWithoutInitialisation, CreationFailsClosesTheImageAndUnloadsTheHost) {
    HostRecord record;
    EXPECT_EQ(applet.create(record), kestrel::kErrHostUnusable);
    EXPECT_EQ(record.applet, nullptr);
    EXPECT_EQ(applet.state().designOpenMemoryCount, 1);
    EXPECT_EQ(applet.state().designCloseCount, 1);
    EXPECT_FALSE(applet.hostLoaded());
}

TEST_F(HostWithThreeArgumentInitialisation, InitialisesThroughTheThreeArgumentEntryPoint) {
    HostRecord record;
    void* const board = reinterpret_cast<void*>(0x3a3);
    ASSERT_EQ(applet.create(record, board), 0);
    const FakeState& s = applet.state();
    EXPECT_EQ(s.hostInitCalls, 1);
    EXPECT_EQ(s.hostInitSlaveAwareCalls, 0);
    EXPECT_STREQ(s.hostInitImageName, "Kestrel12.hap");
    EXPECT_EQ(s.hostInitBoard, board);
    EXPECT_EQ(s.hostInitImage, s.designLastImage);
    EXPECT_EQ(applet.api().Fg_FreeGrabber(&record), 0);
    EXPECT_FALSE(applet.hostLoaded());
}

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
