// Saving and loading configurations of the built applet on the virtual board, through its exports.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../config/comma_locale.h"
#include "api/error_codes.h"
#include "applet_on_board.h"
#include "boardhw.h"
#include "config/saved_parameters.h"
#include "config_text_edits.h"
#include "designrt.h"
#include "params/parameter_ids.h"
#include "scratch_dir.h"

namespace kestrel {
namespace {

using namespace ids;
using test::AppletOnBoard;

// Every saved parameter's value as typed get answers it, as text.
using ParameterSnapshot = std::map<std::string, std::string>;
// Every plain design register the board can read, by design name.
using RegisterSnapshot = std::map<std::string, uint64_t>;

class ConfigOnApplet : public test::ScratchDirTest {
protected:
    void SetUp() override {
        test::ScratchDirTest::SetUp();
        applet_ = std::make_unique<AppletOnBoard>();
    }
    void TearDown() override {
        applet_.reset();
        test::ScratchDirTest::TearDown();
    }

    AppletOnBoard& applet() { return *applet_; }
    // The applet goes, and a new one comes up on the same board from the board's reset state.
    void freshApplet() {
        applet_.reset();
        applet_ = std::make_unique<AppletOnBoard>();
    }

    int32_t saveConfig(const std::string& file) {
        return applet().exports().Fg_saveConfig(applet().fg(), file.c_str());
    }
    int32_t loadConfig(const std::string& file) {
        return applet().exports().Fg_loadConfig(applet().fg(), file.c_str());
    }

    std::string valueText(const SavedParameter& p) {
        char buffer[4096] = {};
        const int32_t result = applet().exports().Fg_getParameterWithType(applet().fg(), p.id, buffer, 0, 0);
        if (result != kOk)
            return "error " + std::to_string(result);
        char text[64];
        switch (p.type) {
        case ParameterType::UInt32: {
            uint32_t v;
            std::memcpy(&v, buffer, sizeof v);
            std::snprintf(text, sizeof text, "%u", v);
            return text;
        }
        case ParameterType::Int32: {
            int32_t v;
            std::memcpy(&v, buffer, sizeof v);
            std::snprintf(text, sizeof text, "%d", v);
            return text;
        }
        case ParameterType::Double: {
            double v;
            std::memcpy(&v, buffer, sizeof v);
            std::snprintf(text, sizeof text, "%.17g", v);
            return text;
        }
        default:
            return std::string("'") + buffer + "'";
        }
    }
    ParameterSnapshot parameters() {
        ParameterSnapshot snapshot;
        for (const SavedParameter& p : savedParameters())
            snapshot[p.key] = valueText(p);
        return snapshot;
    }
    RegisterSnapshot registers() {
        RegisterSnapshot snapshot;
        void* design = DesignImage_OpenFile(KESTREL_LIB_DIR "/Kestrel12.hap", DESIGNRT_FORMAT_REVISION, 0);
        EXPECT_NE(design, nullptr);
        const int32_t count = DesignImage_GetRegisterCount(design);
        for (int32_t index = 1; index <= count; ++index) {
            const char* name = DesignImage_GetRegisterName(design, index);
            uint64_t value = 0;
            if (Board_ReadRegister(applet().boardDevice(), DesignImage_GetRegisterId(design, name), &value) ==
                0)
                snapshot[name] = value;
        }
        DesignImage_Close(design);
        return snapshot;
    }
    std::vector<uint32_t> lut() {
        std::vector<uint32_t> entries(4096);
        EXPECT_EQ(Board_ReadLut(applet().boardDevice(), 0, entries.data(), 4096), 0);
        return entries;
    }

    template <class T> void setOrFail(int32_t id, T value) {
        ASSERT_EQ(applet().set(id, value), kOk) << "set of " << id;
    }

