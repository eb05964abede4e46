// The dispatch on its own, without a host: which checks come before the lock and that every outcome
// gives it back; direct design-register access on a board of its own.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "api/wrapper_private.h"
#include "boardhw.h"
#include "core/error_codes.h"
#include "designrt.h"
#include "params/inspect_settings.h"
#include "params/parameter_dispatch.h"
#include "params/parameter_handlers.h"
#include "params/parameter_ids.h"
#include "params/parameter_tables.h"
#include "support/locks.h"

namespace kestrel {
namespace {

using quil::templates::patterns::LockUseError;

class UnboundDispatch : public ::testing::Test {
protected:
    WrapperPrivate host; // no host library: every host call answers kErrNotAvailable
    ParameterTables tables;
    ParameterHandlerTable handlers;
    // Behind a pointer, as in the applet object: the lock's destructor may throw, a fixture's not.
    std::unique_ptr<quil::templates::platform::CriticalSection> ownedLock =
        std::make_unique<quil::templates::platform::CriticalSection>();
    quil::templates::platform::CriticalSection& lock = *ownedLock;
    ParameterDispatch dispatch{host.host(), host.lastErrorSlot(), tables, handlers, lock};
};

TEST_F(UnboundDispatch, NullValueIsRefusedBeforeTheLockIsTaken) {
    // Holding the lock on this thread makes any attempt to take it again a logic error.
    lock.enter();
    EXPECT_EQ(dispatch.set(ids::FG_WIDTH, nullptr, 0), kErrInvalidArgument);
    EXPECT_EQ(host.lastError(), kErrInvalidArgument);
    host.setLastError(0);
    EXPECT_EQ(dispatch.get(ids::FG_WIDTH, nullptr, 0), kErrInvalidArgument);
    EXPECT_EQ(host.lastError(), kErrInvalidArgument);
    uint32_t value = 0;
    EXPECT_THROW(dispatch.get(ids::FG_WIDTH, &value, 0), LockUseError);
    lock.leave();
}

TEST_F(UnboundDispatch, TheLockIsGivenBackAfterEveryOutcome) {
    uint32_t value = 0;
    EXPECT_EQ(dispatch.get(ids::FG_WIDTH, &value, 0), kErrInvalidArgument); // no DMA channel yet
    EXPECT_FALSE(lock.isLocked());
    EXPECT_EQ(dispatch.set(2000000 + 5, &value, 0), kErrNotAvailable); // no host bound
    EXPECT_FALSE(lock.isLocked());
    EXPECT_EQ(host.lastError(), kErrNotAvailable);
    // A handler that takes the lock again leaves as the lock's exception, and the lock is free.
    struct Reentrant {
        ParameterDispatch* dispatch = nullptr;
        void get(void* out) { dispatch->get(ids::FG_WIDTH, out, 0); }
    } reentrant;
    ParameterHandlerTable table;
    table.bindGetter<&Reentrant::get>(ids::FG_PIXELDEPTH, reentrant);
    CatalogueSources sources;
    InspectSettings settings;
    sources.settings = &settings;
    ParameterTables built = ParameterTables::build(sources);
    ParameterDispatch withHandler{host.host(), host.lastErrorSlot(), built, table, lock};
    reentrant.dispatch = &withHandler;
    EXPECT_THROW(withHandler.get(ids::FG_PIXELDEPTH, &value, 0), LockUseError);
    EXPECT_FALSE(lock.isLocked());
}

class DesignRegistersOnBoard : public ::testing::Test {
protected:
    void SetUp() override {
        design = DesignImage_OpenFile(KESTREL_DESIGN_IMAGE_PATH, 2626, 1);
        ASSERT_NE(design, nullptr);
        int32_t error = 0;
        board = Board_Open(0, &error);
        ASSERT_NE(board, nullptr) << error;
        ASSERT_EQ(Board_LoadDesign(board, design), 0);
    }
    void TearDown() override {
        if (board != nullptr)
            Board_Close(board);
        if (design != nullptr)
            DesignImage_Close(design);
    }
    void* design = nullptr;
    void* board = nullptr;
};

TEST_F(DesignRegistersOnBoard, DirectAccessSizesTheBufferByTheRegisterWidth) {
    const uint32_t narrow = DesignImage_GetRegisterId(design, "Device1_Process0_Camera_FrameTimeout_Ticks");
    const uint32_t wide = DesignImage_GetRegisterId(design, "Device1_Process0_Timestamp_Preset_Value");
    const unsigned char in[8] = {0x01, 0x02, 0x03, 0x00, 0x11, 0x22, 0x33, 0x44};
    ASSERT_EQ(ParameterDispatch::writeDesignRegister(board, design, narrow, in), 0);
    ASSERT_EQ(ParameterDispatch::writeDesignRegister(board, design, wide, in), 0);
    unsigned char out[8];
    std::memset(out, 0xEE, sizeof out);
    ASSERT_EQ(ParameterDispatch::readDesignRegister(board, design, narrow, out), 0);
    EXPECT_EQ(0, std::memcmp(out, "\x01\x02\x03\x00\xEE\xEE\xEE\xEE", 8)) << "four bytes only";
    ASSERT_EQ(ParameterDispatch::readDesignRegister(board, design, wide, out), 0);
    EXPECT_EQ(0, std::memcmp(out, "\x01\x02\x03\x00\x11\x22\x00\x00", 8))
        << "48 bits: the top two bytes are 0";
}

} // namespace
} // namespace kestrel
