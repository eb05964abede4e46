// Std_entry with each of its dependencies failing in turn: every host entry point missing, the
// design image or the host initialisation refusing, each register id look-up answering 0, each
// host parameter write and each board write failing. Each time creation ends in a clean error or
// in the object, and Fg_FreeGrabber after a success returns the host handle, closes the image and
// lets go of the host library. Leaks are left to the sanitizer build, which runs this too.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "applet_under_test.h"

using kestrel::test::AppletUnderTest;
using kestrel::test::HostRecord;

namespace {

constexpr int32_t kWriteFault = -4242;

std::vector<std::string> hostEntryPoints() {
    std::vector<std::string> names;
    std::stringstream list(KESTREL_HOST_ENTRY_POINTS);
    for (std::string name; std::getline(list, name, ',');)
        names.push_back(name);
    return names;
}

bool hostLibraryLoaded() {
    void* host = dlopen("libgrabhost5.so", RTLD_NOW | RTLD_NOLOAD);
    if (host == nullptr)
        return false;
    dlclose(host);
    return true;
}

class CreationUnderFaults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(applet.loaded()); }

    // A fresh fault plan: every name the applet asks the host for gets an id.
    FakeState& freshState() {
        FakeState& s = applet.state();
        s = FakeState{};
        s.hostHandle = &hostRecordStandIn;
        s.hostResolveAllNames = 1;
        s.hostWriteFailCode = kWriteFault;
        return s;
    }

    // Creates and frees one applet; checks what every creation must leave behind. Returns
    // Std_entry's code.
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
            const int32_t expected = s.hostFreeGrabberResult;
            EXPECT_EQ(applet.api().Fg_FreeGrabber(&record), expected);
            EXPECT_EQ(record.applet, nullptr);
        }
        EXPECT_EQ(s.designCloseCount, s.designOpenedCount) << "the design image stayed open";
        return error;
    }

    int32_t hostNameIndex(const char* name) const {
        const FakeState& s = const_cast<AppletUnderTest&>(applet).state();
        for (int32_t i = 0; i < s.hostNameCount; ++i)
            if (std::strcmp(s.hostNames[i], name) == 0)
                return i;
        return -1;
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
    for (const std::string& entry : hostEntryPoints()) {
        const std::string path = std::string(KESTREL_FAKE_WITHOUT_DIR) + "/" + entry + "/libgrabhost5.so";
        void* host = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(host, nullptr) << dlerror();
        ASSERT_EQ(dlsym(host, entry.c_str()), nullptr) << entry << " is still there";
        FakeState& s = freshState();
        // Only one initialisation entry point is missing at a time: creation always succeeds.
        EXPECT_EQ(createAndFree("without " + entry), 0) << entry;
        EXPECT_EQ(s.hostFreeGrabberCalls, entry == "Fg_FreeGrabber" ? 0 : 1) << entry;
        if (entry != "Fg_getParameterIdByName") {
            EXPECT_GT(s.hostLookupCount, 0) << entry;
        }
        dlclose(host);
        EXPECT_FALSE(hostLibraryLoaded()) << "the host stayed loaded after Fg_FreeGrabber without " << entry;
    }
    std::printf("%s: %zu fault points tried\n",
                ::testing::UnitTest::GetInstance()->current_test_info()->name(), hostEntryPoints().size());
}

TEST_F(CreationUnderFaults, DesignImageAndHostInitialisationRefusing) {
    struct Row {
        const char* what;
        int32_t designFailOpen, hostInitFails, hostInitErrorNumber, expected;
    };
    const Row rows[] = {
        {"image not opened", 1, 0, 0, -100},
        {"host initialisation with an error number", 0, 1, -4711, -4711},
        {"host initialisation with error number 0", 0, 1, 0, 0},
    };
    for (const Row& row : rows) {
        FakeState& s = freshState();
        s.designFailOpen = row.designFailOpen;
        s.hostInitFails = row.hostInitFails;
        s.hostInitErrorNumber = row.hostInitErrorNumber;
        // The host's own number passes through. A failed initialisation that reports 0 is no
        // failure to creation, which goes on without a host handle; freeing then asks nothing of
        // the host.
        EXPECT_EQ(createAndFree(row.what), row.expected) << row.what;
        EXPECT_EQ(s.hostFreeGrabberCalls, 0) << row.what;
        EXPECT_FALSE(applet.hostLoaded()) << row.what;
    }
    std::printf("%s: %zu fault points tried\n",
                ::testing::UnitTest::GetInstance()->current_test_info()->name(), std::size(rows));
}

