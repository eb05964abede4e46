// Std_entry with each of its dependencies failing in turn: every host entry point missing, the
// design image or the host initialisation refusing, each register id look-up answering 0, each
// host parameter write and each board write failing. Each time creation ends in a clean error or
// in the object, and Fg_FreeGrabber after a success returns the host handle, closes the image and
// lets go of the host library. Leaks are left to the sanitizer build, which runs this too.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "applet_under_test.h"
#include "core/error_codes.h"

using kestrel::test::AppletUnderTest;
using kestrel::test::HostRecord;

namespace {

class CreationUnderFaults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(applet.loaded()); }

    // A fresh fault plan: every name the applet asks the host for gets an id.
    FakeState& freshState() {
        FakeState& s = applet.state();
        s = FakeState{};
        s.hostHandle = &hostRecordStandIn;
        s.hostResolveAllNames = 1;
        s.hostWriteFailCode = -4242;
        return s;
    }

    // Creates and frees one applet, checking what every creation must leave behind; Std_entry's code.
    int32_t createAndFree(const std::string& what) {
        SCOPED_TRACE(what);
        HostRecord record;
        const int32_t error = applet.create(record);
        const FakeState& s = applet.state();
        if (error != 0) {
            EXPECT_LT(error, 0);
            EXPECT_EQ(record.applet, nullptr) << "an object came back with an error";
        } else {
            EXPECT_NE(record.applet, nullptr);
            EXPECT_EQ(applet.api().Fg_FreeGrabber(&record), s.hostFreeGrabberResult);
        }
        EXPECT_EQ(s.designCloseCount, s.designOpenedCount) << "the design image stayed open";
        return error;
    }

    std::vector<FakeHostWrite> hostWrites() {
        const FakeState& s = applet.state();
        return {s.hostWrites, s.hostWrites + std::min(s.hostWriteCount, FAKE_MAX_HOST_WRITES)};
    }

    AppletUnderTest applet{KESTREL_FAKE_APPLET_DIR};
    int hostRecordStandIn = 0;
};

bool sameWrite(const FakeHostWrite& a, const FakeHostWrite& b) {
    return a.id == b.id && a.type == b.type && a.value == b.value;
}

} // namespace

TEST_F(CreationUnderFaults, EachMissingHostEntryPoint) {
    std::stringstream list(KESTREL_HOST_ENTRY_POINTS);
    for (std::string entry; std::getline(list, entry, ',');) {
        const std::string path = std::string(KESTREL_FAKE_WITHOUT_DIR) + "/" + entry + "/libgrabhost5.so";
        void* host = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(host, nullptr) << dlerror();
        ASSERT_EQ(dlsym(host, entry.c_str()), nullptr) << entry << " is still there";
        FakeState& s = freshState();
        // Only one initialisation entry point is missing at a time: creation always succeeds.
        EXPECT_EQ(createAndFree("without " + entry), 0);
        EXPECT_EQ(s.hostFreeGrabberCalls, entry == "Fg_FreeGrabber" ? 0 : 1) << entry;
        EXPECT_EQ(s.hostLookupCount > 0, entry != "Fg_getParameterIdByName") << entry;
        dlclose(host);
        void* stays = dlopen("libgrabhost5.so", RTLD_NOW | RTLD_NOLOAD);
        EXPECT_EQ(stays, nullptr) << "the host stayed loaded after Fg_FreeGrabber without " << entry;
        if (stays != nullptr)
            dlclose(stays);
    }
}

// The host's own number passes through. A failed initialisation that reports 0 is no failure to
// creation, which goes on without a host handle; freeing then asks nothing of the host.
TEST_F(CreationUnderFaults, DesignImageAndHostInitialisationRefusing) {
    struct Row {
        const char* what;
        int32_t designFailOpen, hostInitFails, hostInitErrorNumber, expected;
    };
    const Row rows[] = {{"image not opened", 1, 0, 0, kestrel::kErrInitFailed},
                        {"host initialisation with an error number", 0, 1, -4711, -4711},
                        {"host initialisation with error number 0", 0, 1, 0, 0}};
    for (const Row& row : rows) {
        FakeState& s = freshState();
        s.designFailOpen = row.designFailOpen;
        s.hostInitFails = row.hostInitFails;
        s.hostInitErrorNumber = row.hostInitErrorNumber;
        EXPECT_EQ(createAndFree(row.what), row.expected) << row.what;
        EXPECT_EQ(s.hostFreeGrabberCalls, 0) << row.what;
        EXPECT_FALSE(applet.hostLoaded()) << row.what;
    }
}

