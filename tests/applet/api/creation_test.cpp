// Creating and destroying the applet through Std_entry and Fg_FreeGrabber, on a complete fake host.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "applet_under_test.h"
#include "core/error_codes.h"

using kestrel::test::AppletUnderTest;
using kestrel::test::HostRecord;
using kestrel::test::ScopedEnvironment;

namespace {

class Creation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(applet.loaded()); }
    AppletUnderTest applet{KESTREL_FAKE_APPLET_DIR};
};

TEST_F(Creation, OpensTheEmbeddedImageAndInitialisesTheHostSlaveAware) {
    HostRecord record;
    void* const board = reinterpret_cast<void*>(0x5eed);
    ASSERT_EQ(applet.create(record, board), 0);
    ASSERT_NE(record.applet, nullptr);
    const FakeState& s = applet.state();
    EXPECT_EQ(s.designOpenMemoryCount, 1);
    EXPECT_EQ(s.designLastFlags, 1);
    EXPECT_EQ(s.hostInitSlaveAwareCalls, 1);
    EXPECT_STREQ(s.hostInitImageName, "Kestrel12.hap");
    EXPECT_EQ(s.hostInitBoard, board);
    EXPECT_EQ(s.hostInitImage, s.designLastImage);
    EXPECT_EQ(s.hostInitSlaveAware, 0);
    // The last board is recorded process-wide.
    uint64_t lastBoard = 0;
    applet.api().Info(4144, 0, 0, &lastBoard, nullptr);
    EXPECT_EQ(lastBoard, 0x5eedu);
    applet.api().Fg_FreeGrabber(&record);
}

// The host's own number for its failed initialisation passes through; the image goes again.
TEST_F(Creation, FailedHostInitialisationGivesTheHostsErrorNumber) {
    applet.state().hostInitFails = 1;
    applet.state().hostInitErrorNumber = -4711;
    HostRecord record;
    EXPECT_EQ(applet.create(record), -4711);
    EXPECT_EQ(record.applet, nullptr);
    EXPECT_EQ(applet.state().designCloseCount, 1);
    EXPECT_FALSE(applet.hostLoaded());
}

TEST_F(Creation, NonZeroFlagsAreRefusedBeforeAnythingIsLoaded) {
    int32_t error = 0;
    EXPECT_EQ(applet.api().Std_entry(nullptr, &error, 1), nullptr);
    EXPECT_EQ(error, kestrel::kErrInvalidArgument);
    EXPECT_EQ(applet.api().Std_entry(nullptr, nullptr, 1), nullptr);
    EXPECT_FALSE(applet.hostLoaded());
    EXPECT_EQ(applet.state().designOpenMemoryCount + applet.state().designOpenFileCount, 0);
    // Without an error pointer, creation still succeeds.
    HostRecord record{applet.api().Std_entry(reinterpret_cast<void*>(1), nullptr, 0)};
    ASSERT_NE(record.applet, nullptr);
    EXPECT_EQ(applet.api().Fg_FreeGrabber(&record), 0);
}

// The switch counts when set at all, even to "": the image is then the file in the working directory.
TEST_F(Creation, ForcedExternalImageIsOpenedFromTheWorkingDirectory) {
    const auto previous = std::filesystem::current_path();
    char pattern[] = "/tmp/kestrel-api-XXXXXX";
    const std::filesystem::path directory = mkdtemp(pattern);
    std::filesystem::current_path(directory);
    ScopedEnvironment force("__QUIL_FORCE_EXTERNAL_HAP", "");
    HostRecord record;
    EXPECT_EQ(applet.create(record), kestrel::kErrInitFailed) << "no file yet";
    EXPECT_EQ(record.applet, nullptr);
    EXPECT_FALSE(applet.hostLoaded());
    std::fclose(std::fopen("Kestrel12.hap", "wb"));
    EXPECT_EQ(applet.create(record), 0);
    const FakeState& s = applet.state();
    EXPECT_STREQ(s.designLastPath, "Kestrel12.hap");
    EXPECT_EQ(s.designLastVersion, 2626);
    applet.api().Fg_FreeGrabber(&record);
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(directory);
}

TEST_F(Creation, FreeGrabberReleasesEverythingAndTheLastOneUnloadsTheHost) {
    HostRecord first, second;
    ASSERT_EQ(applet.create(first), 0);
    ASSERT_EQ(applet.create(second), 0);
    EXPECT_NE(first.applet, second.applet);
    FakeState& s = applet.state();
    s.hostFreeGrabberResult = 7;
    EXPECT_EQ(applet.api().Fg_FreeGrabber(&first), 7);
    EXPECT_EQ(first.applet, nullptr);
    EXPECT_EQ(first.hostData, 0xfeedfacecafebeefull);
    EXPECT_EQ(s.hostLastHandle, s.hostHandle);
    EXPECT_EQ(s.designCloseCount, 1);
    EXPECT_TRUE(applet.hostLoaded());
    EXPECT_EQ(applet.api().Fg_FreeGrabber(&first), kestrel::kErrNoApplet);
    EXPECT_EQ(s.hostFreeGrabberCalls, 1);
    applet.api().Fg_FreeGrabber(&second);
    EXPECT_FALSE(applet.hostLoaded());
}

} // namespace
