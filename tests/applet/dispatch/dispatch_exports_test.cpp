// Typed set/get and the enumeration operations of the applet created on the virtual board, reached
// only through its exports: routing, codes, buffers and the last error.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "applet_on_board.h"

namespace {

using kestrel::test::AppletOnBoard;

constexpr int32_t kErrInvalidArgument = -2070;
constexpr int32_t kErrReadOnly = -12;
constexpr int32_t kErrNoApplet = -2001;

constexpr int32_t kWidth = 100;
constexpr int32_t kTimeout = 600;
constexpr int32_t kPixelDepth = 4000;
constexpr int32_t kAppletVersion = 24020;
constexpr int32_t kAppletRevision = 24030;
constexpr int32_t kAppletId = 24010;
constexpr int32_t kHapFile = 24108;
constexpr int32_t kDmaStatus = 24092;
constexpr int32_t kCamStatus = 2000;
constexpr int32_t kNrOfDmas = 3050;
constexpr int32_t kNrOfCams = 3060;
constexpr int32_t kNrOfProcesses = 3070;
constexpr int32_t kDmaPort = 3080;
constexpr int32_t kCamPort = 3090;
constexpr int32_t kApcStopTimeout = 601;
constexpr int32_t kTransferLength = 5210;
constexpr int32_t kDescriptionQuery = 24114;

class Dispatch : public ::testing::Test {
protected:
    int32_t setWithDma(int32_t id, const void* value, uint32_t dma) {
        return applet.exports().Fg_setParameterWithType(applet.fg(), id, value, dma, 0);
    }
    int32_t getWithType(int32_t id, void* value, int32_t type, uint32_t dma = 0) {
        return applet.exports().Fg_getParameterWithType(applet.fg(), id, value, dma, type);
    }
    int32_t idByName(const char* name) { return applet.exports().Fg_getParameterIdByName(applet.fg(), name); }
    const char* nameAt(int32_t index) { return applet.exports().Fg_getParameterName(applet.fg(), index); }
    int32_t idAt(int32_t index) { return applet.exports().Fg_getParameterId(applet.fg(), index); }
    int32_t count() { return applet.exports().Fg_getNrOfParameter(applet.fg()); }
    // Leaves a known non-zero last error behind, so a following operation shows whether it wrote it.
    void provokeError() {
        uint32_t value = 0;
        ASSERT_EQ(applet.set(kPixelDepth, value), kErrReadOnly);
        ASSERT_EQ(applet.lastError(), kErrReadOnly);
    }

