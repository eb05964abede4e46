// Saving and loading configurations of the built applet on the virtual board, through its exports.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "applet_on_board.h"
#include "config/saved_parameters.h"
#include "config_text_edits.h"
#include "core/error_codes.h"
#include "params/parameter_ids.h"
#include "scratch_dir.h"
#include "test_system.h"

namespace kestrel {
namespace {

using namespace ids;

class ConfigOnApplet : public test::ScratchDirTest {
protected:
    int32_t saveConfig(const std::string& file) {
        return applet.exports().Fg_saveConfig(applet.fg(), file.c_str());
    }
    int32_t loadConfig(const std::string& file) {
        return applet.exports().Fg_loadConfig(applet.fg(), file.c_str());
    }

    // Every saved parameter as typed get answers it, in its own bytes.
    std::map<std::string, std::string> parameters() {
        std::map<std::string, std::string> snapshot;
        for (const SavedParameter& p : savedParameters()) {
            char buffer[4096] = {};
            EXPECT_EQ(applet.exports().Fg_getParameterWithType(applet.fg(), p.id(), buffer, 0, 0), kOk)
                << p.key;
            snapshot[std::string(p.key)] =
                p.type() == ParameterType::String ? std::string(buffer) : std::string(buffer, 8);
        }
        return snapshot;
    }
    // Every design register the board can read.
    std::map<std::string, uint64_t> registers() {
        std::map<std::string, uint64_t> snapshot;
        void* design = DesignImage_OpenFile(KESTREL_LIB_DIR "/Kestrel12.hap", DESIGNRT_FORMAT_REVISION, 0);
        for (int32_t index = 1; index <= DesignImage_GetRegisterCount(design); ++index) {
            const char* name = DesignImage_GetRegisterName(design, index);
            uint64_t value = 0;
            if (Board_ReadRegister(applet.boardDevice(), DesignImage_GetRegisterId(design, name), &value) ==
                0)
                snapshot[name] = value;
        }
        DesignImage_Close(design);
        return snapshot;
    }
    void mustSet(int32_t id, double value) {
        const bool real = applet.infoNode(id)->type == GH5_NODE_DOUBLE;
        ASSERT_EQ(real ? applet.set(id, value) : applet.set(id, static_cast<uint32_t>(value)), kOk) << id;
    }

