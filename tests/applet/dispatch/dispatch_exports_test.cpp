// Typed set/get and the enumeration operations of the applet created on the virtual board, reached
// only through its exports: routing, codes, buffers and the last error.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "api/error_codes.h"
#include "applet_on_board.h"
#include "params/parameter_ids.h"

namespace {

using namespace kestrel::ids;

using kestrel::test::AppletOnBoard;

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
        ASSERT_EQ(applet.set(FG_PIXELDEPTH, value), kestrel::kErrNotAvailable);
        ASSERT_EQ(applet.lastError(), kestrel::kErrNotAvailable);
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
    EXPECT_EQ(applet.lastError(), kestrel::kErrNotAvailable);

    EXPECT_EQ(idByName("NO_SUCH_NAME"), kestrel::kErrInvalidArgument);
    EXPECT_EQ(applet.lastError(), kestrel::kErrInvalidArgument);
}

// ---- null values and the handle ----

TEST_F(Dispatch, NullValueIsRefusedOnSetAndGet) {
    EXPECT_EQ(setWithDma(FG_WIDTH, nullptr, 0), kestrel::kErrInvalidArgument);
    EXPECT_EQ(applet.lastError(), kestrel::kErrInvalidArgument);
    provokeError();
    EXPECT_EQ(getWithType(FG_PIXELDEPTH, nullptr, 0), kestrel::kErrInvalidArgument);
    EXPECT_EQ(applet.lastError(), kestrel::kErrInvalidArgument);
}

TEST(DispatchHandle, MissingHandleOrAppletAnswersNoApplet) {
    AppletOnBoard applet;
    uint32_t value = 0;
    const Gh5AppletExports& exports = applet.exports();
    EXPECT_EQ(exports.Fg_setParameterWithType(nullptr, FG_WIDTH, &value, 0, 0), kestrel::kErrNoApplet);
    EXPECT_EQ(exports.Fg_getParameterWithType(nullptr, FG_WIDTH, &value, 0, 0), kestrel::kErrNoApplet);
    EXPECT_EQ(exports.Fg_getParameterIdByName(nullptr, "FG_WIDTH"), kestrel::kErrNoApplet);
    EXPECT_EQ(exports.Fg_getParameterId(nullptr, 0), kestrel::kErrNoApplet);
    EXPECT_EQ(exports.Fg_getNrOfParameter(nullptr), kestrel::kErrNoApplet);
    EXPECT_EQ(exports.Fg_getParameterName(nullptr, 0), nullptr);

    Gh5Grabber empty = *applet.fg();
    empty.applet = nullptr;
    EXPECT_EQ(exports.Fg_setParameterWithType(&empty, FG_WIDTH, &value, 0, 0), kestrel::kErrNoApplet);
    EXPECT_EQ(exports.Fg_getParameterWithType(&empty, FG_WIDTH, &value, 0, 0), kestrel::kErrNoApplet);
    EXPECT_EQ(exports.Fg_getParameterName(&empty, 0), nullptr);
}

// ---- identifiers without a parameter, DMA index ----

TEST_F(Dispatch, IdentifiersWithoutAParameterAreInvalid) {
    for (int32_t id : {300239, 300255, 0, 1000000, 1000001, -1, 299999}) {
        uint32_t value = 1;
        EXPECT_EQ(setWithDma(id, &value, 0), kestrel::kErrInvalidArgument) << id;
        EXPECT_EQ(applet.lastError(), kestrel::kErrInvalidArgument) << id;
        provokeError();
        EXPECT_EQ(getWithType(id, &value, 0), kestrel::kErrInvalidArgument) << id;
        EXPECT_EQ(applet.lastError(), kestrel::kErrInvalidArgument) << id;
    }
}

TEST_F(Dispatch, OnlyDmaIndexZeroExists) {
    const uint32_t before = applet.get<uint32_t>(FG_WIDTH);
    uint32_t value = before + 16;
    EXPECT_EQ(setWithDma(FG_WIDTH, &value, 1), kestrel::kErrInvalidArgument);
    EXPECT_EQ(applet.lastError(), kestrel::kErrInvalidArgument);
    EXPECT_EQ(applet.get<uint32_t>(FG_WIDTH), before);
    uint32_t depth = 0;
    EXPECT_EQ(getWithType(FG_PIXELDEPTH, &depth, 0, 1), kestrel::kErrInvalidArgument);
    EXPECT_EQ(depth, 0u);
    // The DMA check comes before the read-only refusal and before the host-answered ids.
    EXPECT_EQ(setWithDma(FG_PIXELDEPTH, &value, 1), kestrel::kErrInvalidArgument);
    uint32_t dmas = 0;
    EXPECT_EQ(getWithType(FG_NR_OF_DMAS, &dmas, 0, 1), kestrel::kErrInvalidArgument);
    EXPECT_EQ(getWithType(FG_PIXELDEPTH, &depth, 0, 0), 0);
    EXPECT_EQ(depth, 12u);
}

// ---- read-only and constant parameters ----

TEST_F(Dispatch, HapFileIsTheImageNameWithItsTerminator) {
    std::array<char, 32> buffer;
    buffer.fill('#');
    ASSERT_EQ(getWithType(FG_HAP_FILE, buffer.data(), 0), 0);
    EXPECT_STREQ(buffer.data(), "Kestrel12.hap");
    EXPECT_EQ(buffer[14], '#') << "nothing beyond the terminator is written";
}

TEST_F(Dispatch, HostAnsweredIdentifiersCarryTheHostsValues) {
    EXPECT_EQ(applet.get<uint32_t>(FG_NR_OF_DMAS), 1u);
    EXPECT_EQ(applet.get<uint32_t>(FG_NR_OF_CAMS), 1u);
    EXPECT_EQ(applet.get<uint32_t>(FG_NR_OF_PROCESSES), 1u);
    EXPECT_EQ(applet.get<uint32_t>(FG_DMA_PORT), 0u);
    EXPECT_EQ(applet.get<uint32_t>(FG_CAM_PORT), 0u);
    uint32_t stopTimeout = 0;
    EXPECT_EQ(getWithType(FG_APC_STOP_TIMEOUT, &stopTimeout, 0), 0);
    uint32_t transfer = 0;
    EXPECT_EQ(getWithType(FG_TRANSFER_LEN, &transfer, 0), 0);
    EXPECT_EQ(applet.get<uint32_t>(FG_DMASTATUS), 0u) << "no acquisition runs";
}

// ---- the description query ----

struct DescriptionRow {
    const char* name;
    const char* description; // null: refused with kestrel::kErrInvalidArgument
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
        const int32_t result = getWithType(kestrel::ids::kDescriptionQuery, buffer.data(), 0);
        EXPECT_EQ(applet.lastError(), result) << row.name;
        if (row.description == nullptr) {
            EXPECT_EQ(result, kestrel::kErrInvalidArgument) << row.name;
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
        EXPECT_NE(idAt(index), kestrel::ids::kDescriptionQuery);
}

// ---- 64-bit requests ----

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