TEST_F(CreationUnderFaults, EachRegisterIdLookUpAnsweringZero) {
    FakeState& census = freshState();
    ASSERT_EQ(createAndFree("census"), 0);
    const int32_t hostLookups = census.hostLookupCount, designLookups = census.designLookupCount;
    ASSERT_GE(designLookups, 9);
    for (int32_t k = 1; k <= hostLookups; ++k) {
        freshState().hostLookupFailAt = k;
        EXPECT_EQ(createAndFree("host look-up " + std::to_string(k)), 0);
    }
    for (int32_t k = 1; k <= designLookups; ++k) {
        freshState().designLookupFailAt = k;
        EXPECT_EQ(createAndFree("design look-up " + std::to_string(k)), 0);
    }
}

// The post-build settings end at their first failing write; the initial hardware state ignores
// each failure and goes on to its end.
TEST_F(CreationUnderFaults, EachHostWriteFailing) {
    FakeState& census = freshState();
    ASSERT_EQ(createAndFree("census"), 0);
    const std::vector<FakeHostWrite> clean = hostWrites();
    ASSERT_LE(census.hostWriteCount, FAKE_MAX_HOST_WRITES);
    // The post-build settings start with the default gain (4096), the initial hardware state with
    // the simulator's board writes.
    int32_t defaultGain = 0;
    while (defaultGain < census.hostNameCount &&
           std::strcmp(census.hostNames[defaultGain], "Device1_Process0_Shading_EnableGain_Default_Value") !=
               0)
        ++defaultGain;
    std::size_t postBuildBegin = 0;
    while (postBuildBegin < clean.size() && !(clean[postBuildBegin].id == FAKE_HOST_ID_BASE + defaultGain &&
                                              clean[postBuildBegin].value == 4096))
        ++postBuildBegin;
    ASSERT_LT(postBuildBegin, clean.size()) << "no post-build write of the default gain";
    ASSERT_GT(census.boardFirstGeneratorSeq, 0);
    std::size_t initialBegin = postBuildBegin;
    while (initialBegin < clean.size() && clean[initialBegin].seq < census.boardFirstGeneratorSeq)
        ++initialBegin;
    ASSERT_LT(initialBegin, clean.size());

    for (std::size_t k = 1; k <= clean.size(); ++k) {
        freshState().hostWriteFailAt = static_cast<int32_t>(k);
        const std::string what = "host write " + std::to_string(k) + " of " + std::to_string(clean.size());
        ASSERT_EQ(createAndFree(what), 0) << what;
        const std::vector<FakeHostWrite> faulted = hostWrites();
        SCOPED_TRACE(what);
        ASSERT_GE(faulted.size(), k);
        for (std::size_t i = 0; i < k; ++i)
            ASSERT_TRUE(sameWrite(faulted[i], clean[i])) << "write " << i + 1 << " before the fault differs";
        if (k > postBuildBegin && k <= initialBegin) {
            // Nothing more of the post-build settings, then the whole initial state as without the failure.
            ASSERT_EQ(faulted.size(), k + (clean.size() - initialBegin));
            for (std::size_t i = 0; i < clean.size() - initialBegin; ++i)
                ASSERT_TRUE(sameWrite(faulted[k + i], clean[initialBegin + i])) << "initial write " << i + 1;
        } else if (k != clean.size()) {
            EXPECT_TRUE(sameWrite(faulted.back(), clean.back())) << "the writes stopped early";
        }
    }
}

TEST_F(CreationUnderFaults, EachBoardWriteFailing) {
    FakeState& census = freshState();
    ASSERT_EQ(createAndFree("census"), 0);
    const int32_t boardWrites = census.boardWriteCalls;
    ASSERT_GE(boardWrites, 9);
    for (int32_t k = 1; k <= boardWrites; ++k) {
        freshState().boardWriteFailAt = k;
        EXPECT_EQ(createAndFree("board write " + std::to_string(k)), 0);
        EXPECT_EQ(applet.state().boardWriteCalls, boardWrites) << "board writes stopped after failure " << k;
    }
}
