// Writing configuration files, the file name rules and the parser's log messages.
#include "config/config_file_parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "scratch_dir.h"
#include "support/diagnostic_log.h"

namespace kestrel {
namespace {

class ConfigFileWriter : public test::ScratchDirTest {};

// Doubles keep twelve significant digits in printf's general form.
TEST_F(ConfigFileWriter, WritesHeaderPortSectionAndEveryKeyKindExactly) {
    const std::string file = path("saved.scf");
    {
        Fg_ConfigFileParser parser(nullptr, nullptr, false);
        ASSERT_TRUE(parser.setSaveFile(file.c_str()));
        parser.writeConfigFileHeader();
        parser.writeConfigFile("Typ", "Kestrel12");
        parser.writeConfigFileIntKey("AktivePort", 0);
        parser.writePortHeader(0);
        parser.writeConfigFileIntKey("FG_WIDTH", 1024);
        parser.writeConfigFileIntKey("FG_NEG", -5);
        parser.writeConfigFileUInt64Key("FG_BIG", 18446744073709551615ull);
        parser.wrtiteConfigFileDoubleKey("FG_GEN_FREQ", 0.1);
        parser.wrtiteConfigFileDoubleKey("D_THIRD", 1.0 / 3.0);
        parser.wrtiteConfigFileDoubleKey("D_HUGE", 1e20);
        parser.wrtiteConfigFileDoubleKey("D_FIFTEEN_DIGITS", 123456789012345.0);
        parser.wrtiteConfigFileDoubleKey("D_WHOLE", 62.5e6);
        parser.wrtiteConfigFileDoubleKey("D_TINY", -0.000012);
        parser.wrtiteConfigFileDoubleKey("D_ZERO", 0.0);
        parser.writeConfigFileValue("FG_PLAIN", "a b");
        parser.writeConfigFile("FG_QUOTED", "it's;=");
    }
    EXPECT_EQ(readFile(file), "[Kamerasektion]\n"
                              "\n"
                              "ConfigFileVersion=2.0;\n"
                              "Typ='Kestrel12';\n"
                              "AktivePort=0;\n"
                              "\n"
                              "[Port A]\n"
                              "FG_WIDTH=1024;\n"
                              "FG_NEG=-5;\n"
                              "FG_BIG=18446744073709551615;\n"
                              "FG_GEN_FREQ=0.1;\n"
                              "D_THIRD=0.333333333333;\n"
                              "D_HUGE=1e+20;\n"
                              "D_FIFTEEN_DIGITS=1.23456789012e+14;\n"
                              "D_WHOLE=62500000;\n"
                              "D_TINY=-1.2e-05;\n"
                              "D_ZERO=0;\n"
                              "FG_PLAIN=a b;\n"
                              "FG_QUOTED='it's;=';\n");
}

// A reader opening the file in the middle of a save sees every line written so far.
TEST_F(ConfigFileWriter, EveryLineIsInTheFileAsSoonAsItIsWritten) {
    const std::string file = path("live.scf");
    Fg_ConfigFileParser parser(nullptr, nullptr, false);
    ASSERT_TRUE(parser.setSaveFile(file.c_str()));
    struct Row {
        void (*write)(Fg_ConfigFileParser&);
        const char* fileNow;
    };
    const Row rows[] = {
        {[](Fg_ConfigFileParser& p) { p.writeConfigFileHeader(); },
         "[Kamerasektion]\n\nConfigFileVersion=2.0;\n"},
        {[](Fg_ConfigFileParser& p) { p.writeConfigFile("Typ", "Kestrel12"); }, "Typ='Kestrel12';\n"},
        {[](Fg_ConfigFileParser& p) { p.writePortHeader(0); }, "\n[Port A]\n"},
        {[](Fg_ConfigFileParser& p) { p.writeConfigFileIntKey("FG_WIDTH", 1024); }, "FG_WIDTH=1024;\n"},
        {[](Fg_ConfigFileParser& p) { p.wrtiteConfigFileDoubleKey("FG_GEN_FREQ", 0.1); },
         "FG_GEN_FREQ=0.1;\n"},
    };
    std::string expected;
    for (const Row& row : rows) {
        row.write(parser);
        expected += row.fileNow;
        EXPECT_EQ(readFile(file), expected);
    }
}

TEST_F(ConfigFileWriter, UnsignedAllOnesIsWrittenAsMinusOneAndReadsBackWithTheSameBits) {
    const std::string file = path("unsigned.scf");
    const uint32_t stored = 4294967295u;
    {
        Fg_ConfigFileParser parser(nullptr, nullptr, false);
        ASSERT_TRUE(parser.setSaveFile(file.c_str()));
        parser.writePortHeader(0);
        parser.writeConfigFileIntKey("FG_FIELD", static_cast<int32_t>(stored));
    }
    EXPECT_EQ(readFile(file), "\n[Port A]\nFG_FIELD=-1;\n");
    Fg_ConfigFileParser reader(nullptr, file.c_str(), true);
    int32_t read = 0;
    ASSERT_EQ(reader.parseIntKey(0, "FG_FIELD", read), 0);
    EXPECT_EQ(static_cast<uint32_t>(read), stored);
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

TEST_F(ConfigFileWriter, UpdatingParserSeesItsOwnWrites) {
    // "r+" writes from the start of the file; a lookup reads the file as it now is and does not
    // move the place the next write goes to.
    const std::string file = writeFile("update.scf", "[Port A]\nA=1;\nB=2;\n");
    {
        Fg_ConfigFileParser parser(nullptr, file.c_str(), false);
        ASSERT_TRUE(parser.hasStream());
        int32_t v = 0;
        EXPECT_EQ(parser.parseIntKey(0, "B", v), 0);
        EXPECT_EQ(v, 2);
        parser.writeConfigFileValue("[Port A]\nA", "7");
        EXPECT_EQ(parser.parseIntKey(0, "A", v), 0);
        EXPECT_EQ(v, 7);
        parser.writeConfigFileValue("B", "8");
        EXPECT_EQ(parser.parseIntKey(0, "B", v), 0);
        EXPECT_EQ(v, 8);
    }
    EXPECT_EQ(readFile(file), "[Port A]\nA=7;\nB=8;\n");
}

class ConfigFileNames : public test::ScratchDirTest {};

TEST_F(ConfigFileNames, TypeCheckWantsScfAnywhereCaseSensitive) {
    Fg_ConfigFileParser parser(nullptr, nullptr, true);
    EXPECT_TRUE(parser.checkFileType("camera.scf"));
    EXPECT_TRUE(parser.checkFileType("x.scf.bak"));
    EXPECT_TRUE(parser.checkFileType("dir.scf/settings"));
    EXPECT_FALSE(parser.checkFileType("config.SCF"));
    EXPECT_FALSE(parser.checkFileType("config.scx"));
    EXPECT_FALSE(parser.checkFileType(nullptr));
}

TEST_F(ConfigFileNames, ExistCheckOpensForReading) {
    Fg_ConfigFileParser parser(nullptr, nullptr, true);
    EXPECT_TRUE(parser.checkFileExist(writeFile("here.txt", "").c_str()));
    EXPECT_FALSE(parser.checkFileExist(path("absent.scf").c_str()));
    EXPECT_FALSE(parser.checkFileExist(nullptr));
}

TEST_F(ConfigFileNames, ConstructorOpensOnlyExistingScfFiles) {
    EXPECT_TRUE(Fg_ConfigFileParser(nullptr, writeFile("a.scf", "x").c_str(), true).hasStream());
    EXPECT_TRUE(Fg_ConfigFileParser(nullptr, writeFile("b.scf.bak", "x").c_str(), true).hasStream());
    EXPECT_TRUE(Fg_ConfigFileParser(nullptr, writeFile("c.scf", "x").c_str(), false).hasStream());
    EXPECT_FALSE(Fg_ConfigFileParser(nullptr, writeFile("d.SCF", "x").c_str(), true).hasStream());
    EXPECT_FALSE(Fg_ConfigFileParser(nullptr, path("e.scf").c_str(), true).hasStream());
    EXPECT_FALSE(Fg_ConfigFileParser(nullptr, path("f.scf").c_str(), false).hasStream());
    EXPECT_FALSE(std::filesystem::exists(path("f.scf")));
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

TEST_F(ConfigFileLog, SaveFileRefusesNameWithoutScfCreatesNothingAndLogsInvalid) {
    Fg_ConfigFileParser parser(&*log_, nullptr, false);
    EXPECT_FALSE(parser.setSaveFile(path("settings.txt").c_str()));
    EXPECT_FALSE(parser.hasStream());
    EXPECT_FALSE(std::filesystem::exists(path("settings.txt")));
    EXPECT_EQ(logged(), "strataboardIV::Error >> Config File is Invalid;\n");
}

TEST_F(ConfigFileLog, SaveFileThatCannotBeCreatedFailsAndLogsFopenFailure) {
    Fg_ConfigFileParser parser(&*log_, nullptr, false);
    EXPECT_FALSE(parser.setSaveFile(path("missing-dir/x.scf").c_str()));
    EXPECT_FALSE(parser.hasStream());
    EXPECT_EQ(logged(), "strataboardIV::Error >> Config File: fopen failed;\n");
}

} // namespace
} // namespace kestrel
