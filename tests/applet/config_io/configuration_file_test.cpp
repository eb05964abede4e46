// Whole configuration files: the header a load needs, and the result codes of save and load.
#include <gtest/gtest.h>

#include <string>

#include "config/config_file_parser.h"
#include "config/configuration_file.h"
#include "core/error_codes.h"
#include "scratch_dir.h"

namespace kestrel {
namespace {

const ConfigurationIdentity kIdentity{"Tarnwell GmbH", "Kestrel12", "1.2", 0};

class ConfigurationFile : public test::ScratchDirTest {
protected:
    int32_t save(const std::string& name) {
        return saveConfigurationFile(path(name).c_str(), kIdentity, [this](Fg_ConfigFileParser& parser) {
            ++writes_;
            parser.writePortHeader(0);
            parser.writeConfigFileIntKey("FG_WIDTH", 1024);
        });
    }
    // Loads `file`; the parameter step answers `answer` and sees FG_WIDTH of port A.
    int32_t load(const std::string& file, bool answer = true) {
        return loadConfigurationFile(file.c_str(), "Kestrel12", [this, answer](Fg_ConfigFileParser& parser) {
            ++reads_;
            width_ = -1;
            parser.parseIntKey(0, "FG_WIDTH", width_);
            return answer;
        });
    }

    int writes_ = 0;
    int reads_ = 0;
    int32_t width_ = -1;
};

std::string header(const std::string& typ, const std::string& vendor = "Hersteller='Tarnwell GmbH';\n",
                   const std::string& port = "AktivePort=0;\n") {
    return "[Kamerasektion]\n\nConfigFileVersion=2.0;\n" + vendor + "Typ='" + typ +
           "';\nVersion='1.2';\nLoadAppletId=0;\n" + port +
           "\n[Port A]\nFG_WIDTH=5;\n\n[Port D]\nFG_WIDTH=7;\n";
}

// The load needs the applet's own type and the vendor and active-port keys, whatever their values;
// the versions and the applet id are not read. A refused file reaches no parameter.
TEST_F(ConfigurationFile, LoadChecksTheHeaderBeforeAnyParameter) {
    const struct {
        const char* what;
        std::string text;
        int32_t result;
    } rows[] = {
        {"own file", header("Kestrel12"), kOk},
        {"active port three reads port A", header("Kestrel12", "Hersteller='x';\n", "AktivePort=3;\n"), kOk},
        {"no versions",
         "[Kamerasektion]\nHersteller='x';\nTyp='Kestrel12';\nAktivePort=0;\n[Port A]\nFG_WIDTH=5;\n", kOk},
        // The lookup runs on past later section lines, as every section lookup does.
        {"active port in a later section", header("Kestrel12", "Hersteller='x';\n", "") + "AktivePort=0;\n",
         kOk},
        {"no vendor", header("Kestrel12", ""), kErrConfigLoad},
        {"no active port", header("Kestrel12", "Hersteller='x';\n", ""), kErrConfigLoad},
        {"older applet", header("Kestrel11"), kErrConfigLoad},
        {"longer name", header("Kestrel12x"), kErrConfigLoad},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const int readsBefore = reads_;
        width_ = -1;
        EXPECT_EQ(load(writeFile("a.scf", row.text)), row.result);
        EXPECT_EQ(reads_ - readsBefore, row.result == kOk ? 1 : 0);
        EXPECT_EQ(width_, row.result == kOk ? 5 : -1);
    }
}

TEST_F(ConfigurationFile, FilesThatCannotBeHadAreReadOrWriteFailures) {
    EXPECT_EQ(save("settings.txt"), kErrFileWrite);
    EXPECT_EQ(save("no-such-folder/a.scf"), kErrFileWrite);
    EXPECT_FALSE(exists("settings.txt"));
    EXPECT_EQ(writes_, 0);
    EXPECT_EQ(load(path("missing.scf")), kErrFileRead);
    EXPECT_EQ(load(writeFile("settings.txt", header("Kestrel12"))), kErrFileRead);
    EXPECT_EQ(saveConfigurationFile(nullptr, kIdentity, [](Fg_ConfigFileParser&) {}), kErrFileWrite);
    EXPECT_EQ(loadConfigurationFile(nullptr, "Kestrel12", [](Fg_ConfigFileParser&) { return true; }),
              kErrFileRead);
    EXPECT_EQ(reads_, 0);
}

TEST_F(ConfigurationFile, LoadReadsWhatSaveWroteAndFailsWithItsParameterStep) {
    ASSERT_EQ(save("x.scf.bak"), kOk);
    EXPECT_EQ(load(path("x.scf.bak")), kOk);
    EXPECT_EQ(width_, 1024);
    EXPECT_EQ(load(path("x.scf.bak"), false), kErrConfigLoad);
    const int32_t result = loadConfigurationFile(path("x.scf.bak").c_str(), "Kestrel12",
                                                 [](Fg_ConfigFileParser&) -> bool { throw kErrOutOfRange; });
    EXPECT_EQ(result, kErrConfigLoad);
}

} // namespace
} // namespace kestrel
