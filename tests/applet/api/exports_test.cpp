// The exports on a created applet: bad handles, forwarding to the host with its own handle, the
// last-error rules, events, typed-get clearing and the shading answers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "applet_under_test.h"

using kestrel::test::AppletUnderTest;
using kestrel::test::HostRecord;

namespace {

class Exports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(applet.loaded());
        ASSERT_EQ(applet.create(record), 0);
        ASSERT_NE(record.applet, nullptr);
    }
    void TearDown() override {
        if (record.applet != nullptr)
            api().Fg_FreeGrabber(&record);
    }
    const kestrel::test::AppletExports& api() { return applet.api(); }
    FakeState& host() { return applet.state(); }
    int32_t lastError() { return api().Fg_getLastErrorNumber(&record); }

    AppletUnderTest applet{KESTREL_FAKE_APPLET_DIR};
    HostRecord record;
};

// Every export with a handle, called on a handle, answers its bad-handle value.
void expectBadHandleValues(const kestrel::test::AppletExports& api, void* fg) {
    int32_t value = 0;
    uint64_t size = 0;
    char buffer[8] = {};
    EXPECT_EQ(api.Fg_setParameterWithType(fg, 100, &value, 0, 2), -2001);
    EXPECT_EQ(api.Fg_getParameterWithType(fg, 100, &value, 0, 2), -2001);
    EXPECT_EQ(api.Fg_getParameterIdByName(fg, "FG_WIDTH"), -2001);
    EXPECT_EQ(api.Fg_getParameterName(fg, 0), nullptr);
    EXPECT_EQ(api.Fg_getParameterId(fg, 0), -2001);
    EXPECT_EQ(api.Fg_getNrOfParameter(fg), -2001);
    EXPECT_EQ(api.Fg_getEventMask(fg, "EventA"), 0u);
    EXPECT_EQ(api.Fg_getEventName(fg, 1), nullptr);
    EXPECT_EQ(api.Fg_saveConfig(fg, "x.scf"), -2001);
    EXPECT_EQ(api.Fg_loadConfig(fg, "x.scf"), -2001);
    EXPECT_EQ(api.Fg_getParameterInfoXML(fg, 0, buffer, &size), -2001);
    EXPECT_EQ(api.Fg_getParameterInfo(fg, 0), nullptr);
    EXPECT_EQ(api.Fg_AllocShading(fg, 1, 0), nullptr);
    EXPECT_EQ(api.Fg_FreeShading(fg, buffer), -2001);
    EXPECT_EQ(api.Shad_SetSubValueLine(fg, buffer, 0, 0, 1.0f), -2001);
    EXPECT_EQ(api.Shad_SetMultValueLine(fg, buffer, 0, 0, 1.0f), -2001);
    EXPECT_EQ(api.Shad_SetFixedPatternNoiseLine(fg, buffer, 0, 0, 1), -2001);
    EXPECT_EQ(api.Shad_GetMaxLine(fg, buffer), -2001);
    EXPECT_EQ(api.Shad_GetAccess(fg, buffer), -2001);
    EXPECT_EQ(api.Shad_FreeAccess(fg, buffer), -2001);
    EXPECT_EQ(api.Shad_WriteActLine(fg, buffer, 0), -2001);
    EXPECT_EQ(api.Fg_getAppletId(fg, 0), -2001);
    EXPECT_EQ(api.Fg_getStatusEx(fg, 0, 0, 0, 0), -2001);
    EXPECT_EQ(api.Fg_AcquireEx(fg, 0, 1, 0, 0), -2001);
    EXPECT_EQ(api.Fg_stopAcquireEx(fg, 0, 0, 0), -2001);
    EXPECT_EQ(api.Fg_getLastPicNumberEx(fg, 0, 0), -2001);
    EXPECT_EQ(api.Fg_getLastPicNumberBlockingEx(fg, 1, 0, 10, 0), -2001);
    EXPECT_EQ(api.Fg_getLastErrorNumber(fg), -2001);
    EXPECT_EQ(api.Fg_FreeGrabber(fg), -2001);
}

} // namespace

TEST_F(Exports, NullHandleGivesEveryBadHandleValue) {
    host().hostLastCall[0] = '\0'; // creation itself talks to the host
    expectBadHandleValues(api(), nullptr);
    EXPECT_EQ(host().hostLastCall[0], '\0');
}

TEST_F(Exports, HandleWithoutAppletGivesEveryBadHandleValue) {
    HostRecord empty;
    host().hostLastCall[0] = '\0';
    expectBadHandleValues(api(), &empty);
    EXPECT_EQ(empty.hostData, 0xfeedfacecafebeefull);
    EXPECT_EQ(host().hostLastCall[0], '\0');
}

