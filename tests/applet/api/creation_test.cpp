// Creating and destroying the applet through Std_entry and Fg_FreeGrabber, on a complete fake host.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "applet_under_test.h"

using kestrel::test::AppletUnderTest;
using kestrel::test::HostRecord;
using kestrel::test::ScopedEnvironment;

namespace {

constexpr uint64_t kDesignImageBytes = 2113379;

class Creation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(applet.loaded()); }

    AppletUnderTest applet{KESTREL_FAKE_APPLET_DIR};
};

// Runs a test body in a fresh directory and returns to the previous one afterwards.
class ScopedWorkingDirectory {
public:
    ScopedWorkingDirectory() {
        previous_ = std::filesystem::current_path();
        char pattern[] = "/tmp/kestrel-api-XXXXXX";
        directory_ = mkdtemp(pattern);
        std::filesystem::current_path(directory_);
    }
    ~ScopedWorkingDirectory() {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(directory_);
    }
    void createFile(const char* name) {
        FILE* file = std::fopen(name, "wb");
        std::fputs("image", file);
        std::fclose(file);
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path directory_;
};

} // namespace

TEST_F(Creation, StdEntryReturnsTheAppletAndZero) {
    HostRecord record;
    EXPECT_EQ(applet.create(record), 0);
    ASSERT_NE(record.applet, nullptr);
    EXPECT_TRUE(applet.hostLoaded());
    EXPECT_EQ(applet.api().Fg_FreeGrabber(&record), 0);
}

TEST_F(Creation, OpensTheEmbeddedImageWithItsFullLength) {
    HostRecord record;
    ASSERT_EQ(applet.create(record), 0);
    const FakeState& s = applet.state();
    EXPECT_EQ(s.designOpenMemoryCount, 1);
    EXPECT_EQ(s.designOpenFileCount, 0);
    EXPECT_EQ(s.designLastLength, kDesignImageBytes);
    EXPECT_EQ(s.designLastFlags, 1);
    uint64_t length = 0;
    uint64_t address = 0;
    ASSERT_EQ(applet.api().Info(1042, 0, 0, &length, &address), 0);
    EXPECT_EQ(reinterpret_cast<uint64_t>(s.designLastStart), address);
    applet.api().Fg_FreeGrabber(&record);
}

TEST_F(Creation, InitialisesTheHostHandleSlaveAwareWithImageNameBoardAndImage) {
    HostRecord record;
    void* const board = reinterpret_cast<void*>(0x5eed);
    ASSERT_EQ(applet.create(record, board), 0);
    const FakeState& s = applet.state();
    EXPECT_EQ(s.hostInitSlaveAwareCalls, 1);
    EXPECT_EQ(s.hostInitCalls, 0);
    EXPECT_STREQ(s.hostInitImageName, "Kestrel12.hap");
    EXPECT_EQ(s.hostInitBoard, board);
    EXPECT_EQ(s.hostInitImage, s.designLastImage);
    EXPECT_EQ(s.hostInitSlaveAware, 0);
    applet.api().Fg_FreeGrabber(&record);
}

TEST_F(Creation, NonZeroFlagsRefuseWithoutLoadingTheHost) {
    int32_t error = 0;
    EXPECT_EQ(applet.api().Std_entry(nullptr, &error, 1), nullptr);
    EXPECT_EQ(error, -2070);
    EXPECT_FALSE(applet.hostLoaded());
    EXPECT_EQ(applet.state().designOpenMemoryCount + applet.state().designOpenFileCount, 0);
}

TEST_F(Creation, NullErrorPointerStillCreatesAndRefuses) {
    EXPECT_EQ(applet.api().Std_entry(nullptr, nullptr, 1), nullptr);
    void* object = applet.api().Std_entry(reinterpret_cast<void*>(1), nullptr, 0);
    ASSERT_NE(object, nullptr);
    HostRecord record{object};
    EXPECT_EQ(applet.api().Fg_FreeGrabber(&record), 0);
}

TEST_F(Creation, ForcedExternalImageWithEmptyValueOpensTheFile) {
    ScopedWorkingDirectory directory;
    directory.createFile("Kestrel12.hap");
    ScopedEnvironment force("__QUIL_FORCE_EXTERNAL_HAP", "");
    HostRecord record;
    ASSERT_EQ(applet.create(record), 0);
    const FakeState& s = applet.state();
    EXPECT_EQ(s.designOpenFileCount, 1);
    EXPECT_EQ(s.designOpenMemoryCount, 0);
    EXPECT_STREQ(s.designLastPath, "Kestrel12.hap");
    EXPECT_EQ(s.designLastVersion, 2626);
    EXPECT_EQ(s.designLastFlags, 1);
    applet.api().Fg_FreeGrabber(&record);
}