TEST_F(CreationUnderFaults, EachRegisterIdLookUpAnsweringZero) {
    FakeState& census = freshState();
    ASSERT_EQ(createAndFree("census"), 0);
    const int32_t hostLookups = census.hostLookupCount;
    const int32_t designLookups = census.designLookupCount;
    // The 127 registers of the register map: the simulator's nine by the design, the rest by the host.
    ASSERT_GE(designLookups, 9);
    ASSERT_GE(hostLookups + designLookups, 127);
    for (int32_t k = 1; k <= hostLookups; ++k) {
        freshState().hostLookupFailAt = k;
        EXPECT_EQ(createAndFree("host look-up " + std::to_string(k)), 0);
    }
    for (int32_t k = 1; k <= designLookups; ++k) {
        freshState().designLookupFailAt = k;
        EXPECT_EQ(createAndFree("design look-up " + std::to_string(k)), 0);
    }
    RecordProperty("fault_points", hostLookups + designLookups);
    std::printf("%s: %d fault points tried\n",
                ::testing::UnitTest::GetInstance()->current_test_info()->name(),
                static_cast<int>(hostLookups + designLookups));
}

// The post-build settings end at their first failing write; the initial hardware state ignores
// each failure and goes on to its end.
TEST_F(CreationUnderFaults, EachHostWriteFailing) {
    FakeState& census = freshState();
    ASSERT_EQ(createAndFree("census"), 0);
    const std::vector<FakeHostWrite> clean = hostWrites();
    ASSERT_LE(census.hostWriteCount, FAKE_MAX_HOST_WRITES);
    const int32_t defaultGain = hostNameIndex("Device1_Process0_Shading_EnableGain_Default_Value");
    ASSERT_GE(defaultGain, 0);
    std::size_t postBuildBegin = 0;
    while (postBuildBegin < clean.size() && !(clean[postBuildBegin].id == FAKE_HOST_ID_BASE + defaultGain &&
                                              clean[postBuildBegin].value == 4096))
        ++postBuildBegin;
    ASSERT_LT(postBuildBegin, clean.size()) << "no post-build write of the default gain";
    // The initial hardware state starts with the simulator's board writes.
    ASSERT_GT(census.boardFirstGeneratorSeq, 0);
    std::size_t initialBegin = postBuildBegin;
    while (initialBegin < clean.size() && clean[initialBegin].seq < census.boardFirstGeneratorSeq)
        ++initialBegin;
    ASSERT_LT(initialBegin, clean.size());

    for (std::size_t k = 1; k <= clean.size(); ++k) {
        FakeState& s = freshState();
        s.hostWriteFailAt = static_cast<int32_t>(k);
        const std::string what = "host write " + std::to_string(k) + " of " + std::to_string(clean.size());
        ASSERT_EQ(createAndFree(what), 0) << what;
        const std::vector<FakeHostWrite> faulted = hostWrites();
        SCOPED_TRACE(what);
        ASSERT_GE(faulted.size(), k);
        for (std::size_t i = 0; i < k; ++i)
            ASSERT_TRUE(sameWrite(faulted[i], clean[i])) << "write " << i + 1 << " before the fault differs";
        if (k > postBuildBegin && k <= initialBegin) {
            // A post-build failure: nothing more of the post-build settings, then the whole
            // initial hardware state as without the failure.
            ASSERT_EQ(faulted.size(), k + (clean.size() - initialBegin));
            for (std::size_t i = 0; i < clean.size() - initialBegin; ++i)
                ASSERT_TRUE(sameWrite(faulted[k + i], clean[initialBegin + i]))
                    << "initial write " << i + 1 << " after a post-build failure differs";
        } else if (k != clean.size()) {
            // Elsewhere the walk goes on to the last setter.
            EXPECT_TRUE(sameWrite(faulted.back(), clean.back())) << "the writes stopped early";
        }
    }
    RecordProperty("fault_points", static_cast<int>(clean.size()));
    std::printf("%s: %d fault points tried\n",
                ::testing::UnitTest::GetInstance()->current_test_info()->name(),
                static_cast<int>(static_cast<int>(clean.size())));
    RecordProperty("post_build_writes", static_cast<int>(initialBegin - postBuildBegin));
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
    RecordProperty("fault_points", boardWrites);
    std::printf("%s: %d fault points tried\n",
                ::testing::UnitTest::GetInstance()->current_test_info()->name(),
                static_cast<int>(boardWrites));
}
