// The C boundary: whatever an applet operation throws stays inside the export, except the lock's
// use errors, which mark programming errors and pass through.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "api/fg_ds_wrapper.h"
#include "api/wrapper_private.h"
#include "core/error_codes.h"
#include "kestrel12.h"
#include "support/locks.h"

namespace {

enum class Failure { None, Code, OutOfMemory, Runtime, LockMisuse };

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
    const char* getParameterName(int32_t) override { return answer(0) == 0 ? "FG_WIDTH" : nullptr; }
    int32_t getParameterId(int32_t) override { return answer(100); }
    int32_t getNrOfParameter() override { return answer(140); }
    void* allocShading(int32_t, int32_t) override { return answer(0) == 0 ? this : nullptr; }
    int32_t getMaxLine(void*) override { return answer(4096); }
    uint64_t getEventMask(const char*) override { return static_cast<uint64_t>(answer(1)); }
    const char* getVendorName() override { return "test"; }
    const char* getAppletName() override { return "test"; }
    const char* getAppletVersion() override { return "0"; }
    int32_t getLoadAppletId() override { return 0; }

private:
    int32_t answer(int32_t value) {
        switch (failure) {
        case Failure::None:
            return value;
        case Failure::Code:
            kestrel::raise(kestrel::kErrOutOfRange);
        case Failure::OutOfMemory:
            throw std::bad_alloc();
        case Failure::Runtime:
            throw std::runtime_error("runtime");
        case Failure::LockMisuse:
            throw quil::templates::patterns::LockUseError(
                "GenericLock object got lock but is already marked as locked");
        }
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

// A code-returning export returns a thrown code, kErrOutOfMemory for exhausted memory and
// kErrGeneric for anything else; the others return their failure value. The last error is set
// only by exports that set it.
TEST_F(ExportShield, ThrownFailuresBecomeResults) {
    struct Row {
        Failure failure;
        int32_t code;
    };
    for (const Row row :
         {Row{Failure::Code, kestrel::kErrOutOfRange}, Row{Failure::OutOfMemory, kestrel::kErrOutOfMemory},
          Row{Failure::Runtime, kestrel::kErrGeneric}}) {
        applet->failure = row.failure;
        uint32_t value = 0;
        EXPECT_EQ(Fg_setParameterWithType(record, 100, &value, 0, 2), row.code);
        EXPECT_EQ(Fg_getParameterIdByName(record, "FG_WIDTH"), row.code);
        EXPECT_EQ(Fg_getNrOfParameter(record), row.code);
        EXPECT_EQ(Fg_getParameterName(record, 0), nullptr);
        EXPECT_EQ(Fg_getEventMask(record, "x"), 0u);
        EXPECT_EQ(Fg_AllocShading(record, 1, 0), nullptr);
        EXPECT_EQ(Fg_getLastErrorNumber(record), kestrel::kErrGeneric) << "a failed allocation leaves -1";
        EXPECT_EQ(Shad_GetMaxLine(record, applet), row.code);
        EXPECT_EQ(Fg_getLastErrorNumber(record), row.code);
    }
}

TEST_F(ExportShield, LockMisusePassesThrough) {
    applet->failure = Failure::LockMisuse;
    uint32_t value = 0;
    EXPECT_THROW(Fg_setParameterWithType(record, 100, &value, 0, 2), quil::templates::patterns::LockUseError);
    EXPECT_THROW(Fg_getParameterName(record, 0), std::logic_error);
}