TEST_F(Creation, ForcedExternalImageMissingFailsAndLeavesNothingLoaded) {
    ScopedWorkingDirectory directory;
    ScopedEnvironment force("__QUIL_FORCE_EXTERNAL_HAP", "1");
    HostRecord record;
    EXPECT_EQ(applet.create(record), -100);
    EXPECT_EQ(record.applet, nullptr);
    EXPECT_EQ(applet.state().designOpenFileCount, 1);
    EXPECT_EQ(applet.state().designCloseCount, 0);
    EXPECT_FALSE(applet.hostLoaded());
    EXPECT_EQ(applet.state().hostInitSlaveAwareCalls, 0);
}

TEST_F(Creation, ImageThatDoesNotOpenGivesMinus100) {
    applet.state().designFailOpen = 1;
    HostRecord record;
    EXPECT_EQ(applet.create(record), -100);
    EXPECT_EQ(record.applet, nullptr);
    EXPECT_FALSE(applet.hostLoaded());
}

TEST_F(Creation, HostInitialisationFailureReportsTheHostErrorAndClosesTheImage) {
    applet.state().hostInitFails = 1;
    applet.state().hostInitErrorNumber = -4711;
    HostRecord record;
    EXPECT_EQ(applet.create(record), -4711);
    EXPECT_EQ(record.applet, nullptr);
    EXPECT_EQ(applet.state().designOpenMemoryCount, 1);
    EXPECT_EQ(applet.state().designCloseCount, 1);
    EXPECT_FALSE(applet.hostLoaded());
}

TEST_F(Creation, ARefusedSimulatorWriteDoesNotFailCreation) {
    applet.state().boardFailId = FAKE_GENERATOR_ID_BASE + 3;
    applet.state().boardFailCode = -7001;
    HostRecord record;
    EXPECT_EQ(applet.create(record), 0);
    // The refused write is not recorded: the simulator writes go on with the next register.
    const FakeState& s = applet.state();
    ASSERT_GE(s.boardWriteCount, 8);
    for (int i = 0; i < 8; ++i) {
        const uint32_t expected = FAKE_GENERATOR_ID_BASE + static_cast<uint32_t>(i < 3 ? i : i + 1);
        EXPECT_EQ(s.boardWrites[i].id, expected) << i;
    }
    applet.api().Fg_FreeGrabber(&record);
}

TEST_F(Creation, RecordsTheLastBoardAndImageProcessWide) {
    uint64_t board = 1;
    uint64_t image = 1;
    ASSERT_EQ(applet.api().Info(4144, 0, 0, &board, nullptr), 0);
    ASSERT_EQ(applet.api().Info(4160, 0, 0, &image, nullptr), 0);
    EXPECT_EQ(board, 0u);
    EXPECT_EQ(image, 0u);

    HostRecord record;
    ASSERT_EQ(applet.create(record, reinterpret_cast<void*>(0xb0a2d)), 0);
    applet.api().Info(4144, 0, 0, &board, nullptr);
    applet.api().Info(4160, 0, 0, &image, nullptr);
    EXPECT_EQ(board, 0xb0a2du);
    EXPECT_EQ(image, reinterpret_cast<uint64_t>(applet.state().designLastImage));
    applet.api().Fg_FreeGrabber(&record);
}

TEST_F(Creation, FreeGrabberReleasesHostHandleClosesImageUnloadsHostAndClearsTheRecord) {
    HostRecord record;
    ASSERT_EQ(applet.create(record), 0);
    applet.state().hostFreeGrabberResult = 7;
    EXPECT_EQ(applet.api().Fg_FreeGrabber(&record), 7);
    EXPECT_EQ(record.applet, nullptr);
    EXPECT_EQ(record.hostData, 0xfeedfacecafebeefull);
    EXPECT_EQ(applet.state().hostFreeGrabberCalls, 1);
    EXPECT_EQ(applet.state().hostLastHandle, applet.state().hostHandle);
    EXPECT_EQ(applet.state().designCloseCount, 1);
    EXPECT_FALSE(applet.hostLoaded());
}

TEST_F(Creation, SecondFreeGrabberOnTheSameRecordFindsNoApplet) {
    HostRecord record;
    ASSERT_EQ(applet.create(record), 0);
    EXPECT_EQ(applet.api().Fg_FreeGrabber(&record), 0);
    EXPECT_EQ(applet.api().Fg_FreeGrabber(&record), -2001);
    EXPECT_EQ(applet.state().hostFreeGrabberCalls, 1);
}

TEST_F(Creation, TwoAppletsShareTheHostLibraryUntilTheLastIsFreed) {
    HostRecord first;
    HostRecord second;
    ASSERT_EQ(applet.create(first), 0);
    ASSERT_EQ(applet.create(second), 0);
    EXPECT_NE(first.applet, second.applet);
    applet.api().Fg_FreeGrabber(&first);
    EXPECT_TRUE(applet.hostLoaded());
    applet.api().Fg_FreeGrabber(&second);
    EXPECT_FALSE(applet.hostLoaded());
}
