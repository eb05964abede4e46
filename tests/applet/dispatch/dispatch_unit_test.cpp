// The dispatch and the register accessors on their own, without a host: which checks come before
// the lock, and what the accessors do with null values and failing writes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>

#include "api/error_codes.h"
#include "api/generator_registers.h"
#include "api/wrapper_private.h"
#include "boardhw.h"
#include "designrt.h"
#include "device/register_map.h"
#include "params/inspect_settings.h"
#include "params/parameter_dispatch.h"
#include "params/parameter_handlers.h"
#include "params/parameter_ids.h"
#include "params/parameter_tables.h"
#include "support/locks.h"

namespace kestrel {
namespace {

using quil::templates::patterns::LockUseError;

// The code `action` raises, or 0 when it raises none.
int32_t raisedCode(const std::function<void()>& action) {
    try {
        action();
    } catch (int32_t code) {
        return code;
    }
    return 0;
}

class UnboundDispatch : public ::testing::Test {
protected:
    WrapperPrivate host;
    ParameterTables tables;
    ParameterHandlerTable handlers;
    // Behind a pointer, as in the applet object: the lock's destructor may throw, a fixture's not.
    std::unique_ptr<quil::templates::platform::CriticalSection> ownedLock =
        std::make_unique<quil::templates::platform::CriticalSection>();
    quil::templates::platform::CriticalSection& lock = *ownedLock;
    ParameterDispatch dispatch{host, tables, handlers, lock};
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

TEST_F(UnboundDispatch, LockIsGivenBackAfterEveryOutcome) {
    uint32_t value = 0;
    EXPECT_EQ(dispatch.get(ids::FG_WIDTH, &value, 0), kErrInvalidArgument); // no DMA channel yet
    EXPECT_FALSE(lock.isLocked());
    EXPECT_EQ(dispatch.set(2000000 + 5, &value, 0), kErrNotAvailable); // no host bound
    EXPECT_FALSE(lock.isLocked());
    EXPECT_EQ(host.lastError(), kErrNotAvailable);
}

TEST_F(UnboundDispatch, HandlerLogicErrorsLeaveAsExceptionsAndFreeTheLock) {
    struct Reentrant {
        ParameterDispatch* dispatch = nullptr;
        void get(void* value) { dispatch->get(ids::FG_WIDTH, value, 0); }
    } reentrant{&dispatch};
    ParameterHandlerTable table;
    table.bindGetter<&Reentrant::get>(ids::FG_PIXELDEPTH, reentrant);
    // Tables with the DMA channel: the unit tables of the catalogue build need no host.
    CatalogueSources sources;
    InspectSettings settings;
    sources.settings = &settings;
    ParameterTables built = ParameterTables::build(sources);
    ParameterDispatch withHandler{host, built, table, lock};
    reentrant.dispatch = &withHandler;
    uint32_t value = 0;
    EXPECT_THROW(withHandler.get(ids::FG_PIXELDEPTH, &value, 0), LockUseError);
    EXPECT_FALSE(lock.isLocked());
}

// ---- handler table ----

struct WidthOwner {
    uint32_t width = 1024;
    bool lastReport = false;
    void setWidth(uint32_t value, bool reportErrors) {
        width = value;
        lastReport = reportErrors;
    }
    void setOffset(double value, bool) { offset = value; }
    double offset = 0;
};

TEST(HandlerTable, CallsTheBoundSetterWithTheValueInItsTypeFromAnUnalignedBuffer) {
    ParameterHandlerTable table;
    WidthOwner owner;
    table.bindSetter<&WidthOwner::setWidth>(ids::FG_WIDTH, owner);
    table.bindStoredGetter<&WidthOwner::width>(ids::FG_WIDTH, owner);
    table.bindSetter<&WidthOwner::setOffset>(ids::FG_PROCESSING_OFFSET, owner);

    alignas(8) unsigned char buffer[16] = {};
    const uint32_t width = 2048;
    std::memcpy(buffer + 1, &width, sizeof width);
    table.set(ids::FG_WIDTH, buffer + 1, false);
    EXPECT_EQ(owner.width, 2048u);
    EXPECT_FALSE(owner.lastReport);
    const double offset = -1.5;
    std::memcpy(buffer + 3, &offset, sizeof offset);
    table.set(ids::FG_PROCESSING_OFFSET, buffer + 3, true);
    EXPECT_EQ(owner.offset, -1.5);

    uint32_t out = 0;
    table.get(ids::FG_WIDTH, &out);
    EXPECT_EQ(out, 2048u);
}

TEST(HandlerTable, IdsWithoutHandlersRaiseInvalidArgument) {
    ParameterHandlerTable table;
    WidthOwner owner;
    table.bindStoredGetter<&WidthOwner::width>(ids::FG_WIDTH, owner);
    uint32_t value = 0;
    for (int32_t id : {ids::FG_WIDTH, ids::FG_HEIGHT, 300239, 0}) {
        EXPECT_EQ(raisedCode([&] { table.set(id, &value, true); }), kErrInvalidArgument) << id;
    }
    EXPECT_THROW(table.get(ids::FG_HEIGHT, &value), int32_t);
    EXPECT_EQ(table.find(300239), nullptr);
    ASSERT_NE(table.find(ids::FG_HEIGHT), nullptr);
    EXPECT_EQ(table.find(ids::FG_HEIGHT)->set, nullptr);
}

TEST(HandlerTable, RefusesToBindOneParameterToTwoOwners) {
    ParameterHandlerTable table;
    WidthOwner first;
    WidthOwner second;
    table.bindSetter<&WidthOwner::setWidth>(ids::FG_WIDTH, first);
    EXPECT_THROW(table.bindStoredGetter<&WidthOwner::width>(ids::FG_WIDTH, second), std::logic_error);
    ParameterHandlerTable other;
    other.bindStoredGetter<&WidthOwner::width>(ids::FG_WIDTH, first);
    EXPECT_THROW(other.bindSetter<&WidthOwner::setWidth>(ids::FG_WIDTH, second), std::logic_error);
    EXPECT_THROW(other.bindSetter<&WidthOwner::setWidth>(300239, first), std::logic_error);
}

// ---- host register accessors ----

class RegisterAccessors : public ::testing::Test {
protected:
    WrapperPrivate host; // no host library: every host call answers kErrNotAvailable
    RegisterMap map;
};

TEST_F(RegisterAccessors, NullValueWithReportErrorsRaisesInvalidArgumentWithoutAskingTheHost) {
    // The host would have answered kErrNotAvailable.
    EXPECT_EQ(
        raisedCode([&] { map.write(host, HostRegister::CameraFormat, nullptr, kRegisterTypeValue, true); }),
        kErrInvalidArgument);
    EXPECT_EQ(
        raisedCode([&] { map.read(host, HostRegister::CameraFormat, nullptr, kRegisterTypeValue, true); }),
        kErrInvalidArgument);
}

TEST_F(RegisterAccessors, NullValueWithoutReportErrorsDoesNothing) {
    EXPECT_NO_THROW(map.write(host, HostRegister::CameraFormat, nullptr, kRegisterTypeValue, false));
    EXPECT_NO_THROW(map.read(host, HostRegister::CameraFormat, nullptr, kRegisterTypeValue, false));
}

TEST_F(RegisterAccessors, HostFailuresAreRaisedOnlyWhenReported) {
    uint32_t value = 7;
    EXPECT_EQ(
        raisedCode([&] { map.write(host, HostRegister::CameraFormat, &value, kRegisterTypeValue, true); }),
        kErrNotAvailable);
    EXPECT_NO_THROW(map.writeValue(host, HostRegister::CameraFormat, 7, false));
    EXPECT_NO_THROW(map.read(host, HostRegister::CameraFormat, &value, kRegisterTypeValue, false));
    EXPECT_EQ(value, 7u) << "a failed read leaves the buffer";
    EXPECT_THROW(map.readValue(host, HostRegister::CameraFormat), int32_t);
}

TEST(RegisterMapNames, ListTheRegistersInResolutionOrder) {
    EXPECT_STREQ(hostRegisterName(HostRegister::LookupTableLookupTableLUTcontent),
                 "Device1_Process0_LookupTable_LookupTable_LUTcontent");
    EXPECT_STREQ(hostRegisterName(HostRegister::ShadingShadingBuffer0CoefficientFile0),
                 "Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile 0");
    EXPECT_STREQ(hostRegisterName(HostRegister::TriggerCam0OutputEventSelectSelect),
                 "Device1_Process1_Trigger_TriggerCam0_OutputEvent_Select_Select");
    EXPECT_EQ(static_cast<std::size_t>(HostRegister::TriggerCam0OutputEventSelectSelect), 117u);
    EXPECT_EQ(static_cast<std::size_t>(HostRegister::CameraFormat), 29u);
}

TEST(RegisterMapIds, StayZeroUntilResolved) {
    RegisterMap map;
    for (std::size_t i = 0; i < kHostRegisterCount; ++i)
        EXPECT_EQ(map.id(static_cast<HostRegister>(i)), 0);
}

// ---- simulator registers on a board ----

class GeneratorRegistersOnBoard : public ::testing::Test {
protected:
    void SetUp() override {
        design = DesignImage_OpenFile(KESTREL_DESIGN_IMAGE_PATH, 2626, 1);
        ASSERT_NE(design, nullptr);
        int32_t error = 0;
        board = Board_Open(0, &error);
        ASSERT_NE(board, nullptr) << error;
        ASSERT_EQ(Board_LoadDesign(board, design), 0);
        registers.resolve(design);
    }
    void TearDown() override {
        if (board != nullptr)
            Board_Close(board);
        if (design != nullptr)
            DesignImage_Close(design);
    }

