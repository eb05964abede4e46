// Writing configuration files, the file name rules, the parser's log messages, and the decimal
// point files keep under a locale that uses ','.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "comma_locale.h"
#include "config/config_file_parser.h"
#include "scratch_dir.h"
#include "support/diagnostic_log.h"
#include "test_system.h"

namespace kestrel {
namespace {

using test::nativeLineEnds;

using ConfigFileWriter = test::ScratchDirTest;

// Every line is in the file as soon as it is written: a reader opening the file in the middle of a
// save sees it. A save file loses whatever it held before.
TEST_F(ConfigFileWriter, WritesEveryKeyKindAndFlushesEachLine) {
    const std::string file = writeFile("saved.scf", "[Port A]\nFG_WIDTH=1;\nFG_HEIGHT=2;\n");
    Fg_ConfigFileParser parser(nullptr, nullptr, false);
    ASSERT_TRUE(parser.setSaveFile(file.c_str()));
    parser.writeConfigFileHeader();
    parser.writeConfigFile("Typ", "Kestrel12");
    parser.writePortHeader(0);
    EXPECT_EQ(readFile(file),
              nativeLineEnds("[Kamerasektion]\n\nConfigFileVersion=2.0;\nTyp='Kestrel12';\n\n[Port A]\n"));
    parser.writeConfigFileIntKey("FG_NEG", -5);
    parser.writeConfigFileUInt64Key("FG_BIG", 18446744073709551615ull);
    parser.wrtiteConfigFileDoubleKey("D_THIRD", 1.0 / 3.0);
    parser.writeConfigFileValue("FG_PLAIN", "a b");
    parser.writeConfigFile("FG_QUOTED", "it's;=");
    // An unsigned field of all ones is written as the int it is and reads back with the same bits.
    parser.writeConfigFileIntKey("FG_FIELD", static_cast<int32_t>(4294967295u));
    for (const char* key : {static_cast<const char*>(nullptr), "K"}) {
        parser.writeConfigFile(key, key == nullptr ? "x" : nullptr);
        parser.writeConfigFileValue(key, nullptr);
    }
    parser.writeConfigFileIntKey(nullptr, 1);
    EXPECT_EQ(
        readFile(file),
        nativeLineEnds("[Kamerasektion]\n\nConfigFileVersion=2.0;\nTyp='Kestrel12';\n\n[Port A]\n"
                       "FG_NEG=-5;\nFG_BIG=18446744073709551615;\nD_THIRD=0.333333333333;\nFG_PLAIN=a b;\n"
                       "FG_QUOTED='it's;=';\nFG_FIELD=-1;\n"));
    Fg_ConfigFileParser reader(nullptr, file.c_str(), true);
    int32_t read = 0;
    ASSERT_EQ(reader.parseIntKey(0, "FG_FIELD", read), 0);
    EXPECT_EQ(static_cast<uint32_t>(read), 4294967295u);
    Fg_ConfigFileParser none(nullptr, nullptr, false);
    none.writeConfigFileHeader();
    none.writeConfigFileIntKey("A", 1);
}

TEST_F(ConfigFileWriter, SaveFileRefusesNamesWithoutScfAndFilesThatCannotBeCreatedAndLogsWhy) {
    const std::string logFile = path("parser.log");
    {
        DiagnosticLog log(std::fopen(logFile.c_str(), "w"));
        ASSERT_TRUE(log.isOpen());
        Fg_ConfigFileParser parser(&log, nullptr, false);
        EXPECT_FALSE(parser.setSaveFile(path("settings.txt").c_str()));
        EXPECT_FALSE(exists("settings.txt"));
        EXPECT_FALSE(parser.setSaveFile(path("missing-dir/x.scf").c_str()));
        EXPECT_FALSE(parser.hasStream());
    }
    EXPECT_EQ(readFile(logFile), nativeLineEnds("strataboardIV::Error >> Config File is Invalid;\n"
                                                "strataboardIV::Error >> Config File: fopen failed;\n"));
}

// A comma is no decimal point in these files, whatever the locale says; the locale stays as it was.
TEST_F(ConfigFileWriter, DoublesKeepTheDecimalPointUnderACommaLocale) {
    if (!test::useCommaLocale(LC_NUMERIC))
        GTEST_SKIP() << "no locale with ',' as decimal point can be had";
    const std::string file = path("comma.scf");
    {
        Fg_ConfigFileParser parser(nullptr, nullptr, false);
        ASSERT_TRUE(parser.setSaveFile(file.c_str()));
        parser.wrtiteConfigFileDoubleKey("FG_TRIGGER_PULSEFORMGEN0_DELAY", 0.1);
        parser.wrtiteConfigFileDoubleKey("FG_GEN_FREQ", 1234.5678);
    }
    EXPECT_EQ(readFile(file),
              nativeLineEnds("FG_TRIGGER_PULSEFORMGEN0_DELAY=0.1;\nFG_GEN_FREQ=1234.5678;\n"));
    Fg_ConfigFileParser parser(nullptr, writeFile("point.scf", "[Port A]\nA=0.25;\nB=1,5;\n").c_str(), true);
    double a = 0, b = 0;
    EXPECT_EQ(parser.parseDoubleKey(0, "A", a), 0);
    EXPECT_EQ(parser.parseDoubleKey(0, "B", b), 0);
    EXPECT_EQ(a, 0.25);
    EXPECT_EQ(b, 1.0);
    EXPECT_TRUE(test::decimalPointIsComma());
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace
} // namespace kestrel
