// The two optional parameter families: direct register access ("DRA_", switched on through the
// environment) and design access ("DDSA_", switched on per name in "inspect.conf" beside the
// library). Each test creates the applet from its own copy of the library, so the settings file
// it writes is seen by nothing else.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

#include "api/error_codes.h"
#include "boardhw.h"
#include "designrt.h"
#include "device/register_map.h"
#include "grabhost5.hpp"
#include "params/parameter_ids.h"
#include "scoped_environment.h"

namespace {

namespace fs = std::filesystem;
using kestrel::test::ScopedEnvironment;

// The 118 registers the applet resolves through the host by name, as the applet lists them.
constexpr const char* kHostRegisterNames[] = {
#define KESTREL_TEST_REGISTER_NAME(id, name) name,
    KESTREL_HOST_REGISTERS(KESTREL_TEST_REGISTER_NAME)
#undef KESTREL_TEST_REGISTER_NAME
};
static_assert(std::size(kHostRegisterNames) == 118);

// A private directory holding a copy of the applet library and, on request, an "inspect.conf".
class PrivateAppletDirectory {
public:
    PrivateAppletDirectory() {
        std::string pattern = (fs::temp_directory_path() / "kestrel-dispatch-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("no temporary directory");
        dir_ = pattern;
        const fs::path libraries(KESTREL_LIB_DIR);
        fs::copy_file(libraries / "Kestrel12.so", dir_ / "Kestrel12.so");
        // The copy finds its libraries beside itself; links to the built ones resolve to the same
        // files, so a library the process already has is not loaded twice.
        for (const char* library : {"libgrabhost5.so", "libdesignrt.so", "libboardhw.so", "libregiort.so"})
            fs::create_symlink(libraries / library, dir_ / library);
    }
    ~PrivateAppletDirectory() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    PrivateAppletDirectory(const PrivateAppletDirectory&) = delete;
    PrivateAppletDirectory& operator=(const PrivateAppletDirectory&) = delete;

    void writeSettings(const std::string& text) const { std::ofstream(dir_ / "inspect.conf") << text; }
    std::string appletPath() const { return (dir_ / "Kestrel12.so").string(); }

private:
    fs::path dir_;
};

class CreatedApplet {
public:
    explicit CreatedApplet(const std::string& path)
        : board_(gh5::Board::open(0)), grabber_(gh5::Grabber::create(board_, path)),
          design_(DesignImage_OpenFile(KESTREL_LIB_DIR "/Kestrel12.hap", 2626, 1)) {}
    ~CreatedApplet() {
        grabber_.free();
        if (design_ != nullptr)
            DesignImage_Close(design_);
    }
    CreatedApplet(const CreatedApplet&) = delete;
    CreatedApplet& operator=(const CreatedApplet&) = delete;

    const Gh5AppletExports& exports() const { return grabber_.exports(); }
    void* fg() const { return grabber_.record(); }
    void* design() const { return design_; }
    void* board() const { return board_.device(); }

    int32_t count() const { return exports().Fg_getNrOfParameter(fg()); }
    const char* nameAt(int32_t index) const { return exports().Fg_getParameterName(fg(), index); }
    int32_t idAt(int32_t index) const { return exports().Fg_getParameterId(fg(), index); }
    int32_t idByName(const char* name) const { return exports().Fg_getParameterIdByName(fg(), name); }
    int32_t set(int32_t id, const void* value) const {
        return exports().Fg_setParameterWithType(fg(), id, value, 0, 0);
    }
    int32_t get(int32_t id, void* value, int32_t type = 0) const {
        return exports().Fg_getParameterWithType(fg(), id, value, 0, type);
    }
    int32_t lastError() const { return exports().Fg_getLastErrorNumber(fg()); }
    uint32_t registerId(const char* name) const { return DesignImage_GetRegisterId(design_, name); }

private:
    gh5::Board board_;
    gh5::Grabber grabber_;
    void* design_;
};

class ParameterFamilies : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("QUIL_ENABLE_DRA");
        unsetenv("QUIL_ENABLE_DDSA");
    }
    std::unique_ptr<CreatedApplet> create() { return std::make_unique<CreatedApplet>(dir.appletPath()); }

    PrivateAppletDirectory dir;
};

// ---- register access ----

class RegisterAccess : public ParameterFamilies {
protected:
    void SetUp() override {
        ParameterFamilies::SetUp();
        setenv("QUIL_ENABLE_DRA", "1", 1);
        applet = create();
    }
    void TearDown() override {
        applet.reset();
        unsetenv("QUIL_ENABLE_DRA");
    }
    int32_t idOf(const char* name) const {
        return kestrel::ids::kRegisterAccessBase + int32_t(applet->registerId(name));
    }
    uint64_t boardValue(const char* name) const {
        uint64_t value = 0;
        EXPECT_EQ(Board_ReadRegister(applet->board(), applet->registerId(name), &value), 0);
        return value;
    }