// The host clears nothing but the first field: a freed record is a record without applet.
TEST_F(Exports, FreedRecordGivesEveryBadHandleValueAndReachesNoHost) {
    HostRecord freed = record;
    ASSERT_EQ(api().Fg_FreeGrabber(&freed), 0);
    record.applet = nullptr;
    FakeState& s = host();
    s.hostLastCall[0] = '\0';
    const FakeState before = s;
    expectBadHandleValues(api(), &freed);
    EXPECT_EQ(s.hostLastCall[0], '\0');
    EXPECT_EQ(s.hostWriteCount, before.hostWriteCount);
    EXPECT_EQ(s.hostLookupCount, before.hostLookupCount);
    EXPECT_EQ(s.hostFreeGrabberCalls, before.hostFreeGrabberCalls);
    EXPECT_EQ(s.boardWriteCalls, before.boardWriteCalls);
    EXPECT_EQ(s.designCloseCount, before.designCloseCount);
}

TEST_F(Exports, AcquireExPassesTheHostHandleAndEveryArgumentUnchanged) {
    host().hostNextResult = 0;
    EXPECT_EQ(api().Fg_AcquireEx(&record, 3, 0x1122334455667788ull, -9, 0xabcdef0123456789ull), 0);
    EXPECT_STREQ(host().hostLastCall, "Fg_AcquireEx");
    EXPECT_EQ(host().hostLastHandle, host().hostHandle);
    EXPECT_EQ(host().hostLastArgs[0], 3u);
    EXPECT_EQ(host().hostLastArgs[1], 0x1122334455667788ull);
    EXPECT_EQ(static_cast<int64_t>(host().hostLastArgs[2]), -9);
    EXPECT_EQ(host().hostLastArgs[3], 0xabcdef0123456789ull);
    EXPECT_EQ(lastError(), 0);
}

TEST_F(Exports, EverySixForwardedCallsReachTheirHostEntryPoint) {
    host().hostNextResult = 5;
    EXPECT_EQ(api().Fg_getAppletId(&record, 0x77), 5);
    EXPECT_STREQ(host().hostLastCall, "Fg_getAppletId");
    EXPECT_EQ(host().hostLastArgs[0], 0x77u);

    EXPECT_EQ(api().Fg_getStatusEx(&record, 11, 0x100000000ull, 2, 0x55), 5);
    EXPECT_STREQ(host().hostLastCall, "Fg_getStatusEx");
    EXPECT_EQ(host().hostLastArgs[0], 11u);
    EXPECT_EQ(host().hostLastArgs[1], 0x100000000ull);
    EXPECT_EQ(host().hostLastArgs[2], 2u);
    EXPECT_EQ(host().hostLastArgs[3], 0x55u);

    EXPECT_EQ(api().Fg_stopAcquireEx(&record, 1, 0x66, 4), 5);
    EXPECT_STREQ(host().hostLastCall, "Fg_stopAcquireEx");
    EXPECT_EQ(host().hostLastArgs[0], 1u);
    EXPECT_EQ(host().hostLastArgs[1], 0x66u);
    EXPECT_EQ(host().hostLastArgs[2], 4u);

    EXPECT_EQ(api().Fg_getLastPicNumberEx(&record, 0, 0x99), 5);
    EXPECT_STREQ(host().hostLastCall, "Fg_getLastPicNumberEx");
    EXPECT_EQ(host().hostLastArgs[1], 0x99u);

    EXPECT_EQ(api().Fg_getLastPicNumberBlockingEx(&record, 42, 0, 1000, 0x33), 5);
    EXPECT_STREQ(host().hostLastCall, "Fg_getLastPicNumberBlockingEx");
    EXPECT_EQ(host().hostLastArgs[0], 42u);
    EXPECT_EQ(host().hostLastArgs[2], 1000u);
    EXPECT_EQ(host().hostLastArgs[3], 0x33u);
    EXPECT_EQ(host().hostLastHandle, host().hostHandle);
    EXPECT_EQ(lastError(), 0);
}

TEST_F(Exports, NegativeHostResultIsReturnedAndLastErrorTakesTheHostNumber) {
    host().hostNextResult = -3;
    host().hostLastErrorNumber = -9090;
    EXPECT_EQ(api().Fg_AcquireEx(&record, 0, 1, 0, 0), -3);
    EXPECT_EQ(lastError(), -9090);
}

TEST_F(Exports, BlockingPictureNumberMinusOneTakesTheHostErrorNumber) {
    host().hostNextResult = -1;
    host().hostLastErrorNumber = -2120;
    EXPECT_EQ(api().Fg_getLastPicNumberBlockingEx(&record, 1, 0, 5, 0), -1);
    EXPECT_EQ(lastError(), -2120);
}

TEST_F(Exports, PictureNumberAboveTwoToThe31IsWholeAndASuccess) {
    host().hostNextResult = -3;
    host().hostLastErrorNumber = -1;
    api().Fg_stopAcquireEx(&record, 0, 0, 0);
    ASSERT_EQ(lastError(), -1);

    host().hostNextResult = 0x80000005ll;
    EXPECT_EQ(api().Fg_getLastPicNumberEx(&record, 0, 0), 0x80000005ll);
    EXPECT_EQ(lastError(), 0);
    host().hostNextResult = 0x123456789abll;
    EXPECT_EQ(api().Fg_getStatusEx(&record, 0, 0, 0, 0), 0x123456789abll);
    EXPECT_EQ(lastError(), 0);
}