    test::AppletOnBoard applet;
};

// The load's result names the read failure; its last error, the load failure.
TEST_F(ConfigOnApplet, LoadOfAMissingFileIsAReadFailureAndLeavesTheLoadFailure) {
    EXPECT_EQ(loadConfig(path("missing.scf")), kErrFileRead);
    EXPECT_EQ(applet.lastError(), kErrConfigLoad);
}

// The save and the LUT writer report only a file that cannot be created; errors of the stream while
// writing are not theirs to see. On a full disk (a link to /dev/full) both succeed and the link
// stays. Callers that need a whole file check it themselves (the kestrel tool does).
TEST_F(ConfigOnApplet, WriteErrorsAfterTheFileIsCreatedAreNotReported) {
    if (test::onWindows())
        GTEST_SKIP() << "Windows has no /dev/full, a file that takes the open but fails each write";
    for (const bool lutWriter : {false, true}) {
        const std::string file = path(lutWriter ? "full-lut.txt" : "full.scf");
        std::filesystem::create_symlink("/dev/full", file);
        EXPECT_EQ(lutWriter ? applet.setText(FG_LUT_SAVE_FILE, file.c_str()) : saveConfig(file), kOk) << file;
        EXPECT_EQ(applet.lastError(), kOk) << file;
        EXPECT_TRUE(std::filesystem::is_symlink(file)) << file;
    }
}

// Set last, the frequency leaves its own minimum period; a load applies the frequency before the
// queue mode, and the queue mode (off, outside generator mode) writes the fixed period.
TEST_F(ConfigOnApplet, LoadAppliesInFileOrderSoTheQueueModeHasTheLastWordOnTheMinimumPeriod) {
    mustSet(FG_AREATRIGGERMODE, 2);
    mustSet(FG_TRIGGERQUEUE_MODE, 0);
    mustSet(FG_TRIGGER_FRAMESPERSECOND, 25.0);
    const char* minimumPeriod =
        "Device1_Process1_Trigger_TriggerCam0_Generators_Generator_MinimumPeriod_Number";
    EXPECT_EQ(applet.reg(minimumPeriod), 2499991u);
    ASSERT_EQ(saveConfig(path("a.scf")), kOk);
    ASSERT_EQ(loadConfig(path("a.scf")), kOk);
    EXPECT_EQ(applet.reg(minimumPeriod), 10u);
    EXPECT_EQ(applet.get<double>(FG_TRIGGER_FRAMESPERSECOND), 25.0);
}

// A load stores every value before any setter runs, so each side of the region is held to the other's
// stored value: a file that moves a region from the right edge to the full width loads whole.
TEST_F(ConfigOnApplet, TheRegionsSidesAreHeldToEachOthersStoredValuesOnALoad) {
    mustSet(FG_WIDTH, 4096);
    ASSERT_EQ(saveConfig(path("full.scf")), kOk);
    mustSet(FG_WIDTH, 1024);
    mustSet(FG_XOFFSET, 3072);
    ASSERT_EQ(loadConfig(path("full.scf")), kOk);
    EXPECT_EQ(applet.reg("Device1_Process0_Buffer_0_DRAM_A_0_XLength"), 4096u);
    EXPECT_EQ(applet.reg("Device1_Process0_Buffer_0_DRAM_A_0_XOffset"), 0u);
}

// Settings that differ from a new applet's in every group of parameters, made in file order: a
// load applies them in that order, so the board ends as it was.
TEST_F(ConfigOnApplet, LoadingItsOwnFileLeavesAnAppletAsItWas) {
    std::istringstream settings(
        "FG_TIMEOUT=300 FG_WIDTH=512 FG_HEIGHT=256 FG_XOFFSET=64 FG_YOFFSET=8 FG_FORMAT=1 FG_BITALIGNMENT=0 "
        "FG_GEN_WIDTH=2048 FG_GEN_LINE_GAP=12 FG_IMG_SELECT_PERIOD=4 FG_IMG_SELECT=2 FG_NOISEFILTER=1 "
        "FG_PROCESSING_GAIN=1.25 FG_PROCESSING_GAMMA=1.5 FG_PROCESSING_INVERT=1 FG_AREATRIGGERMODE=2 "
        "FG_TRIGGER_FRAMESPERSECOND=25 FG_TRIGGERIN_POLARITY=1 FG_TRIGGERIN_DOWNSCALE=3 "
        "FG_TRIGGERQUEUE_MODE=0 "
        "FG_TRIGGER_PULSEFORMGEN0_DELAY=0.1 FG_TRIGGER_PULSEFORMGEN1_WIDTH=20 FG_TRIGGERCC_SELECT2=1 "
        "FG_TRIGGEROUT_SELECT3=0");
    for (std::string setting; settings >> setting;) {
        const std::size_t equals = setting.find('=');
        mustSet(applet.exports().Fg_getParameterIdByName(applet.fg(), setting.substr(0, equals).c_str()),
                std::stod(setting.substr(equals + 1)));
    }
    ASSERT_EQ(saveConfig(path("many.scf")), kOk);
    const auto parametersBefore = parameters();
    const auto registersBefore = registers();
    ASSERT_EQ(loadConfig(path("many.scf")), kOk);
    EXPECT_EQ(parameters(), parametersBefore);
    EXPECT_EQ(registers(), registersBefore);
}

// The stage pass stores the file's value; the setter then refuses it quietly.
TEST_F(ConfigOnApplet, ARejectedValueIsIgnoredByTheBoardButKeptInItsField) {
    ASSERT_EQ(saveConfig(path("a.scf")), kOk);
    const char* widthRegister = "Device1_Process0_Buffer_0_DRAM_A_0_XLength";
    const uint64_t before = applet.reg(widthRegister);
    EXPECT_EQ(loadConfig(writeFile("b.scf", test::withValue(readFile(path("a.scf")), "FG_WIDTH", "1000"))),
              kOk);
    EXPECT_EQ(applet.lastError(), kOk);
    EXPECT_EQ(applet.get<uint32_t>(FG_WIDTH), 1000u);
    EXPECT_EQ(applet.reg(widthRegister), before);
    // A key missing from the file fails the load, in the stage pass and in the apply pass alike.
    for (const char* key : {"FG_PROCESSING_GAMMA", "FG_AREATRIGGERMODE"})
        EXPECT_EQ(loadConfig(writeFile("c.scf", test::withoutKey(readFile(path("a.scf")), key))),
                  kErrConfigLoad);
}

} // namespace
} // namespace kestrel
