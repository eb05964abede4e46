// Fg_loadConfig with each register write of the load failing in turn, host parameter writes and
// board writes alike. A failing write inside a setter is the setter's own failure, swallowed by
// the load: the result and the last error are 0. Every parameter then holds what a clean load
// leaves or, where a setter failed, the value staged from the file; the two parameters applied
// without staging hold the clean load's or their previous value. The two saved values computed
// from the board are left out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>

#include "applet_under_test.h"

using kestrel::test::AppletUnderTest;
using kestrel::test::HostRecord;

namespace {

class ConfigLoadUnderFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(applet.loaded());
        char pattern[] = "/tmp/kestrel-load-faults-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        applet.state().hostResolveAllNames = 1;
        applet.state().hostWriteFailCode = -4242;
        ASSERT_EQ(applet.create(record), 0);
    }
    void TearDown() override {
        if (record.applet != nullptr)
            applet.api().Fg_FreeGrabber(&record);
        std::filesystem::remove_all(directory);
    }

    std::string path(const char* name) const { return (directory / name).string(); }
    template <class T> void set(const char* name, T value) {
        const int32_t id = applet.api().Fg_getParameterIdByName(&record, name);
        ASSERT_EQ(applet.api().Fg_setParameterWithType(&record, id, &value, 0, 0), 0) << name;
    }
    // Key to value text of the configuration saved now.
    std::map<std::string, std::string> saved(const char* name) {
        EXPECT_EQ(applet.api().Fg_saveConfig(&record, path(name).c_str()), 0);
        std::map<std::string, std::string> values;
        std::ifstream in(path(name));
        for (std::string line; std::getline(in, line);)
            if (const std::size_t equals = line.find('='); equals != std::string::npos)
                values[line.substr(0, equals)] = line.substr(equals + 1);
        return values;
    }

    AppletUnderTest applet{KESTREL_FAKE_APPLET_DIR};
    HostRecord record;
    std::filesystem::path directory;
};

} // namespace

TEST_F(ConfigLoadUnderFaults, EachWriteOfTheLoadFailing) {
    const auto& api = applet.api();
    const auto initial = saved("initial.scf");
    // {name, value, whether a double}, in an order every set is accepted in.
    const std::tuple<const char*, double, bool> changes[] = {{"FG_WIDTH", 512, false},
                                                             {"FG_HEIGHT", 256, false},
                                                             {"FG_XOFFSET", 32, false},
                                                             {"FG_GEN_ENABLE", 1, false},
                                                             {"FG_GEN_FREQ", 20.0, true},
                                                             {"FG_PROCESSING_GAIN", 2.0, true},
                                                             {"FG_PROCESSING_INVERT", 1, false},
                                                             {"FG_TRIGGERIN_POLARITY", 1, false},
                                                             {"FG_TRIGGER_PULSEFORMGEN0_WIDTH", 100.0, true},
                                                             {"FG_TRIGGEROUT_SELECT2", 1, false},
                                                             {"FG_TRIGGER_LEGACY_MODE", 1, false},
                                                             {"FG_DIGIO_OUTPUT", 0, false}};
    for (const auto& [name, value, real] : changes)
        real ? set<double>(name, value) : set<uint32_t>(name, static_cast<uint32_t>(value));
    const auto file = saved("changed.scf");

    // A clean load of each file, counting the writes of the changed one.
    FakeState& s = applet.state();
    ASSERT_EQ(api.Fg_loadConfig(&record, path("initial.scf").c_str()), 0);
    const int32_t hostBefore = s.hostWriteCount, boardBefore = s.boardWriteCalls;
    ASSERT_EQ(api.Fg_loadConfig(&record, path("changed.scf").c_str()), 0);
    const int32_t hostWrites = s.hostWriteCount - hostBefore, boardWrites = s.boardWriteCalls - boardBefore;
    const auto expected = saved("expected.scf");
    ASSERT_GT(hostWrites, 50);

    for (int32_t k = 1; k <= hostWrites + boardWrites; ++k) {
        const bool board = k > hostWrites;
        SCOPED_TRACE((board ? "board write " : "host write ") + std::to_string(board ? k - hostWrites : k));
        ASSERT_EQ(api.Fg_loadConfig(&record, path("initial.scf").c_str()), 0);
        if (board)
            s.boardWriteFailAt = s.boardWriteCalls + k - hostWrites;
        else
            s.hostWriteFailAt = s.hostWriteCount + k;
        EXPECT_EQ(api.Fg_loadConfig(&record, path("changed.scf").c_str()), 0);
        EXPECT_EQ(api.Fg_getLastErrorNumber(&record), 0);
        s.boardWriteFailAt = s.hostWriteFailAt = 0;
        const auto faulted = saved("faulted.scf");
        ASSERT_EQ(faulted.size(), expected.size());
        for (const auto& [key, value] : expected) {
            if (key == "FG_TRIGGER_FRAMESPERSECOND" || key == "FG_TRIGGERIN_DEBOUNCE")
                continue;
            const auto& before = key == "FG_AREATRIGGERMODE" || key == "FG_TRIGGERSTATE" ? initial : file;
            EXPECT_TRUE(faulted.at(key) == value || faulted.at(key) == before.at(key))
                << key << " is " << faulted.at(key) << ", neither " << value << " nor " << before.at(key);
        }
    }
}