    AppletOnBoard applet;
};

// ---- enumeration ----

TEST_F(Dispatch, EnumerationOperationsWriteTheLastErrorExceptTheCount) {
    provokeError();
    EXPECT_EQ(idByName("FG_HEIGHT"), 200);
    EXPECT_EQ(applet.lastError(), 0);

    provokeError();
    EXPECT_STREQ(nameAt(19), "FG_HEIGHT");
    EXPECT_EQ(applet.lastError(), 0);

    provokeError();
    EXPECT_EQ(idAt(19), 200);
    EXPECT_EQ(applet.lastError(), 0);

    provokeError();
    EXPECT_EQ(count(), 140);
    EXPECT_EQ(applet.lastError(), kErrReadOnly);

    EXPECT_EQ(idByName("NO_SUCH_NAME"), kErrInvalidArgument);
    EXPECT_EQ(applet.lastError(), kErrInvalidArgument);
}

// ---- null values and the handle ----

TEST_F(Dispatch, NullValueIsRefusedOnSetAndGet) {
    EXPECT_EQ(setWithDma(kWidth, nullptr, 0), kErrInvalidArgument);
    EXPECT_EQ(applet.lastError(), kErrInvalidArgument);
    provokeError();
    EXPECT_EQ(getWithType(kPixelDepth, nullptr, 0), kErrInvalidArgument);
    EXPECT_EQ(applet.lastError(), kErrInvalidArgument);
}

TEST(DispatchHandle, MissingHandleOrAppletAnswersNoApplet) {
    AppletOnBoard applet;
    uint32_t value = 0;
    const Gh5AppletExports& exports = applet.exports();
    EXPECT_EQ(exports.Fg_setParameterWithType(nullptr, kWidth, &value, 0, 0), kErrNoApplet);
    EXPECT_EQ(exports.Fg_getParameterWithType(nullptr, kWidth, &value, 0, 0), kErrNoApplet);
    EXPECT_EQ(exports.Fg_getParameterIdByName(nullptr, "FG_WIDTH"), kErrNoApplet);
    EXPECT_EQ(exports.Fg_getParameterId(nullptr, 0), kErrNoApplet);
    EXPECT_EQ(exports.Fg_getNrOfParameter(nullptr), kErrNoApplet);
    EXPECT_EQ(exports.Fg_getParameterName(nullptr, 0), nullptr);

    Gh5Grabber empty = *applet.fg();
    empty.applet = nullptr;
    EXPECT_EQ(exports.Fg_setParameterWithType(&empty, kWidth, &value, 0, 0), kErrNoApplet);
    EXPECT_EQ(exports.Fg_getParameterWithType(&empty, kWidth, &value, 0, 0), kErrNoApplet);
    EXPECT_EQ(exports.Fg_getParameterName(&empty, 0), nullptr);
}

// ---- identifiers without a parameter, DMA index ----

TEST_F(Dispatch, IdentifiersWithoutAParameterAreInvalid) {
    for (int32_t id : {300239, 300255, 0, 1000000, 1000001, -1, 299999}) {
        uint32_t value = 1;
        EXPECT_EQ(setWithDma(id, &value, 0), kErrInvalidArgument) << id;
        EXPECT_EQ(applet.lastError(), kErrInvalidArgument) << id;
        provokeError();
        EXPECT_EQ(getWithType(id, &value, 0), kErrInvalidArgument) << id;
        EXPECT_EQ(applet.lastError(), kErrInvalidArgument) << id;
    }
}

TEST_F(Dispatch, OnlyDmaIndexZeroExists) {
    const uint32_t before = applet.get<uint32_t>(kWidth);
    uint32_t value = before + 16;
    EXPECT_EQ(setWithDma(kWidth, &value, 1), kErrInvalidArgument);
    EXPECT_EQ(applet.lastError(), kErrInvalidArgument);
    EXPECT_EQ(applet.get<uint32_t>(kWidth), before);
    uint32_t depth = 0;
    EXPECT_EQ(getWithType(kPixelDepth, &depth, 0, 1), kErrInvalidArgument);
    EXPECT_EQ(depth, 0u);
    // The DMA check comes before the read-only refusal and before the host-answered ids.
    EXPECT_EQ(setWithDma(kPixelDepth, &value, 1), kErrInvalidArgument);
    uint32_t dmas = 0;
    EXPECT_EQ(getWithType(kNrOfDmas, &dmas, 0, 1), kErrInvalidArgument);
    EXPECT_EQ(getWithType(kPixelDepth, &depth, 0, 0), 0);
    EXPECT_EQ(depth, 12u);
}

// ---- read-only and constant parameters ----

TEST_F(Dispatch, ReadOnlyParametersRefuseSetsWithMinusTwelve) {
    for (int32_t id : {kAppletVersion, kAppletRevision, kAppletId, kHapFile, kDmaStatus, kCamStatus, 2050,
                       kTransferLength, kNrOfProcesses, kNrOfDmas, kNrOfCams, kDmaPort, kCamPort, kApcStopTimeout,
                       110086, 110087, kPixelDepth, 30101, 30100, 30103, 300006, 300007, 300008, 300202, 14010,
                       110075, 8802, 300207, 300209, 300210, 300211, 300215, 300237, 300248, kDescriptionQuery}) {
        char value[16] = "FG_WIDTH";
        EXPECT_EQ(setWithDma(id, value, 0), kErrReadOnly) << id;
        EXPECT_EQ(applet.lastError(), kErrReadOnly) << id;
    }
}

TEST_F(Dispatch, HapFileIsTheImageNameWithItsTerminator) {
    std::array<char, 32> buffer;
    buffer.fill('#');
    ASSERT_EQ(getWithType(kHapFile, buffer.data(), 0), 0);
    EXPECT_STREQ(buffer.data(), "Kestrel12.hap");
    EXPECT_EQ(buffer[14], '#') << "nothing beyond the terminator is written";
}

TEST_F(Dispatch, HostAnsweredIdentifiersCarryTheHostsValues) {
    EXPECT_EQ(applet.get<uint32_t>(kNrOfDmas), 1u);
    EXPECT_EQ(applet.get<uint32_t>(kNrOfCams), 1u);
    EXPECT_EQ(applet.get<uint32_t>(kNrOfProcesses), 1u);
    EXPECT_EQ(applet.get<uint32_t>(kDmaPort), 0u);
    EXPECT_EQ(applet.get<uint32_t>(kCamPort), 0u);
    uint32_t stopTimeout = 0;
    EXPECT_EQ(getWithType(kApcStopTimeout, &stopTimeout, 0), 0);
    uint32_t transfer = 0;
    EXPECT_EQ(getWithType(kTransferLength, &transfer, 0), 0);
    EXPECT_EQ(applet.get<uint32_t>(kDmaStatus), 0u) << "no acquisition runs";
}

// ---- the description query ----

struct DescriptionRow {
    const char* name;
    const char* description; // null: refused with kErrInvalidArgument
};

// The buffer holds a name on entry and its description on return; nothing after the description's
// terminator is written, and a refused name leaves the whole buffer alone.
constexpr DescriptionRow kDescriptionRows[] = {
    {"FG_WIDTH", "Image width of the acquisition ROI."},
    // the longest text: 225 characters and the terminator
    {"FG_CAMSTATUS_EXTENDED",
     "Returns the extended status of the camera. Bit = meaning: 0 = CameraPixelClk, 1 = CameraLval, 2 = "
     "CameraFval, 3 = Camera CC1 Signal, 4 = ExTrg / external trigger, 5 = BufferOverflow, 6 = "
     "BufferStatus-LSB, 7 = BufferStatus-MSB"},
    {"FG_NR_OF_DMAS", ""},
    {"FG_CCSEL0", "FG_CCSEL0"},
    {"FG_NOTHING", nullptr},
    {"fg_width", nullptr},
    {"", nullptr},
    {"DRA_Device1_Process0_Camera_Format", nullptr}};

TEST_F(Dispatch, DescriptionQueryTurnsANameIntoItsDescriptionInPlace) {
    for (const DescriptionRow& row : kDescriptionRows) {
        std::array<char, 240> buffer;
        buffer.fill('#');
        std::strcpy(buffer.data(), row.name);
        const std::array<char, 240> before = buffer;
        const int32_t result = getWithType(kDescriptionQuery, buffer.data(), 0);
        EXPECT_EQ(applet.lastError(), result) << row.name;
        if (row.description == nullptr) {
            EXPECT_EQ(result, kErrInvalidArgument) << row.name;
            EXPECT_EQ(buffer, before) << row.name;
            continue;
        }
        ASSERT_EQ(result, 0) << row.name;
        EXPECT_STREQ(buffer.data(), row.description);
        const std::size_t written = std::strlen(row.description) + 1;
        EXPECT_TRUE(std::equal(buffer.begin() + written, buffer.end(), before.begin() + written)) << row.name;
    }
}

TEST_F(Dispatch, DescriptionQueryHasNoNameAndNoIndex) {
    for (int32_t index = 0; index < count(); ++index)
        EXPECT_NE(idAt(index), kDescriptionQuery);
}

// ---- 64-bit requests ----

TEST_F(Dispatch, GetWithTypeThreeOrFourZeroExtendsA32BitAnswer) {
    for (int32_t type : {3, 4}) {
        uint64_t value = ~uint64_t{0};
        ASSERT_EQ(getWithType(kPixelDepth, &value, type), 0);
        EXPECT_EQ(value, 12u) << "type " << type;
    }
    uint64_t value = ~uint64_t{0};
    ASSERT_EQ(getWithType(kPixelDepth, &value, 2), 0);
    EXPECT_EQ(value, 0xFFFFFFFF0000000Cu) << "other types leave the upper half alone";
}

TEST_F(Dispatch, GetWithTypeThreeAndANullBufferIsRefused) {
    EXPECT_EQ(getWithType(kPixelDepth, nullptr, 3), kErrInvalidArgument);
    EXPECT_EQ(applet.lastError(), kErrInvalidArgument);
}

TEST_F(Dispatch, GetWithTypeThreeClearsTheBufferEvenWhenTheGetFails) {
    uint64_t value = ~uint64_t{0};
    EXPECT_EQ(getWithType(300239, &value, 3), kErrInvalidArgument);
    EXPECT_EQ(value, 0u);
}

// ---- design-access family without any switched-on parameter ----

TEST_F(Dispatch, DesignAccessIdentifiersGoToTheHost) {
    // The host publishes design registers under their design id; above 2000000 the applet
    // forwards the remainder unchanged, switched on or not.
    const uint32_t formatId = applet.registerId("Device1_Process0_Camera_Format");
    ASSERT_NE(formatId, 0u);
    uint32_t format = 1;
    ASSERT_EQ(setWithDma(static_cast<int32_t>(2000000 + formatId), &format, 0), 0);
    EXPECT_EQ(applet.reg("Device1_Process0_Camera_Format"), 1u);
    uint32_t readBack = 0;
    ASSERT_EQ(getWithType(static_cast<int32_t>(2000000 + formatId), &readBack, 0), 0);
    EXPECT_EQ(readBack, 1u);
    EXPECT_EQ(applet.lastError(), 0);

    uint32_t value = 0;
    const int32_t unknown = getWithType(2000000 + 999999, &value, 0);
    EXPECT_NE(unknown, 0);
    EXPECT_EQ(applet.lastError(), unknown) << "the host's code passes through";
}

} // namespace
