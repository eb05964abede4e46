// Fg_loadConfig with each register write of the load failing in turn, host parameter writes and
// board writes alike. A failing write inside a setter is the setter's own failure, swallowed by
// the load: the result and the last error are 0. Every parameter then holds what a clean load
// leaves or, where a setter failed, the value staged from the file; the two parameters applied
// without staging hold the clean load's or their previous value. The two saved values computed
// from the board are left out.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "applet_under_test.h"

using kestrel::test::AppletUnderTest;
using kestrel::test::HostRecord;

namespace {

// Key to value text of a saved configuration's lines.
std::map<std::string, std::string> savedValues(const std::filesystem::path& file) {
    std::map<std::string, std::string> values;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

class ConfigLoadUnderFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(applet.loaded());
        char pattern[] = "/tmp/kestrel-load-faults-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        FakeState& s = applet.state();
        s.hostResolveAllNames = 1;
        s.hostWriteFailCode = -4242;
        ASSERT_EQ(applet.create(record), 0);
    }
    void TearDown() override {
        if (record.applet != nullptr)
            applet.api().Fg_FreeGrabber(&record);
        std::filesystem::remove_all(directory);
    }

    std::string path(const char* name) const { return (directory / name).string(); }
    int32_t id(const char* name) { return applet.api().Fg_getParameterIdByName(&record, name); }
    template <class T> void set(const char* name, T value) {
        ASSERT_EQ(applet.api().Fg_setParameterWithType(&record, id(name), &value, 0, 0), 0) << name;
    }

    AppletUnderTest applet{KESTREL_FAKE_APPLET_DIR};
    HostRecord record;
    std::filesystem::path directory;
};

} // namespace

TEST_F(ConfigLoadUnderFaults, EachWriteOfTheLoadFailing) {
    const auto& api = applet.api();
    ASSERT_EQ(api.Fg_saveConfig(&record, path("initial.scf").c_str()), 0);
    set<uint32_t>("FG_WIDTH", 512);
    set<uint32_t>("FG_HEIGHT", 256);
    set<uint32_t>("FG_XOFFSET", 32);
    set<uint32_t>("FG_GEN_ENABLE", 1);
    set<double>("FG_GEN_FREQ", 20.0);
    set<double>("FG_PROCESSING_GAIN", 2.0);
    set<uint32_t>("FG_PROCESSING_INVERT", 1);
    set<uint32_t>("FG_TRIGGERIN_POLARITY", 1);
    set<double>("FG_TRIGGER_PULSEFORMGEN0_WIDTH", 100.0);
    set<uint32_t>("FG_TRIGGEROUT_SELECT2", 1);
    set<uint32_t>("FG_TRIGGER_LEGACY_MODE", 1);
    set<uint32_t>("FG_DIGIO_OUTPUT", 0);
    ASSERT_EQ(api.Fg_saveConfig(&record, path("changed.scf").c_str()), 0);

    // A clean load of each file, counting the writes of the changed one.
    FakeState& s = applet.state();
    ASSERT_EQ(api.Fg_loadConfig(&record, path("initial.scf").c_str()), 0);
    const int32_t hostBefore = s.hostWriteCount;
    const int32_t boardBefore = s.boardWriteCalls;
    ASSERT_EQ(api.Fg_loadConfig(&record, path("changed.scf").c_str()), 0);
    const int32_t hostWrites = s.hostWriteCount - hostBefore;
    const int32_t boardWrites = s.boardWriteCalls - boardBefore;
    ASSERT_EQ(api.Fg_saveConfig(&record, path("expected.scf").c_str()), 0);
    const auto expected = savedValues(path("expected.scf"));
    const auto initial = savedValues(path("initial.scf"));
    const auto file = savedValues(path("changed.scf"));
    ASSERT_GT(hostWrites, 50);

    const auto run = [&](const std::string& what, bool board, int32_t k) {
        SCOPED_TRACE(what);
        ASSERT_EQ(api.Fg_loadConfig(&record, path("initial.scf").c_str()), 0);
        if (board)
            s.boardWriteFailAt = s.boardWriteCalls + k;
        else
            s.hostWriteFailAt = s.hostWriteCount + k;
        EXPECT_EQ(api.Fg_loadConfig(&record, path("changed.scf").c_str()), 0);
        EXPECT_EQ(api.Fg_getLastErrorNumber(&record), 0);
        s.boardWriteFailAt = 0;
        s.hostWriteFailAt = 0;
        ASSERT_EQ(api.Fg_saveConfig(&record, path("faulted.scf").c_str()), 0);
        const auto faulted = savedValues(path("faulted.scf"));
        ASSERT_EQ(faulted.size(), expected.size());
        for (const auto& [key, value] : expected) {
            if (key == "FG_TRIGGER_FRAMESPERSECOND" || key == "FG_TRIGGERIN_DEBOUNCE")
                continue;
            const auto& before = key == "FG_AREATRIGGERMODE" || key == "FG_TRIGGERSTATE" ? initial : file;
            EXPECT_TRUE(faulted.at(key) == value || faulted.at(key) == before.at(key))
                << key << " is " << faulted.at(key) << ", neither " << value << " nor " << before.at(key);
        }
    };
    for (int32_t k = 1; k <= hostWrites; ++k)
        run("host write " + std::to_string(k) + " of " + std::to_string(hostWrites), false, k);
    for (int32_t k = 1; k <= boardWrites; ++k)
        run("board write " + std::to_string(k) + " of " + std::to_string(boardWrites), true, k);
    RecordProperty("fault_points", hostWrites + boardWrites);
    std::printf("%s: %d fault points tried\n",
                ::testing::UnitTest::GetInstance()->current_test_info()->name(),
                static_cast<int>(hostWrites + boardWrites));
}