    // Settings that differ from a new applet's in every group of parameters, made in file order:
    // a load applies them in that order, so the board ends as it was.
    void changeManySettings() {
        setOrFail<uint32_t>(FG_TIMEOUT, 300);
        setOrFail<uint32_t>(FG_WIDTH, 512);
        setOrFail<uint32_t>(FG_HEIGHT, 256);
        setOrFail<uint32_t>(FG_XOFFSET, 64);
        setOrFail<uint32_t>(FG_YOFFSET, 8);
        setOrFail<int32_t>(FG_FORMAT, 1);
        setOrFail<int32_t>(FG_BITALIGNMENT, 0);
        setOrFail<uint32_t>(FG_GEN_WIDTH, 2048);
        setOrFail<uint32_t>(FG_GEN_LINE_GAP, 12);
        setOrFail<uint32_t>(FG_IMG_SELECT_PERIOD, 4);
        setOrFail<uint32_t>(FG_IMG_SELECT, 2);
        setOrFail<int32_t>(FG_NOISEFILTER, 1);
        setOrFail<double>(FG_PROCESSING_GAIN, 1.25);
        setOrFail<double>(FG_PROCESSING_GAMMA, 1.5);
        setOrFail<int32_t>(FG_PROCESSING_INVERT, 1);
        setOrFail<uint32_t>(FG_AREATRIGGERMODE, 2);
        setOrFail<double>(FG_TRIGGER_FRAMESPERSECOND, 25.0);
        setOrFail<int32_t>(FG_TRIGGERIN_POLARITY, 1);
        setOrFail<uint32_t>(FG_TRIGGERIN_DOWNSCALE, 3);
        setOrFail<int32_t>(FG_TRIGGERQUEUE_MODE, 0);
        setOrFail<double>(FG_TRIGGER_PULSEFORMGEN0_DELAY, 0.1);
        setOrFail<double>(FG_TRIGGER_PULSEFORMGEN1_WIDTH, 20.0);
        setOrFail<uint32_t>(FG_TRIGGERCC_SELECT2, 1);
        setOrFail<uint32_t>(FG_TRIGGEROUT_SELECT3, 0);
    }

