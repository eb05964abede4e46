// Lookups of the configuration file parser: sections, keys, values and their quirks.
#include "config/config_file_parser.h"

#include <gtest/gtest.h>

#include <string>

#include "scratch_dir.h"

namespace kestrel {
namespace {

class ConfigFileLookup : public test::ScratchDirTest {
protected:
    // A read-only parser on a file with the given content.
    Fg_ConfigFileParser& open(const std::string& content) {
        parser_.emplace(nullptr, writeFile("lookup.scf", content).c_str(), true);
        return *parser_;
    }

    std::string value(const char* section, const char* key, int32_t expectedResult = 0) {
        std::string text = "unset";
        EXPECT_EQ(parser_->parseKey(section, key, text), expectedResult) << key;
        return text;
    }

    std::optional<Fg_ConfigFileParser> parser_;
};

const std::string kSaved = "[Kamerasektion]\n"
                           "\n"
                           "ConfigFileVersion=2.0;\n"
                           "Hersteller='Kestrel Imaging';\n"
                           "Typ='Kestrel12';\n"
                           "AktivePort=0;\n"
                           "\n"
                           "[Port A]\n"
                           "FG_WIDTH=1024;\n"
                           "FG_GEN_FREQ=0.1;\n"
                           "FG_LUT_CUSTOM_FILE='/tmp/lut.txt';\n";

TEST_F(ConfigFileLookup, FindsValueOfKeyInSection) {
    open(kSaved);
    EXPECT_EQ(value("[Port A]", "FG_WIDTH"), "1024");
    EXPECT_EQ(value("[Port A]", "FG_LUT_CUSTOM_FILE"), "/tmp/lut.txt");
    EXPECT_EQ(value("[Kamerasektion]\n", "Typ"), "Kestrel12");
}

TEST_F(ConfigFileLookup, RepeatedLookupsGiveTheSameAnswer) {
    open(kSaved);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(value("[Port A]", "FG_GEN_FREQ"), "0.1");
        EXPECT_EQ(value("[Port A]", "FG_HEIGHT", kConfigKeyMissing), "Error");
    }
}

TEST_F(ConfigFileLookup, MissingKeyGivesErrorTextAndMinus8000) {
    open(kSaved);
    EXPECT_EQ(value("[Port A]", "FG_HEIGHT", kConfigKeyMissing), "Error");
}

TEST_F(ConfigFileLookup, MissingSectionGivesErrorTextAndMinus8000) {
    open(kSaved);
    EXPECT_EQ(value("[Port B]", "FG_WIDTH", kConfigKeyMissing), "Error");
}

TEST_F(ConfigFileLookup, KeyIsNotMatchedByLongerKeyWithTheSamePrefix) {
    open("[Port A]\nFG_WIDTH_MAX=5;\n");
    EXPECT_EQ(value("[Port A]", "FG_WIDTH", kConfigKeyMissing), "Error");
}

TEST_F(ConfigFileLookup, KeyWithLeadingBlankIsNotFound) {
    open("[Port A]\n FG_WIDTH=5;\n");
    EXPECT_EQ(value("[Port A]", "FG_WIDTH", kConfigKeyMissing), "Error");
}

TEST_F(ConfigFileLookup, KeyWithBlankBeforeEqualsIsNotFound) {
    open("[Port A]\nFG_WIDTH =5;\n");
    EXPECT_EQ(value("[Port A]", "FG_WIDTH", kConfigKeyMissing), "Error");
}

TEST_F(ConfigFileLookup, EmptyQuotedAndEmptyPlainValuesReadAsEmptyText) {
    open("[Port A]\nQUOTED='';\nPLAIN=;\nBARE=\nLAST=");
    EXPECT_EQ(value("[Port A]", "QUOTED"), "");
    EXPECT_EQ(value("[Port A]", "PLAIN"), "");
    EXPECT_EQ(value("[Port A]", "BARE"), "");
    // "=" and nothing behind it at the very end of the file: found, and empty.
    EXPECT_EQ(value("[Port A]", "LAST"), "");
}

TEST_F(ConfigFileLookup, WindowsLineEndAloneIsAnEmptyValue) {
    // A lone '\r' (not folded, as it is no "\r\n" pair) right behind '=' still reads as empty.
    open("[Port A]\nKEY=\rtail;\n");
    EXPECT_EQ(value("[Port A]", "KEY"), "");
}

TEST_F(ConfigFileLookup, QuotedValueIsCutAtTheFirstQuoteSemicolonOrEquals) {
    open("[Port A]\nQ1='it's';\nQ2='a;b';\nQ3='x=y';\n");
    EXPECT_EQ(value("[Port A]", "Q1"), "it");
    EXPECT_EQ(value("[Port A]", "Q2"), "a");
    EXPECT_EQ(value("[Port A]", "Q3"), "x");
}

TEST_F(ConfigFileLookup, LeadingSeparatorsBeforeTheValueAreSkipped) {
    open("[Port A]\nKEY==;'value';\n");
    EXPECT_EQ(value("[Port A]", "KEY"), "value");
}

TEST_F(ConfigFileLookup, BlanksInsideAndAroundTheValueAreKept) {
    open("[Port A]\nKEY=' a b ';\n");
    EXPECT_EQ(value("[Port A]", "KEY"), " a b ");
}

TEST_F(ConfigFileLookup, ValueWithoutClosingSemicolonKeepsItsLineEnd) {
    // The value runs to the end of the line piece, and the piece holds the line end.
    open("[Port A]\nKEY=abc\nNEXT=1;\n");
    EXPECT_EQ(value("[Port A]", "KEY"), "abc\n");
}

TEST_F(ConfigFileLookup, ValueOfLineLongerThan255CharactersIsCutAtThe255thCharacter) {
    const std::string key = "LONG=";
    const std::string longValue(400, 'v');
    open("[Port A]\n" + key + longValue + ";\n");
    EXPECT_EQ(value("[Port A]", "LONG"), std::string(255 - key.size(), 'v'));
}

TEST_F(ConfigFileLookup, RestOfLongLineIsALineOfItsOwn) {
    // Characters 256 onwards of a long line form the next line piece, which can hold a key.
    const std::string head(255, 'x');
    open("[Port A]\n" + head + "HIDDEN=7;\n");
    EXPECT_EQ(value("[Port A]", "HIDDEN"), "7");
}

TEST_F(ConfigFileLookup, KeyMissingFromPortSectionIsFoundInALaterSection) {
    open("[Port A]\nFG_WIDTH=1;\n\n[Port B]\nFG_HEIGHT=2;\n");
    EXPECT_EQ(value("[Port A]", "FG_HEIGHT"), "2");
}

TEST_F(ConfigFileLookup, KeyBeforeTheSectionIsNotFound) {
    open("FG_WIDTH=1;\n[Port A]\nFG_HEIGHT=2;\n");
    EXPECT_EQ(value("[Port A]", "FG_WIDTH", kConfigKeyMissing), "Error");
}

TEST_F(ConfigFileLookup, FirstMatchingLineAfterTheSectionWins) {
    open("KEY=0;\n[Port A]\nKEY=1;\nKEY=2;\n");
    EXPECT_EQ(value("[Port A]", "KEY"), "1");
}

TEST_F(ConfigFileLookup, FirstLineHoldingTheSectionTextOpensTheSection) {
    // The section text is searched anywhere in a line, so a value mentioning it opens the
    // section early, and the section line's own key is not searched.
    open("NOTE='see [Port A]';\nKEY=1;\n[Port A]\nKEY=2;\n");
    EXPECT_EQ(value("[Port A]", "KEY"), "1");
}

TEST_F(ConfigFileLookup, HeaderSectionNeedsItsLineEnd) {
    Fg_ConfigFileParser& parser = open("X='[Kamerasektion]';\nA=1;\n[Kamerasektion]\nAktivePort=3;\n");
    int32_t port = -5;
    EXPECT_EQ(parser.parseIntKeyFromHeader("AktivePort", port), 0);
    EXPECT_EQ(port, 3);
    int32_t a = -5;
    EXPECT_EQ(parser.parseIntKeyFromHeader("A", a), kConfigValueMissing);
    EXPECT_EQ(a, -5);
}

TEST_F(ConfigFileLookup, WindowsLineEndsReadLikeUnixLineEnds) {
    Fg_ConfigFileParser& parser = open("[Kamerasektion]\r\n\r\nAktivePort=0;\r\n\r\n[Port A]\r\nKEY=abc\r\n");
    int32_t port = -1;
    EXPECT_EQ(parser.parseIntKeyFromHeader("AktivePort", port), 0);
    EXPECT_EQ(port, 0);
    EXPECT_EQ(value("[Port A]", "KEY"), "abc\n");
}

TEST_F(ConfigFileLookup, NulByteEndsTheTextOfItsLine) {
    static const char kContent[] = "[Port A]\nKEY=ab\0cd;\nOTHER\0=1;\n";
    open(std::string(kContent, sizeof kContent - 1));
    EXPECT_EQ(value("[Port A]", "KEY"), "ab");
    EXPECT_EQ(value("[Port A]", "OTHER", kConfigKeyMissing), "Error");
}

TEST_F(ConfigFileLookup, KeyHoldingEqualsMatchesItsLine) {
    open("[Port A]\nA=B=5;\n");
    EXPECT_EQ(value("[Port A]", "A=B"), "5");
    EXPECT_EQ(value("[Port A]", "A"), "B");
}

TEST_F(ConfigFileLookup, NullSectionOrKeyIsNeverFound) {
    open(kSaved);
    EXPECT_EQ(value(nullptr, "FG_WIDTH", kConfigKeyMissing), "Error");
    EXPECT_EQ(value("[Port A]", nullptr, kConfigKeyMissing), "Error");
}

TEST_F(ConfigFileLookup, ParserWithoutStreamFindsNothing) {
    Fg_ConfigFileParser parser(nullptr, nullptr, true);
    std::string text;
    EXPECT_EQ(parser.parseKey("[Port A]", "FG_WIDTH", text), kConfigKeyMissing);
    EXPECT_EQ(text, "Error");
    EXPECT_EQ(parser.parseKeyFromLine("Typ", text), kConfigKeyMissing);
}

TEST_F(ConfigFileLookup, KeyFromLineSplitsAtEqualsAndQuotes) {
    Fg_ConfigFileParser& parser = open(kSaved);
    std::string text;
    EXPECT_EQ(parser.parseKeyFromLine("Typ", text), 0);
    EXPECT_EQ(text, "Kestrel12");
    EXPECT_EQ(parser.parseKeyFromLine("Hersteller", text), 0);
    EXPECT_EQ(text, "Kestrel Imaging");
}

TEST_F(ConfigFileLookup, KeyFromLineKeepsSemicolonAndLineEndOfPlainValue) {
    Fg_ConfigFileParser& parser = open("[Kamerasektion]\nTyp=Kestrel12;\n");
    std::string text;
    EXPECT_EQ(parser.parseKeyFromLine("Typ", text), 0);
    EXPECT_EQ(text, "Kestrel12;\n");
}

TEST_F(ConfigFileLookup, KeyFromLineMatchesTheKeyAnywhereInTheFirstLineHoldingIt) {
    Fg_ConfigFileParser& parser = open("OldTyp='Other';\nTyp='Kestrel12';\n");
    std::string text;
    EXPECT_EQ(parser.parseKeyFromLine("Typ", text), 0);
    EXPECT_EQ(text, "Other");
}

TEST_F(ConfigFileLookup, KeyFromLineWithoutSecondPartIsMissing) {
    Fg_ConfigFileParser& parser = open("Typ\nTyp='Kestrel12';\n");
    std::string text;
    EXPECT_EQ(parser.parseKeyFromLine("Typ", text), kConfigKeyMissing);
    EXPECT_EQ(text, "Error");
}

TEST_F(ConfigFileLookup, KeyFromLineOfMissingKeyGivesErrorText) {
    Fg_ConfigFileParser& parser = open(kSaved);
    std::string text;
    EXPECT_EQ(parser.parseKeyFromLine("Seriennummer", text), kConfigKeyMissing);
    EXPECT_EQ(text, "Error");
}

class ConfigFileTypedLookup : public ConfigFileLookup {};

TEST_F(ConfigFileTypedLookup, NonNumericValueReadsAsZeroWithoutError) {
    Fg_ConfigFileParser& parser = open("[Port A]\nFG_WIDTH=abc;\nFG_GEN_FREQ=abc;\n");
    int32_t width = 9;
    EXPECT_EQ(parser.parseIntKey("[Port A]", "FG_WIDTH", width), 0);
    EXPECT_EQ(width, 0);
    double frequency = 9.0;
    EXPECT_EQ(parser.parseDoubleKey("[Port A]", "FG_GEN_FREQ", frequency), 0);
    EXPECT_EQ(frequency, 0.0);
}

TEST_F(ConfigFileTypedLookup, IntegersFollowAtoiRules) {
    Fg_ConfigFileParser& parser = open("[Port A]\nA= +12abc;\nB=-7;\nC=;\nD=3.9;\n");
    int32_t v = 0;
    EXPECT_EQ(parser.parseIntKey("[Port A]", "A", v), 0);
    EXPECT_EQ(v, 12);
    EXPECT_EQ(parser.parseIntKey("[Port A]", "B", v), 0);
    EXPECT_EQ(v, -7);
    EXPECT_EQ(parser.parseIntKey("[Port A]", "C", v), 0);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(parser.parseIntKey("[Port A]", "D", v), 0);
    EXPECT_EQ(v, 3);
}

TEST_F(ConfigFileTypedLookup, MissingKeyGivesMinusOneAndLeavesTheValue) {
    Fg_ConfigFileParser& parser = open(kSaved);
    int32_t i = 42;
    uint64_t u = 42;
    double d = 4.2;
    EXPECT_EQ(parser.parseIntKey("[Port A]", "FG_HEIGHT", i), kConfigValueMissing);
    EXPECT_EQ(parser.parseIntKey("[Port A]", "FG_HEIGHT", u), kConfigValueMissing);
    EXPECT_EQ(parser.parseDoubleKey("[Port A]", "FG_HEIGHT", d), kConfigValueMissing);
    EXPECT_EQ(i, 42);
    EXPECT_EQ(u, 42u);
    EXPECT_EQ(d, 4.2);
}

TEST_F(ConfigFileTypedLookup, ValueContainingErrorCountsAsMissing) {
    Fg_ConfigFileParser& parser = open("[Port A]\nKEY=12Error;\n");
    int32_t v = 5;
    EXPECT_EQ(parser.parseIntKey("[Port A]", "KEY", v), kConfigValueMissing);
    EXPECT_EQ(v, 5);
}

TEST_F(ConfigFileTypedLookup, DoublesReadInAnyCFormWithDecimalPoint) {
    Fg_ConfigFileParser& parser = open("[Port A]\nA=0.1;\nB=-1e+20;\nC= 2.5e-3xyz;\nD=0x10;\n");
    double v = 0;
    EXPECT_EQ(parser.parseDoubleKey("[Port A]", "A", v), 0);
    EXPECT_EQ(v, 0.1);
    EXPECT_EQ(parser.parseDoubleKey("[Port A]", "B", v), 0);
    EXPECT_EQ(v, -1e20);
    EXPECT_EQ(parser.parseDoubleKey("[Port A]", "C", v), 0);
    EXPECT_EQ(v, 2.5e-3);
    EXPECT_EQ(parser.parseDoubleKey("[Port A]", "D", v), 0);
    EXPECT_EQ(v, 16.0);
}

TEST_F(ConfigFileTypedLookup, UnsignedSixtyFourBitValuesReadInFull) {
    Fg_ConfigFileParser& parser = open("[Port A]\nMAX=18446744073709551615;\nNEG=-1;\nNONE=x;\n");
    uint64_t v = 7;
    EXPECT_EQ(parser.parseIntKey("[Port A]", "MAX", v), 0);
    EXPECT_EQ(v, UINT64_MAX);
    EXPECT_EQ(parser.parseIntKey("[Port A]", "NEG", v), 0);
    EXPECT_EQ(v, UINT64_MAX);
    EXPECT_EQ(parser.parseIntKey("[Port A]", "NONE", v), 0);
    EXPECT_EQ(v, 0u);
}

TEST_F(ConfigFileTypedLookup, PortFormsLookInThePortSection) {
    Fg_ConfigFileParser& parser = open("[Port A]\nA=1;\nT='t';\nD=0.5;\n[Port B]\nB=2;\n");
    int32_t i = 0;
    EXPECT_EQ(parser.parseIntKey(1, "B", i), 0);
    EXPECT_EQ(i, 2);
    EXPECT_EQ(parser.parseIntKey(1, "A", i), kConfigValueMissing);
    uint64_t u = 0;
    EXPECT_EQ(parser.parseIntKey(0, "A", u), 0);
    EXPECT_EQ(u, 1u);
    double d = 0;
    EXPECT_EQ(parser.parseDoubleKey(0, "D", d), 0);
    EXPECT_EQ(d, 0.5);
    std::string text;
    EXPECT_EQ(parser.parseKey(0, "T", text), 0);
    EXPECT_EQ(text, "t");
}

TEST_F(ConfigFileTypedLookup, PortFormsWithNullKeyGiveMinusOne) {
    Fg_ConfigFileParser& parser = open(kSaved);
    std::string text = "kept";
    int32_t i = 1;
    uint64_t u = 1;
    double d = 1;
    EXPECT_EQ(parser.parseKey(0, nullptr, text), kConfigValueMissing);
    EXPECT_EQ(parser.parseIntKey(0, nullptr, i), kConfigValueMissing);
    EXPECT_EQ(parser.parseIntKey(0, nullptr, u), kConfigValueMissing);
    EXPECT_EQ(parser.parseDoubleKey(0, nullptr, d), kConfigValueMissing);
    EXPECT_EQ(text, "kept");
}

TEST(ConfigFileSections, PortSectionNamesCountFromA) {
    EXPECT_EQ(Fg_ConfigFileParser::portSectionName(0), "[Port A]");
    EXPECT_EQ(Fg_ConfigFileParser::portSectionName(1), "[Port B]");
    EXPECT_EQ(Fg_ConfigFileParser::portSectionName(3), "[Port D]");
}

TEST(ConfigFileConversions, AlwaysSucceedAndReadNonNumbersAsZero) {
    int32_t i = 5;
    uint64_t u = 5;
    double d = 5;
    EXPECT_EQ(Fg_ConfigFileParser::getIntValue("abc", i), 0);
    EXPECT_EQ(Fg_ConfigFileParser::getIntValue("abc", u), 0);
    EXPECT_EQ(Fg_ConfigFileParser::getDoubleValue("abc", d), 0);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(u, 0u);
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(Fg_ConfigFileParser::getIntValue(nullptr, i), 0);
    EXPECT_EQ(Fg_ConfigFileParser::getDoubleValue(nullptr, d), 0);
}

}  // namespace
}  // namespace kestrel
