// The dispatch on its own, without a host: which checks come before the lock and that every outcome
// gives it back.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>

#include "api/wrapper_private.h"
#include "core/error_codes.h"
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

} // namespace
} // namespace kestrel