    std::unique_ptr<CreatedApplet> applet;
};

constexpr const char* k24Bit = "Device1_Process0_Camera_FrameTimeout_Ticks";
constexpr const char* k32Bit =
    "Device1_Process1_Trigger_TriggerCam0_PulseFormGenerators_PulseFormGenerator0_Width_Width";

TEST_F(RegisterAccess, RegistersOfAtMost32BitsTakeAndGiveFourBytes) {
    for (const char* name : {k24Bit, k32Bit}) {
        ASSERT_LE(DesignImage_GetRegisterWidth(applet->design(), applet->registerId(name)), 32) << name;
        // Only the first four bytes count on a write: the rest of the buffer is garbage.
        std::array<uint8_t, 8> in{0x56, 0x34, 0x12, 0x00, 0xAA, 0xBB, 0xCC, 0xDD};
        ASSERT_EQ(applet->set(idOf(name), in.data()), 0) << name;
        EXPECT_EQ(boardValue(name), 0x123456u) << name;

        std::array<uint8_t, 8> out;
        out.fill(0xEE);
        ASSERT_EQ(applet->get(idOf(name), out.data()), 0) << name;
        EXPECT_EQ((std::array<uint8_t, 8>{0x56, 0x34, 0x12, 0x00, 0xEE, 0xEE, 0xEE, 0xEE}), out) << name;
    }
}

TEST_F(RegisterAccess, BoardFailuresPassThroughAndLeaveTheBufferAlone) {
    const uint32_t id = applet->registerId(k32Bit);
    ASSERT_EQ(Board_FailRegisterWrites(applet->board(), id, -4242), 0);
    const uint32_t value = 77;
    EXPECT_EQ(applet->set(idOf(k32Bit), &value), -4242);
    EXPECT_EQ(applet->lastError(), -4242);
    ASSERT_EQ(Board_FailRegisterWrites(applet->board(), id, 0), 0);

    // A register id the design does not have: the board refuses the read.
    uint32_t out = 0xDEADBEEF;
    const int32_t result = applet->get(kestrel::ids::kRegisterAccessBase + 999999, &out);
    EXPECT_NE(result, 0);
    EXPECT_EQ(applet->lastError(), result);
    EXPECT_EQ(out, 0xDEADBEEFu);
}

TEST_F(RegisterAccess, IdentifierOneMillionItselfIsNoRegister) {
    uint32_t value = 0;
    EXPECT_EQ(applet->get(kestrel::ids::kRegisterAccessBase, &value), kestrel::kErrInvalidArgument);
    EXPECT_EQ(applet->set(kestrel::ids::kRegisterAccessBase, &value), kestrel::kErrInvalidArgument);
}

// ---- design access ----

TEST_F(ParameterFamilies, BothFamiliesTogetherPutDesignAccessNamesLast) {
    dir.writeSettings("[Kestrel12]\nDevice1_Process0_Camera_Format=yes\n");
    ScopedEnvironment on("QUIL_ENABLE_DRA", "true");
    const auto applet = create();
    const int32_t registers = DesignImage_GetRegisterCount(applet->design());
    ASSERT_EQ(applet->count(), 141 + registers);
    EXPECT_STREQ(applet->nameAt(140 + registers), "DDSA_Device1_Process0_Camera_Format");
    EXPECT_EQ(applet->idAt(139 + registers), applet->idByName(applet->nameAt(139 + registers)));
}

TEST_F(ParameterFamilies, EveryRegisterTheAppletResolvesIsKnownToTheRealHost) {
    // A switched-on name becomes a design-access entry only when the host gives it an id other
    // than 0: so the count shows that the host knows all of the applet's register names.
    std::string settings = "[Kestrel12]\n";
    for (const char* name : kHostRegisterNames)
        settings += std::string(name) + " = on\n";
    dir.writeSettings(settings);
    const auto applet = create();
    EXPECT_EQ(applet->count(), 140 + int32_t(std::size(kHostRegisterNames)));
}

TEST_F(ParameterFamilies, TheDesignAccessSwitchMirrorsTheHostsFeatures) {
    ScopedEnvironment on("QUIL_ENABLE_DDSA", "ON");
    const auto applet = create();
    EXPECT_GT(applet->count(), 140);
    for (int32_t index = 140; index < applet->count(); ++index) {
        const char* name = applet->nameAt(index);
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(std::strncmp(name, "DDSA_", 5), 0) << name;
    }
}

} // namespace
