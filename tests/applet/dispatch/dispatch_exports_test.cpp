// Typed set/get and the enumeration operations of the applet created on the virtual board, reached
// only through its exports: routing, codes, buffers and the last error.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "applet_on_board.h"
#include "core/error_codes.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_ids.h"
#include "scoped_environment.h"

namespace {

using namespace kestrel::ids;
using kestrel::kErrInvalidArgument;

class Dispatch : public ::testing::Test {
protected:
    int32_t set(int32_t id, const void* value, uint32_t dma = 0) {
        return applet.exports().Fg_setParameterWithType(applet.fg(), id, value, dma, 0);
    }
    int32_t get(int32_t id, void* value, uint32_t dma = 0) {
        return applet.exports().Fg_getParameterWithType(applet.fg(), id, value, dma, 0);
    }
    // Leaves a known non-zero last error behind, so a following operation shows whether it wrote it.
    void provokeError() {
        ASSERT_EQ(applet.set(FG_PIXELDEPTH, uint32_t{8}), kestrel::kErrNotAvailable);
        ASSERT_EQ(applet.lastError(), kestrel::kErrNotAvailable);
    }

    kestrel::test::AppletOnBoard applet;
};

TEST_F(Dispatch, EnumerationOperationsWriteTheLastErrorExceptTheCount) {
    const Gh5AppletExports& e = applet.exports();
    provokeError();
    EXPECT_EQ(e.Fg_getParameterIdByName(applet.fg(), "FG_HEIGHT"), FG_HEIGHT);
    EXPECT_EQ(applet.lastError(), 0);
    provokeError();
    const char* name = e.Fg_getParameterName(applet.fg(), 19);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(applet.lastError(), 0);
    provokeError();
    EXPECT_EQ(e.Fg_getParameterId(applet.fg(), 19), e.Fg_getParameterIdByName(applet.fg(), name));
    provokeError();
    EXPECT_EQ(e.Fg_getNrOfParameter(applet.fg()), kestrel::kCatalogueSize);
    EXPECT_EQ(applet.lastError(), kestrel::kErrNotAvailable);
    EXPECT_EQ(e.Fg_getParameterIdByName(applet.fg(), "NO_SUCH_NAME"), kErrInvalidArgument);
    EXPECT_EQ(applet.lastError(), kErrInvalidArgument);
    // The description query has no name and no index.
    for (int32_t index = 0; index < kestrel::kCatalogueSize; ++index)
        EXPECT_NE(e.Fg_getParameterId(applet.fg(), index), kDescriptionQuery);
}

TEST_F(Dispatch, IdentifiersWithoutAParameterAndDmaIndexesOtherThanZeroAreInvalid) {
    for (int32_t id : {300239, 300255, 0, 1000000, 1000001, -1, 299999}) {
        uint32_t value = 1;
        EXPECT_EQ(set(id, &value), kErrInvalidArgument) << id;
        EXPECT_EQ(applet.lastError(), kErrInvalidArgument) << id;
        provokeError();
        EXPECT_EQ(get(id, &value), kErrInvalidArgument) << id;
        EXPECT_EQ(applet.lastError(), kErrInvalidArgument) << id;
    }
    const uint32_t before = applet.get<uint32_t>(FG_WIDTH);
    uint32_t value = before + 16;
    EXPECT_EQ(set(FG_WIDTH, &value, 1), kErrInvalidArgument);
    EXPECT_EQ(applet.get<uint32_t>(FG_WIDTH), before);
    // The DMA check comes before the read-only refusal and before the host-answered ids.
    EXPECT_EQ(set(FG_PIXELDEPTH, &value, 1), kErrInvalidArgument);
    uint32_t out = 0;
    EXPECT_EQ(get(FG_PIXELDEPTH, &out, 1), kErrInvalidArgument);
    EXPECT_EQ(get(FG_NR_OF_DMAS, &out, 1), kErrInvalidArgument);
    EXPECT_EQ(out, 0u);
}

// The buffer holds a name on entry and its description on return; nothing after the description's
// terminator is written, and a refused name leaves the whole buffer alone.
TEST_F(Dispatch, DescriptionQueryTurnsANameIntoItsDescriptionInPlace) {
    const std::pair<const char*, const char*> rows[] = {
        {"FG_WIDTH", "Image width of the acquisition ROI."},
        // the longest text: 225 characters and the terminator
        {"FG_CAMSTATUS_EXTENDED",
         "Returns the extended status of the camera. Bit = meaning: 0 = CameraPixelClk, 1 = CameraLval, 2 = "
         "CameraFval, 3 = Camera CC1 Signal, 4 = ExTrg / external trigger, 5 = BufferOverflow, 6 = "
         "BufferStatus-LSB, 7 = BufferStatus-MSB"},
        {"FG_NR_OF_DMAS", ""},
        {"FG_NOTHING", nullptr},
        {"DRA_Device1_Process0_Camera_Format", nullptr}};
    for (const auto& [name, description] : rows) {
        std::array<char, 240> buffer;
        buffer.fill('#');
        std::strcpy(buffer.data(), name);
        const std::array<char, 240> before = buffer;
        const int32_t result = get(kDescriptionQuery, buffer.data());
        EXPECT_EQ(applet.lastError(), result) << name;
        if (description == nullptr) {
            EXPECT_EQ(result, kErrInvalidArgument) << name;
            EXPECT_EQ(buffer, before) << name;
            continue;
        }
        ASSERT_EQ(result, 0) << name;
        EXPECT_STREQ(buffer.data(), description);
        const std::size_t written = std::strlen(description) + 1;
        EXPECT_TRUE(std::equal(buffer.begin() + written, buffer.end(), before.begin() + written)) << name;
    }
}

// Direct register access passes the board's failures through, leaves the buffer of a refused read
// untouched, and has no register at its base.
TEST(RegisterAccess, PassesBoardFailuresThroughAndHasNoRegisterAtItsBase) {
    kestrel::test::ScopedEnvironment on("QUIL_ENABLE_DRA", "1");
    kestrel::test::AppletOnBoard applet;
    const char* name = kestrel::test::designName(kestrel::HostRegister::CameraFormat);
    const int32_t id = kRegisterAccessBase + int32_t(applet.registerId(name));
    applet.failWrites(name, -4242);
    EXPECT_EQ(applet.set(id, uint32_t{1}), -4242);
    EXPECT_EQ(applet.lastError(), -4242);
    uint32_t out = 0xDEADBEEF;
    const int32_t result =
        applet.exports().Fg_getParameterWithType(applet.fg(), kRegisterAccessBase + 999999, &out, 0, 0);
    EXPECT_NE(result, 0);
    EXPECT_EQ(applet.lastError(), result);
    EXPECT_EQ(out, 0xDEADBEEFu);
    EXPECT_EQ(applet.set(kRegisterAccessBase, uint32_t{0}), kErrInvalidArgument);
}

} // namespace