TEST_F(Exports, NegativeSixtyFourBitStatusTakesTheHostErrorNumber) {
    host().hostNextResult = -0x100000000ll;
    host().hostLastErrorNumber = -55;
    EXPECT_EQ(api().Fg_getStatusEx(&record, 0, 0, 0, 0), -0x100000000ll);
    EXPECT_EQ(lastError(), -55);
}

TEST_F(Exports, TypedGetOfSixtyFourBitTypesClearsEightBytesEvenWhenItFails) {
    for (int32_t type : {3, 4}) {
        uint64_t value = 0xffffffffffffffffull;
        api().Fg_getParameterWithType(&record, 1234567, &value, 0, type);
        EXPECT_EQ(value, 0u) << "type " << type;
    }
}

TEST_F(Exports, TypedGetOfOtherTypesLeavesTheBufferAlone) {
    uint64_t value = 0xffffffffffffffffull;
    api().Fg_getParameterWithType(&record, 1234567, &value, 0, 2);
    EXPECT_EQ(value, 0xffffffffffffffffull);
}

TEST_F(Exports, TypedGetWithNullBufferAndSixtyFourBitTypeDoesNotCrash) {
    EXPECT_EQ(api().Fg_getParameterWithType(&record, 100, nullptr, 0, 3), -2070);
}

// The stand-in design has event records at 0 ("EventA"), 2 ("EventC"), 3 (a second "EventA") and
// 63 ("EventLast"). Records are counted from 0 while they exist, so the gap at 1 leaves record 0
// alone in the tables, at bit 0. A record's name is the NUL-terminated text its pointer names:
// whatever the runtime leaves in bytes 16..19 (zero, the length, less, far more) changes nothing.
TEST_F(Exports, EventTablesHoldTheRecordsBeforeTheFirstGap) {
    for (uint32_t unreadWord : {0u, 6u, 3u, 0xffffffffu}) {
        api().Fg_FreeGrabber(&record);
        host().designEventUnreadWord = unreadWord;
        ASSERT_EQ(applet.create(record), 0);
        EXPECT_EQ(api().Fg_getEventMask(&record, "EventA"), 1u) << unreadWord;
        EXPECT_EQ(lastError(), 0) << unreadWord;
        EXPECT_STREQ(api().Fg_getEventName(&record, 1), "EventA") << unreadWord;
        EXPECT_EQ(lastError(), 0) << unreadWord;
    }
}

TEST_F(Exports, EventMaskOfANameNotInTheTablesIsZeroWithInvalidArgument) {
    // Names after the gap, another case, empty and null.
    for (const char* name : {"EventC", "EventLast", "eventa", "", static_cast<const char*>(nullptr)}) {
        ASSERT_EQ(api().Fg_getEventMask(&record, "EventA"), 1u);
        EXPECT_EQ(api().Fg_getEventMask(&record, name), 0u) << (name ? name : "null");
        EXPECT_EQ(lastError(), -2070) << (name ? name : "null");
    }
}

TEST_F(Exports, EventNameOfAMaskNotInTheTablesIsNullWithInvalidArgument) {
    // Zero, the gap, records after it, two bits at once.
    for (uint64_t mask : {0ull, 2ull, 4ull, 8ull, 1ull << 63, 5ull, 3ull}) {
        ASSERT_NE(api().Fg_getEventName(&record, 1), nullptr);
        EXPECT_EQ(api().Fg_getEventName(&record, mask), nullptr) << mask;
        EXPECT_EQ(lastError(), -2070) << mask;
    }
}

TEST_F(Exports, AllocShadingWithoutShadingGivesNullAndLastErrorMinusOne) {
    EXPECT_EQ(api().Fg_AllocShading(&record, 1, 1), nullptr);
    EXPECT_EQ(lastError(), -1);
}

TEST_F(Exports, ShadingCallsLeaveTheirResultAsLastError) {
    // A handle the applet never gave out is refused; the refusal is the last error.
    char shading = 0;
    const int32_t maxLine = api().Shad_GetMaxLine(&record, &shading);
    EXPECT_LT(maxLine, 0);
    EXPECT_EQ(lastError(), maxLine);
    host().hostNextResult = 1;
    api().Fg_AcquireEx(&record, 0, 1, 0, 0);
    ASSERT_EQ(lastError(), 0);
    const int32_t freed = api().Fg_FreeShading(&record, &shading);
    EXPECT_LT(freed, 0);
    EXPECT_EQ(lastError(), freed);
}

TEST_F(Exports, ParameterInfoIsNullOutsidePortsZeroToThree) {
    EXPECT_EQ(api().Fg_getParameterInfo(&record, -1), nullptr);
    EXPECT_EQ(api().Fg_getParameterInfo(&record, 4), nullptr);
}

TEST_F(Exports, ParameterInfoHandsOutTheTreeOfPortZeroOnly) {
    EXPECT_NE(api().Fg_getParameterInfo(&record, 0), nullptr);
    for (int32_t port = 1; port < 4; ++port)
        EXPECT_EQ(api().Fg_getParameterInfo(&record, port), nullptr) << port;
}