    void* design = nullptr;
    void* board = nullptr;
    GeneratorRegisters registers;
};

TEST_F(GeneratorRegistersOnBoard, StartWithThePowerUpShadows) {
    for (std::size_t i = 0; i < kGeneratorRegisterCount; ++i) {
        const auto reg = static_cast<GeneratorRegister>(i);
        EXPECT_EQ(registers.cachedValue(reg), kGeneratorRegisterPowerUpValues[i]);
        EXPECT_EQ(registers.id(reg), DesignImage_GetRegisterId(design, kGeneratorRegisterNames[i]));
        EXPECT_NE(registers.id(reg), 0u) << kGeneratorRegisterNames[i];
    }
}

TEST_F(GeneratorRegistersOnBoard, SuccessfulWritesUpdateTheShadowAndTheBoard) {
    EXPECT_EQ(registers.write(board, GeneratorRegister::Width, 640, true), 0);
    EXPECT_EQ(registers.cachedValue(GeneratorRegister::Width), 640u);
    uint64_t onBoard = 0;
    ASSERT_EQ(Board_ReadRegister(board, registers.id(GeneratorRegister::Width), &onBoard), 0);
    EXPECT_EQ(onBoard, 640u);
}

TEST_F(GeneratorRegistersOnBoard, FailingWritesKeepTheShadowAndRaiseOnlyWhenReported) {
    const uint32_t id = registers.id(GeneratorRegister::Mask);
    ASSERT_EQ(registers.write(board, GeneratorRegister::Mask, 9, true), 0);
    ASSERT_EQ(Board_FailRegisterWrites(board, id, -777), 0);

    EXPECT_EQ(registers.write(board, GeneratorRegister::Mask, 3, false), -777);
    EXPECT_EQ(registers.cachedValue(GeneratorRegister::Mask), 9u);
    EXPECT_EQ(raisedCode([&] { registers.write(board, GeneratorRegister::Mask, 5, true); }), -777);
    EXPECT_EQ(registers.cachedValue(GeneratorRegister::Mask), 9u);
    uint64_t mask = 0;
    registers.readCachedMask(&mask, true);
    EXPECT_EQ(mask, 9u);
}

// ---- direct register access sizing ----

TEST_F(GeneratorRegistersOnBoard, DirectAccessSizesTheBufferByTheRegisterWidth) {
    const uint32_t narrow = DesignImage_GetRegisterId(design, "Device1_Process0_Camera_FrameTimeout_Ticks");
    const uint32_t wide = DesignImage_GetRegisterId(design, "Device1_Process0_Timestamp_Preset_Value");
    unsigned char buffer[8] = {0x01, 0x02, 0x03, 0x00, 0x11, 0x22, 0x33, 0x44};
    ASSERT_EQ(ParameterDispatch::writeDesignRegister(board, design, narrow, buffer), 0);
    ASSERT_EQ(ParameterDispatch::writeDesignRegister(board, design, wide, buffer), 0);

    unsigned char out[8];
    std::fill(std::begin(out), std::end(out), 0xEE);
    ASSERT_EQ(ParameterDispatch::readDesignRegister(board, design, narrow, out), 0);
    EXPECT_EQ(out[0], 0x01);
    EXPECT_EQ(out[2], 0x03);
    EXPECT_EQ(out[3], 0x00);
    EXPECT_EQ(out[4], 0xEE) << "four bytes only";

    std::fill(std::begin(out), std::end(out), 0xEE);
    ASSERT_EQ(ParameterDispatch::readDesignRegister(board, design, wide, out), 0);
    EXPECT_EQ(out[4], 0x11);
    EXPECT_EQ(out[5], 0x22);
    EXPECT_EQ(out[6], 0x00) << "48 bits: the top two bytes are masked";
    EXPECT_EQ(out[7], 0x00);
}

} // namespace
} // namespace kestrel
