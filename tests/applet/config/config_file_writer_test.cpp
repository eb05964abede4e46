// Writing configuration files, the file name rules and the parser's log messages.
#include "config/config_file_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "scratch_dir.h"
#include "support/diagnostic_log.h"

namespace kestrel {
namespace {

class ConfigFileWriter : public test::ScratchDirTest {};

// Every line is in the file as soon as it is written: a reader opening the file in the middle of a
// save sees it.
TEST_F(ConfigFileWriter, WritesEveryKeyKindAndFlushesEachLine) {
    const std::string file = path("saved.scf");
    Fg_ConfigFileParser parser(nullptr, nullptr, false);
    ASSERT_TRUE(parser.setSaveFile(file.c_str()));
    parser.writeConfigFileHeader();
    parser.writeConfigFile("Typ", "Kestrel12");
    parser.writePortHeader(0);
    EXPECT_EQ(readFile(file), "[Kamerasektion]\n\nConfigFileVersion=2.0;\nTyp='Kestrel12';\n\n[Port A]\n");
    parser.writeConfigFileIntKey("FG_NEG", -5);
    parser.writeConfigFileUInt64Key("FG_BIG", 18446744073709551615ull);
    parser.wrtiteConfigFileDoubleKey("D_THIRD", 1.0 / 3.0);
    parser.writeConfigFileValue("FG_PLAIN", "a b");
    parser.writeConfigFile("FG_QUOTED", "it's;=");
    // An unsigned field of all ones is written as the int it is and reads back with the same bits.
    parser.writeConfigFileIntKey("FG_FIELD", static_cast<int32_t>(4294967295u));
    EXPECT_EQ(readFile(file),
              "[Kamerasektion]\n\nConfigFileVersion=2.0;\nTyp='Kestrel12';\n\n[Port A]\n"
              "FG_NEG=-5;\nFG_BIG=18446744073709551615;\nD_THIRD=0.333333333333;\nFG_PLAIN=a b;\n"
              "FG_QUOTED='it's;=';\nFG_FIELD=-1;\n");
    Fg_ConfigFileParser reader(nullptr, file.c_str(), true);
    int32_t read = 0;
    ASSERT_EQ(reader.parseIntKey(0, "FG_FIELD", read), 0);
    EXPECT_EQ(static_cast<uint32_t>(read), 4294967295u);
}

TEST_F(ConfigFileWriter, SaveFileReplacesTheWholeContentOfAnExistingFile) {
    const std::string file = writeFile("old.scf", "[Port A]\nFG_WIDTH=1;\nFG_HEIGHT=2;\n");
    {
        Fg_ConfigFileParser parser(nullptr, nullptr, false);
        ASSERT_TRUE(parser.setSaveFile(file.c_str()));
        parser.writeConfigFileIntKey("X", 1);
    }
    EXPECT_EQ(readFile(file), "X=1;\n");
}

TEST_F(ConfigFileWriter, WritesWithoutStreamOrNullTextsDoNothing) {
    Fg_ConfigFileParser none(nullptr, nullptr, false);
    none.writeConfigFileHeader();
    none.writeConfigFileIntKey("A", 1);
    const std::string file = path("nulls.scf");
    {
        Fg_ConfigFileParser parser(nullptr, nullptr, false);
        ASSERT_TRUE(parser.setSaveFile(file.c_str()));
        parser.writeConfigFile(nullptr, "x");
        parser.writeConfigFile("K", nullptr);
        parser.writeConfigFileValue("K", nullptr);
        parser.writeConfigFileIntKey(nullptr, 1);
    }
    EXPECT_EQ(readFile(file), "");
}

using ConfigFileNames = ConfigFileWriter;

TEST_F(ConfigFileNames, TypeCheckWantsScfAnywhereCaseSensitive) {
    Fg_ConfigFileParser parser(nullptr, nullptr, true);
    EXPECT_TRUE(parser.checkFileType("camera.scf"));
    EXPECT_TRUE(parser.checkFileType("x.scf.bak"));
    EXPECT_TRUE(parser.checkFileType("dir.scf/settings"));
    EXPECT_FALSE(parser.checkFileType("config.SCF"));
    EXPECT_FALSE(parser.checkFileType("config.scx"));
    EXPECT_FALSE(parser.checkFileType(nullptr));
    EXPECT_TRUE(parser.checkFileExist(writeFile("here.txt", "").c_str()));
    EXPECT_FALSE(parser.checkFileExist(path("absent.scf").c_str()));
    EXPECT_FALSE(parser.checkFileExist(nullptr));
}

TEST_F(ConfigFileNames, ReadingParserOpensOnlyExistingScfFiles) {
    EXPECT_TRUE(Fg_ConfigFileParser(nullptr, writeFile("b.scf.bak", "x").c_str(), true).hasStream());
    EXPECT_FALSE(Fg_ConfigFileParser(nullptr, writeFile("d.SCF", "x").c_str(), true).hasStream());
    EXPECT_FALSE(Fg_ConfigFileParser(nullptr, path("e.scf").c_str(), true).hasStream());
}

class ConfigFileLog : public test::ScratchDirTest {
protected:
    void SetUp() override {
        test::ScratchDirTest::SetUp();
        logFile_ = path("parser.log");
        log_.emplace(std::fopen(logFile_.c_str(), "w"));
        ASSERT_TRUE(log_->isOpen());
    }
    std::string logged() { return readFile(logFile_); }

    std::string logFile_;
    std::optional<DiagnosticLog> log_;
};

TEST_F(ConfigFileLog, SaveFileRefusesNamesWithoutScfAndFilesThatCannotBeCreated) {
    Fg_ConfigFileParser parser(&*log_, nullptr, false);
    EXPECT_FALSE(parser.setSaveFile(path("settings.txt").c_str()));
    EXPECT_FALSE(std::filesystem::exists(path("settings.txt")));
    EXPECT_FALSE(parser.setSaveFile(path("missing-dir/x.scf").c_str()));
    EXPECT_FALSE(parser.hasStream());
    EXPECT_EQ(logged(), "strataboardIV::Error >> Config File is Invalid;\n"
                        "strataboardIV::Error >> Config File: fopen failed;\n");
}

} // namespace
} // namespace kestrel
