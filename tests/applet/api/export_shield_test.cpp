// The C boundary: whatever an applet operation throws stays inside the export, except the lock's
// use errors, which mark programming errors and pass through.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "api/error_codes.h"
#include "api/fg_ds_wrapper.h"
#include "api/wrapper_private.h"
#include "support/locks.h"

extern "C" {
int32_t Fg_setParameterWithType(void* fg, int32_t id, const void* value, uint32_t dma, int32_t type);
int32_t Fg_getParameterWithType(void* fg, int32_t id, void* value, uint32_t dma, int32_t type);
int32_t Fg_getParameterIdByName(void* fg, const char* name);
const char* Fg_getParameterName(void* fg, int32_t index);
int32_t Fg_getNrOfParameter(void* fg);
uint64_t Fg_getEventMask(void* fg, const char* name);
void* Fg_AllocShading(void* fg, int32_t a, int32_t b);
int32_t Shad_GetMaxLine(void* fg, void* shading);
int32_t Fg_getLastErrorNumber(void* fg);
int32_t Fg_FreeGrabber(void* fg);
}

namespace {

enum class Failure { None, Code, OutOfMemory, Runtime, LockMisuse };

void fail(Failure failure) {
    switch (failure) {
    case Failure::None:
        return;
    case Failure::Code:
        kestrel::raise(-6000);
    case Failure::OutOfMemory:
        throw std::bad_alloc();
    case Failure::Runtime:
        throw std::runtime_error("runtime");
    case Failure::LockMisuse:
        throw quil::templates::patterns::LockUseError(
            "GenericLock object got lock but is already marked as locked");
    }
}

// An applet whose operations throw what the test asks for.
class ThrowingApplet final : public kestrel::FgDsWrapper {
public:
    Failure failure = Failure::None;

    bool loadParameters(kestrel::Fg_ConfigFileParser&) override { return false; }
    void saveParameters(kestrel::Fg_ConfigFileParser&) override {}
    void processChannelToDma() override {}
    void mapDmaToFormat() override {}
    void setDmaAlignment() override {}
    void getDmaAlignment() override {}
    void buildParameterInfo() override {}
    int32_t setParameterWithType(int32_t, const void*, uint32_t, int32_t) override { return answer(0); }
    int32_t getParameterWithType(int32_t, void*, uint32_t, int32_t) override { return answer(0); }
    int32_t getParameterIdByName(const char*) override { return answer(100); }
    const char* getParameterName(int32_t) override {
        fail(failure);
        return "FG_WIDTH";
    }
    int32_t getParameterId(int32_t) override { return answer(100); }
    int32_t getNrOfParameter() override { return answer(140); }
    void* allocShading(int32_t, int32_t) override {
        fail(failure);
        return this;
    }
    int32_t getMaxLine(void*) override { return answer(4096); }
    uint64_t getEventMask(const char*) override {
        fail(failure);
        return 1;
    }
    const char* getVendorName() override { return "test"; }
    const char* getAppletName() override { return "test"; }
    const char* getAppletVersion() override { return "0"; }
    int32_t getLoadAppletId() override { return 0; }

private:
    int32_t answer(int32_t value) {
        fail(failure);
        return value;
    }
};

class ExportShield : public ::testing::Test {
protected:
    ThrowingApplet* applet = new ThrowingApplet;
    void* record[2] = {static_cast<kestrel::FgDsWrapper*>(applet), nullptr};
    void TearDown() override {
        applet->failure = Failure::None;
        EXPECT_EQ(Fg_FreeGrabber(record), 0);
    }
};

} // namespace

TEST_F(ExportShield, ThrownCodeBecomesTheResult) {
    applet->failure = Failure::Code;
    uint32_t value = 0;
    EXPECT_EQ(Fg_setParameterWithType(record, 100, &value, 0, 2), -6000);
    EXPECT_EQ(Fg_getParameterIdByName(record, "FG_WIDTH"), -6000);
    EXPECT_EQ(Fg_getParameterName(record, 0), nullptr);
    EXPECT_EQ(Fg_getEventMask(record, "x"), 0u);
}

TEST_F(ExportShield, ExhaustedMemoryBecomesMinus2020OrTheFailureValue) {
    applet->failure = Failure::OutOfMemory;
    uint32_t value = 0;
    EXPECT_EQ(Fg_getParameterWithType(record, 100, &value, 0, 2), -2020);
    EXPECT_EQ(Fg_getNrOfParameter(record), -2020);
    EXPECT_EQ(Fg_AllocShading(record, 1, 0), nullptr);
    EXPECT_EQ(Fg_getLastErrorNumber(record), -1);
}

TEST_F(ExportShield, OtherExceptionsBecomeAGenericFailure) {
    applet->failure = Failure::Runtime;
    uint32_t value = 0;
    EXPECT_EQ(Fg_setParameterWithType(record, 100, &value, 0, 2), -1);
    EXPECT_EQ(Shad_GetMaxLine(record, applet), -1);
    EXPECT_EQ(Fg_getLastErrorNumber(record), -1);
}

TEST_F(ExportShield, LockMisusePassesThrough) {
    applet->failure = Failure::LockMisuse;
    uint32_t value = 0;
    EXPECT_THROW(Fg_setParameterWithType(record, 100, &value, 0, 2), quil::templates::patterns::LockUseError);
    EXPECT_THROW(Fg_getParameterName(record, 0), std::logic_error);
}

TEST_F(ExportShield, PositiveShadingResultIsLeftAsLastError) {
    EXPECT_EQ(Shad_GetMaxLine(record, applet), 4096);
    EXPECT_EQ(Fg_getLastErrorNumber(record), 4096);
}

TEST_F(ExportShield, AllocatedShadingClearsTheLastError) {
    applet->wrapperPrivate().setLastError(-77);
    EXPECT_EQ(Fg_AllocShading(record, 1, 0), applet);
    EXPECT_EQ(Fg_getLastErrorNumber(record), 0);
}