    std::unique_ptr<AppletOnBoard> applet_;
};

// The registers whose values differ, as "name: expected -> actual" lines, for failure messages.
std::string registerDifferences(const RegisterSnapshot& expected, const RegisterSnapshot& actual) {
    std::string text;
    for (const auto& [name, value] : expected) {
        const auto found = actual.find(name);
        if (found == actual.end())
            text += name + ": " + std::to_string(value) + " -> (unreadable)\n";
        else if (found->second != value)
            text += name + ": " + std::to_string(value) + " -> " + std::to_string(found->second) + "\n";
    }
    return text;
}

// ---- saving ----

TEST_F(ConfigOnApplet, SaveToANameWithoutScfFailsAndLoadOfAMissingFileIsAReadFailure) {
    EXPECT_EQ(saveConfig(path("settings.txt")), kErrFileWrite);
    EXPECT_EQ(applet().lastError(), kErrFileWrite);
    EXPECT_FALSE(exists("settings.txt"));
    // The load's result names the read failure; its last error, the load failure.
    EXPECT_EQ(loadConfig(path("missing.scf")), kErrFileRead);
    EXPECT_EQ(applet().lastError(), kErrConfigLoad);
}

// The save and the LUT writer report only a file that cannot be created; errors of the stream
// while writing are not theirs to see. On a full disk (a link to /dev/full) both succeed, the link
// and the device stay, and the LUT writer keeps the new name. Callers that need a whole file
// check it themselves (the kestrel tool does).
TEST_F(ConfigOnApplet, WriteErrorsAfterTheFileIsCreatedAreNotReported) {
    ASSERT_TRUE(std::filesystem::is_character_file("/dev/full"));
    for (const bool lutWriter : {false, true}) {
        SCOPED_TRACE(lutWriter ? "LUT writer" : "configuration save");
        const std::string file = path(lutWriter ? "full-lut.txt" : "full.scf");
        std::filesystem::create_symlink("/dev/full", file);
        const int32_t result =
            lutWriter ? applet().setText(FG_LUT_SAVE_FILE, file.c_str()) : saveConfig(file);
        EXPECT_EQ(result, kOk);
        EXPECT_EQ(applet().lastError(), kOk);
        EXPECT_TRUE(std::filesystem::is_symlink(file));
        EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    }
}

// ---- loading ----

TEST_F(ConfigOnApplet, LoadAppliesInFileOrderSoTheQueueModeHasTheLastWordOnTheMinimumPeriod) {
    // Set last, the frequency leaves its own minimum period; a load applies the frequency before
    // the queue mode, and the queue mode (off, outside generator mode) writes the fixed period.
    setOrFail<uint32_t>(FG_AREATRIGGERMODE, 2);
    setOrFail<int32_t>(FG_TRIGGERQUEUE_MODE, 0);
    setOrFail<double>(FG_TRIGGER_FRAMESPERSECOND, 25.0);
    const char* minimumPeriod =
        "Device1_Process1_Trigger_TriggerCam0_Generators_Generator_MinimumPeriod_Number";
    EXPECT_EQ(applet().reg(minimumPeriod), 2499991u);
    ASSERT_EQ(saveConfig(path("a.scf")), kOk);
    ASSERT_EQ(loadConfig(path("a.scf")), kOk);
    EXPECT_EQ(applet().reg(minimumPeriod), 10u);
    EXPECT_EQ(applet().get<double>(FG_TRIGGER_FRAMESPERSECOND), 25.0);
}

TEST_F(ConfigOnApplet, LoadingItsOwnFileLeavesAnAppletAsItWas) {
    changeManySettings();
    ASSERT_EQ(saveConfig(path("many.scf")), kOk);
    const ParameterSnapshot before = parameters();
    const RegisterSnapshot registersBefore = registers();
    ASSERT_EQ(loadConfig(path("many.scf")), kOk);
    EXPECT_EQ(parameters(), before);
    EXPECT_EQ(registerDifferences(registersBefore, registers()), "");
}

TEST_F(ConfigOnApplet, ARejectedValueIsIgnoredByTheBoardButKeptInItsField) {
    ASSERT_EQ(saveConfig(path("a.scf")), kOk);
    const uint64_t widthRegister = applet().reg("Device1_Process0_Buffer_0_DRAM_A_0_XLength");
    const std::string file = writeFile("b.scf", test::withValue(readFile(path("a.scf")), "FG_WIDTH", "1000"));
    EXPECT_EQ(loadConfig(file), kOk);
    EXPECT_EQ(applet().lastError(), kOk);
    EXPECT_EQ(applet().get<uint32_t>(FG_WIDTH), 1000u);
    EXPECT_EQ(applet().reg("Device1_Process0_Buffer_0_DRAM_A_0_XLength"), widthRegister);
}

// ---- locale ----

// The whole process under a locale whose decimal point is ','; "C" again afterwards.
class ConfigUnderCommaLocale : public ConfigOnApplet {
protected:
    void SetUp() override {
        if (!test::useCommaLocale(LC_ALL))
            GTEST_SKIP() << "no locale with ',' as decimal point can be had";
        ConfigOnApplet::SetUp();
    }
    void TearDown() override {
        ConfigOnApplet::TearDown();
        std::setlocale(LC_ALL, "C");
    }
};

TEST_F(ConfigUnderCommaLocale, SaveWritesADecimalPoint) {
    setOrFail<double>(FG_TRIGGER_PULSEFORMGEN0_DELAY, 0.1);
    setOrFail<double>(FG_PROCESSING_GAMMA, 1.5);
    ASSERT_EQ(saveConfig(path("a.scf")), kOk);
    const std::string text = readFile(path("a.scf"));
    EXPECT_NE(text.find("\nFG_TRIGGER_PULSEFORMGEN0_DELAY=0.1;\n"), std::string::npos);
    EXPECT_NE(text.find("\nFG_PROCESSING_GAMMA=1.5;\n"), std::string::npos);
    EXPECT_EQ(text.find("0,1"), std::string::npos);
    EXPECT_TRUE(test::decimalPointIsComma()) << "saving must not switch the process locale";
}

TEST_F(ConfigUnderCommaLocale, LoadReadsADecimalPoint) {
    ASSERT_EQ(saveConfig(path("a.scf")), kOk);
    std::string text = readFile(path("a.scf"));
    text = test::withValue(text, "FG_TRIGGER_PULSEFORMGEN0_DELAY", "0.25");
    text = test::withValue(text, "FG_PROCESSING_GAMMA", "1.75");
    ASSERT_EQ(loadConfig(writeFile("b.scf", text)), kOk);
    // The delay is kept in whole 16 ns ticks: the value read is near, and not the 0 a comma
    // reading would give.
    EXPECT_NEAR(applet().get<double>(FG_TRIGGER_PULSEFORMGEN0_DELAY), 0.25, 0.016);
    EXPECT_EQ(applet().get<double>(FG_PROCESSING_GAMMA), 1.75);
    EXPECT_TRUE(test::decimalPointIsComma()) << "loading must not switch the process locale";
}

} // namespace
} // namespace kestrel
