// The two optional parameter families: direct register access ("DRA_", switched on through the
// environment) and design access ("DDSA_", switched on per name in "inspect.conf" beside the
// library). Each test creates the applet from its own copy of the library, so the settings file
// it writes is seen by nothing else.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "applet_on_board.h"
#include "core/error_codes.h"
#include "device/register_map.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_ids.h"
#include "scoped_environment.h"

namespace {

namespace fs = std::filesystem;
using kestrel::kCatalogueSize;
using kestrel::test::AppletOnBoard;
using kestrel::test::ScopedEnvironment;

class ParameterFamilies : public ::testing::Test {
protected:
    // A private directory holding a copy of the applet library; links to the built libraries
    // resolve to the same files, so a library the process already has is not loaded twice.
    void SetUp() override {
        unsetenv("QUIL_ENABLE_DRA");
        unsetenv("QUIL_ENABLE_DDSA");
        std::string pattern = (fs::temp_directory_path() / "kestrel-dispatch-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        const fs::path libraries(KESTREL_LIB_DIR);
        fs::copy_file(libraries / "Kestrel12.so", dir_ / "Kestrel12.so");
        for (const char* library : {"libgrabhost5.so", "libdesignrt.so", "libboardhw.so", "libregiort.so"})
            fs::create_symlink(libraries / library, dir_ / library);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::unique_ptr<AppletOnBoard> create(const std::string& settings = "") {
        if (!settings.empty())
            std::ofstream(dir_ / "inspect.conf") << settings;
        return std::make_unique<AppletOnBoard>((dir_ / "Kestrel12.so").string());
    }
    static int32_t count(const AppletOnBoard& a) { return a.exports().Fg_getNrOfParameter(a.fg()); }

    fs::path dir_;
};

TEST_F(ParameterFamilies, RegisterAccessPassesBoardFailuresThroughAndHasNoRegisterAtItsBase) {
    ScopedEnvironment on("QUIL_ENABLE_DRA", "1");
    auto applet = create();
    const char* name = kestrel::test::designName(kestrel::HostRegister::CameraFormat);
    const int32_t id = kestrel::ids::kRegisterAccessBase + int32_t(applet->registerId(name));
    applet->failWrites(name, -4242);
    EXPECT_EQ(applet->set(id, uint32_t{1}), -4242);
    EXPECT_EQ(applet->lastError(), -4242);
    // A register id the design does not have: the board refuses the read, the buffer stays.
    uint32_t out = 0xDEADBEEF;
    const int32_t result = applet->exports().Fg_getParameterWithType(
        applet->fg(), kestrel::ids::kRegisterAccessBase + 999999, &out, 0, 0);
    EXPECT_NE(result, 0);
    EXPECT_EQ(applet->lastError(), result);
    EXPECT_EQ(out, 0xDEADBEEFu);
    EXPECT_EQ(applet->set(kestrel::ids::kRegisterAccessBase, uint32_t{0}), kestrel::kErrInvalidArgument);
}

// A switched-on name becomes a design-access entry only when the host gives it an id other than 0:
// so the count shows that the host knows all of the applet's register names.
TEST_F(ParameterFamilies, EveryRegisterTheAppletResolvesIsKnownToTheRealHost) {
    std::string settings = "[Kestrel12]\n";
    for (std::size_t i = 0; i < kestrel::kHostRegisterCount; ++i)
        settings += std::string(kestrel::test::designName(static_cast<kestrel::HostRegister>(i))) + " = on\n";
    EXPECT_EQ(count(*create(settings)), kCatalogueSize + int32_t(kestrel::kHostRegisterCount));
}

} // namespace
