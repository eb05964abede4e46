// The exports on a created applet: bad handles, forwarding to the host with its own handle, the
// last-error rules and typed-get clearing.
#include <gtest/gtest.h>

#include "applet_under_test.h"
#include "core/error_codes.h"

using kestrel::test::AppletUnderTest;
using kestrel::test::HostRecord;

namespace {

class Exports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(applet.loaded());
        ASSERT_EQ(applet.create(record), 0);
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

// Every export that takes a handle answers its bad-handle value and reaches no host.
void expectBadHandleValues(const kestrel::test::AppletExports& api, void* fg) {
    constexpr int32_t bad = kestrel::kErrNoApplet;
    int32_t value = 0;
    uint64_t size = 0;
    char b[8] = {};
    EXPECT_EQ(api.Fg_setParameterWithType(fg, 100, &value, 0, 2), bad);
    EXPECT_EQ(api.Fg_getParameterWithType(fg, 100, &value, 0, 2), bad);
    EXPECT_EQ(api.Fg_getParameterIdByName(fg, "FG_WIDTH"), bad);
    EXPECT_EQ(api.Fg_getParameterName(fg, 0), nullptr);
    EXPECT_EQ(api.Fg_getParameterId(fg, 0), bad);
    EXPECT_EQ(api.Fg_getNrOfParameter(fg), bad);
    EXPECT_EQ(api.Fg_getEventMask(fg, "EventA"), 0u);
    EXPECT_EQ(api.Fg_getEventName(fg, 1), nullptr);
    EXPECT_EQ(api.Fg_saveConfig(fg, "x.scf"), bad);
    EXPECT_EQ(api.Fg_loadConfig(fg, "x.scf"), bad);
    EXPECT_EQ(api.Fg_getParameterInfoXML(fg, 0, b, &size), bad);
    EXPECT_EQ(api.Fg_getParameterInfo(fg, 0), nullptr);
    EXPECT_EQ(api.Fg_AllocShading(fg, 1, 0), nullptr);
    EXPECT_EQ(api.Fg_FreeShading(fg, b), bad);
    EXPECT_EQ(api.Shad_SetSubValueLine(fg, b, 0, 0, 1.0f), bad);
    EXPECT_EQ(api.Shad_SetMultValueLine(fg, b, 0, 0, 1.0f), bad);
    EXPECT_EQ(api.Shad_SetFixedPatternNoiseLine(fg, b, 0, 0, 1), bad);
    EXPECT_EQ(api.Shad_GetMaxLine(fg, b), bad);
    EXPECT_EQ(api.Shad_GetAccess(fg, b), bad);
    EXPECT_EQ(api.Shad_FreeAccess(fg, b), bad);
    EXPECT_EQ(api.Shad_WriteActLine(fg, b, 0), bad);
    EXPECT_EQ(api.Fg_getAppletId(fg, 0), bad);
    EXPECT_EQ(api.Fg_getStatusEx(fg, 0, 0, 0, 0), bad);
    EXPECT_EQ(api.Fg_AcquireEx(fg, 0, 1, 0, 0), bad);
    EXPECT_EQ(api.Fg_stopAcquireEx(fg, 0, 0, 0), bad);
    EXPECT_EQ(api.Fg_getLastPicNumberEx(fg, 0, 0), bad);
    EXPECT_EQ(api.Fg_getLastPicNumberBlockingEx(fg, 1, 0, 10, 0), bad);
    EXPECT_EQ(api.Fg_getLastErrorNumber(fg), bad);
    EXPECT_EQ(api.Fg_FreeGrabber(fg), bad);
}

} // namespace

// The host clears nothing but the first field: a freed record is a record without applet.
TEST_F(Exports, NullEmptyAndFreedRecordsGiveEveryBadHandleValue) {
    HostRecord empty;
    HostRecord freed;
    ASSERT_EQ(applet.create(freed), 0);
    ASSERT_EQ(api().Fg_FreeGrabber(&freed), 0);
    for (HostRecord* fg : {static_cast<HostRecord*>(nullptr), &empty, &freed}) {
        FakeState& s = host();
        s.hostLastCall[0] = '\0';
        const FakeState before = s;
        expectBadHandleValues(api(), fg);
        EXPECT_EQ(s.hostLastCall[0], '\0');
        EXPECT_EQ(s.hostWriteCount + s.hostLookupCount + s.hostFreeGrabberCalls + s.boardWriteCalls,
                  before.hostWriteCount + before.hostLookupCount + before.hostFreeGrabberCalls +
                      before.boardWriteCalls);
        EXPECT_EQ(s.designCloseCount, before.designCloseCount);
    }
    EXPECT_EQ(empty.hostData, 0xfeedfacecafebeefull);
}

// A negative result takes the host's own error number as the last error; a non-negative one, however
// large, is a success. Each row follows one that left a different last error.
TEST_F(Exports, ForwardedResultsSetTheLastError) {
    struct Row {
        int which; // 0: Fg_AcquireEx, 1: Fg_getLastPicNumberBlockingEx, 2: Fg_getLastPicNumberEx, 3:
                   // Fg_getStatusEx
        int64_t hostResult;
        int32_t hostError, lastError;
    };
    const Row rows[] = {{0, -3, -9090, -9090},
                        {2, 0x80000005ll, -1, 0},
                        {1, -1, -2120, -2120},
                        {3, 0x123456789abll, -1, 0},
                        {3, -0x100000000ll, -55, -55}};
    for (const Row& row : rows) {
        host().hostNextResult = row.hostResult;
        host().hostLastErrorNumber = row.hostError;
        const int64_t result = row.which == 0   ? api().Fg_AcquireEx(&record, 0, 1, 0, 0)
                               : row.which == 1 ? api().Fg_getLastPicNumberBlockingEx(&record, 1, 0, 5, 0)
                               : row.which == 2 ? api().Fg_getLastPicNumberEx(&record, 0, 0)
                                                : api().Fg_getStatusEx(&record, 0, 0, 0, 0);
        EXPECT_EQ(result, row.hostResult) << row.hostResult;
        EXPECT_EQ(lastError(), row.lastError) << row.hostResult;
    }
}

TEST_F(Exports, TypedGetClearsEightBytesForSixtyFourBitTypesOnly) {
    for (int32_t type : {2, 3, 4}) {
        uint64_t value = ~uint64_t{0};
        api().Fg_getParameterWithType(&record, 1234567, &value, 0, type);
        EXPECT_EQ(value, type == 2 ? ~uint64_t{0} : 0u) << "type " << type;
    }
    EXPECT_EQ(api().Fg_getParameterWithType(&record, 100, nullptr, 0, 3), kestrel::kErrInvalidArgument);
}
