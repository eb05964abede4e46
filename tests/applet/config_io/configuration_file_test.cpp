// Whole configuration files: the header, the refusals and the result codes of save and load.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "api/error_codes.h"
#include "config/config_file_parser.h"
#include "config/configuration_file.h"
#include "scratch_dir.h"

namespace kestrel {
namespace {

const ConfigurationIdentity kIdentity{"Tarnwell GmbH", "Kestrel12", "1.2", 0};

const std::string kHeader = "[Kamerasektion]\n"
                            "\n"
                            "ConfigFileVersion=2.0;\n"
                            "Hersteller='Tarnwell GmbH';\n"
                            "Typ='Kestrel12';\n"
                            "Version='1.2';\n"
                            "LoadAppletId=0;\n"
                            "AktivePort=0;\n";

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
    std::string header(const std::string& typ = "Kestrel12", const std::string& port = "0") const {
        return "[Kamerasektion]\n\nConfigFileVersion=2.0;\nHersteller='Tarnwell GmbH';\nTyp='" + typ +
               "';\nVersion='1.2';\nLoadAppletId=0;\nAktivePort=" + port + ";\n";
    }

    int writes_ = 0;
    int reads_ = 0;
    int32_t width_ = -1;
};

TEST_F(ConfigurationFile, SaveWantsScfAnywhereInANameThatCanBeCreated) {
    const std::pair<const char*, int32_t> names[] = {{"settings.txt", kErrFileWrite},
                                                     {"config.SCF", kErrFileWrite},
                                                     {"no-such-folder/a.scf", kErrFileWrite},
                                                     {"x.scf.bak", kOk}};
    for (const auto& [name, result] : names) {
        SCOPED_TRACE(name);
        const int writesBefore = writes_;
        EXPECT_EQ(save(name), result);
        EXPECT_EQ(exists(name), result == kOk);
        EXPECT_EQ(writes_ - writesBefore, result == kOk ? 1 : 0);
    }
}

TEST_F(ConfigurationFile, SaveOverAnExistingFileReplacesItsWholeContent) {
    writeFile("a.scf", std::string(5000, 'x'));
    EXPECT_EQ(save("a.scf"), kOk);
    EXPECT_EQ(readFile(path("a.scf")), kHeader + "\n[Port A]\nFG_WIDTH=1024;\n");
}

TEST_F(ConfigurationFile, LoadReadsWhatSaveWrote) {
    ASSERT_EQ(save("a.scf"), kOk);
    EXPECT_EQ(load(path("a.scf")), kOk);
    EXPECT_EQ(width_, 1024);
}

TEST_F(ConfigurationFile, LoadOfAMissingFileOrANameWithoutScfIsAReadFailure) {
    EXPECT_EQ(load(path("missing.scf")), kErrFileRead);
    EXPECT_EQ(load(writeFile("settings.txt", header() + "\n[Port A]\nFG_WIDTH=5;\n")), kErrFileRead);
    EXPECT_EQ(reads_, 0);
}

TEST_F(ConfigurationFile, LoadRefusesAFileOfAnotherAppletBeforeAnyParameter) {
    for (const char* typ : {"Kestrel11", "Kestrel1", "Kestrel12x", "kestrel12", ""}) {
        const std::string file = writeFile("other.scf", header(typ) + "\n[Port A]\nFG_WIDTH=5;\n");
        EXPECT_EQ(load(file), kErrConfigLoad) << typ;
    }
    EXPECT_EQ(reads_, 0);
}

TEST_F(ConfigurationFile, LoadNeedsTheVendorButNotItsValue) {
    std::string text = header() + "\n[Port A]\nFG_WIDTH=5;\n";
    EXPECT_EQ(load(writeFile("a.scf", text)), kOk);
    const std::string vendor = "Hersteller='Tarnwell GmbH';\n";
    text.replace(text.find(vendor), vendor.size(), "Hersteller='Someone Else';\n");
    EXPECT_EQ(load(writeFile("b.scf", text)), kOk);
    text.replace(text.find("Hersteller='Someone Else';\n"),
                 std::string("Hersteller='Someone Else';\n").size(), "");
    EXPECT_EQ(load(writeFile("c.scf", text)), kErrConfigLoad);
    EXPECT_EQ(reads_, 2);
}

TEST_F(ConfigurationFile, LoadNeedsTheActivePortInTheHeader) {
    std::string text = header() + "\n[Port A]\nFG_WIDTH=5;\n";
    text.replace(text.find("AktivePort=0;\n"), 14, "");
    EXPECT_EQ(load(writeFile("a.scf", text)), kErrConfigLoad);
    // The lookup runs on past later section lines, as every section lookup does.
    EXPECT_EQ(load(writeFile("b.scf", text + "[Port B]\nAktivePort=0;\n")), kOk);
    EXPECT_EQ(reads_, 1);
}

TEST_F(ConfigurationFile, ActivePortThreeLoadsExactlyLikeZero) {
    const std::string rest = "\n[Port A]\nFG_WIDTH=5;\n\n[Port D]\nFG_WIDTH=7;\n";
    EXPECT_EQ(load(writeFile("zero.scf", header("Kestrel12", "0") + rest)), kOk);
    EXPECT_EQ(width_, 5);
    EXPECT_EQ(load(writeFile("three.scf", header("Kestrel12", "3") + rest)), kOk);
    EXPECT_EQ(width_, 5);
}

TEST_F(ConfigurationFile, TheVersionsAndAppletIdAreNotRead) {
    const std::string text = "[Kamerasektion]\nHersteller='x';\nTyp='Kestrel12';\nAktivePort=0;\n[Port A]\n";
    EXPECT_EQ(load(writeFile("a.scf", text)), kOk);
}

TEST_F(ConfigurationFile, AFailedParameterStepFailsTheLoad) {
    ASSERT_EQ(save("a.scf"), kOk);
    EXPECT_EQ(load(path("a.scf"), false), kErrConfigLoad);
    EXPECT_EQ(reads_, 1);
}

TEST_F(ConfigurationFile, ACodeRaisedByTheParameterStepFailsTheLoad) {
    ASSERT_EQ(save("a.scf"), kOk);
    const int32_t result = loadConfigurationFile(path("a.scf").c_str(), "Kestrel12",
                                                 [](Fg_ConfigFileParser&) -> bool { throw kErrOutOfRange; });
    EXPECT_EQ(result, kErrConfigLoad);
}

TEST_F(ConfigurationFile, NullNamesAreRefused) {
    EXPECT_EQ(saveConfigurationFile(nullptr, kIdentity, [](Fg_ConfigFileParser&) {}), kErrFileWrite);
    EXPECT_EQ(load(std::string()), kErrFileRead);
    EXPECT_EQ(loadConfigurationFile(nullptr, "Kestrel12", [](Fg_ConfigFileParser&) { return true; }),
              kErrFileRead);
}

} // namespace
} // namespace kestrel
