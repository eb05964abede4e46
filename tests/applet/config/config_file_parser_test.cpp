// Lookups of the configuration file parser: sections, keys, values and their quirks.
#include "config/config_file_parser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
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

// One lookup of `key` in `section` of a file holding `content`: what it answers and the text.
struct LookupCase {
    const char* name;
    std::string content;
    const char* section;
    const char* key;
    int32_t result;
    std::string text;
};

LookupCase found(const char* name, std::string content, const char* section, const char* key,
                 std::string text) {
    return {name, std::move(content), section, key, 0, std::move(text)};
}
// A key that is not found answers -8000 and the text "Error".
LookupCase missing(const char* name, std::string content, const char* section, const char* key) {
    return {name, std::move(content), section, key, kConfigKeyMissing, "Error"};
}

const std::string kEmptyValues = "[Port A]\nQUOTED='';\nLAST=";
const std::string kCutQuotes = "[Port A]\nQ1='it's';\nQ2='a;b';\nQ3='x=y';\n";
const char kNulContent[] = "[Port A]\nKEY=ab\0cd;\n";
const std::string kNulBytes(kNulContent, sizeof kNulContent - 1);

const LookupCase kLookups[] = {
    found("PlainValueInPortSection", kSaved, "[Port A]", "FG_WIDTH", "1024"),
    found("QuotedValueLosesItsQuotes", kSaved, "[Port A]", "FG_LUT_CUSTOM_FILE", "/tmp/lut.txt"),
    found("SectionTextMayHoldItsLineEnd", kSaved, "[Kamerasektion]\n", "Typ", "Kestrel12"),
    missing("MissingKey", kSaved, "[Port A]", "FG_HEIGHT"),
    missing("MissingSection", kSaved, "[Port B]", "FG_WIDTH"),
    missing("LongerKeyWithTheSamePrefixDoesNotMatch", "[Port A]\nFG_WIDTH_MAX=5;\n", "[Port A]", "FG_WIDTH"),
    missing("KeyWithLeadingBlank", "[Port A]\n FG_WIDTH=5;\n", "[Port A]", "FG_WIDTH"),
    found("EmptyQuotedValue", kEmptyValues, "[Port A]", "QUOTED", ""),
    found("NothingBehindEqualsAtTheEndOfTheFile", kEmptyValues, "[Port A]", "LAST", ""),
    // A lone '\r' is no "\r\n" pair, so it is not folded, yet still reads as an empty value.
    found("LoneCarriageReturnIsAnEmptyValue", "[Port A]\nKEY=\rtail;\n", "[Port A]", "KEY", ""),
    found("QuotedValueIsCutAtAQuote", kCutQuotes, "[Port A]", "Q1", "it"),
    found("QuotedValueIsCutAtASemicolon", kCutQuotes, "[Port A]", "Q2", "a"),
    found("QuotedValueIsCutAtEquals", kCutQuotes, "[Port A]", "Q3", "x"),
    found("LeadingSeparatorsAreSkipped", "[Port A]\nKEY==;'value';\n", "[Port A]", "KEY", "value"),
    found("BlanksInsideAndAroundAreKept", "[Port A]\nKEY=' a b ';\n", "[Port A]", "KEY", " a b "),
    // The value runs to the end of the line piece, and the piece holds the line end.
    found("ValueWithoutSemicolonKeepsItsLineEnd", "[Port A]\nKEY=abc\nNEXT=1;\n", "[Port A]", "KEY", "abc\n"),
    found("ValueOfALongLineIsCutAtThe255thCharacter", "[Port A]\nLONG=" + std::string(400, 'v') + ";\n",
          "[Port A]", "LONG", std::string(250, 'v')),
    found("KeyMissingFromTheSectionIsFoundInALaterOne", "[Port A]\nFG_WIDTH=1;\n\n[Port B]\nFG_HEIGHT=2;\n",
          "[Port A]", "FG_HEIGHT", "2"),
    missing("KeyBeforeTheSection", "FG_WIDTH=1;\n[Port A]\nFG_HEIGHT=2;\n", "[Port A]", "FG_WIDTH"),
    found("FirstMatchingLineAfterTheSectionWins", "KEY=0;\n[Port A]\nKEY=1;\nKEY=2;\n", "[Port A]", "KEY",
          "1"),
    // The section text is searched anywhere in a line, so a value mentioning it opens the
    // section early, and the section line's own key is not searched.
    found("FirstLineHoldingTheSectionTextOpensIt", "NOTE='see [Port A]';\nKEY=1;\n[Port A]\nKEY=2;\n",
          "[Port A]", "KEY", "1"),
    found("NulByteEndsTheValue", kNulBytes, "[Port A]", "KEY", "ab"),
    found("KeyHoldingEqualsMatchesItsLine", "[Port A]\nA=B=5;\n", "[Port A]", "A=B", "5"),
    found("ValueEndsAtTheSecondEquals", "[Port A]\nA=B=5;\n", "[Port A]", "A", "B"),
    missing("NullSectionIsNeverFound", kSaved, nullptr, "FG_WIDTH"),
    missing("NullKeyIsNeverFound", kSaved, "[Port A]", nullptr),
};

class ConfigFileKeyLookup : public test::ScratchDirTest, public testing::WithParamInterface<LookupCase> {};

TEST_P(ConfigFileKeyLookup, AnswersResultAndText) {
    const LookupCase& c = GetParam();
    Fg_ConfigFileParser parser(nullptr, writeFile("lookup.scf", c.content).c_str(), true);
    std::string text = "unset";
    EXPECT_EQ(parser.parseKey(c.section, c.key, text), c.result);
    EXPECT_EQ(text, c.text);
}

INSTANTIATE_TEST_SUITE_P(Rules, ConfigFileKeyLookup, testing::ValuesIn(kLookups),
                         [](const auto& row) { return row.param.name; });

TEST_F(ConfigFileLookup, HeaderSectionNeedsItsLineEnd) {
    Fg_ConfigFileParser& parser = open("X='[Kamerasektion]';\nA=1;\n[Kamerasektion]\nAktivePort=3;\n");
    int32_t port = -5;
    EXPECT_EQ(parser.parseIntKeyFromHeader("AktivePort", port), 0);
    EXPECT_EQ(port, 3);
    int32_t a = -5;
    EXPECT_EQ(parser.parseIntKeyFromHeader("A", a), kConfigValueMissing);
    EXPECT_EQ(a, -5);
}

TEST_F(ConfigFileLookup, ParserWithoutStreamFindsNothing) {
    Fg_ConfigFileParser parser(nullptr, nullptr, true);
    std::string text;
    EXPECT_EQ(parser.parseKey("[Port A]", "FG_WIDTH", text), kConfigKeyMissing);
    EXPECT_EQ(text, "Error");
    EXPECT_EQ(parser.parseKeyFromLine("Typ", text), kConfigKeyMissing);
}

// parseKeyFromLine: the first line holding the key anywhere, split at '=' and quotes.
struct LineCase {
    const char* name;
    std::string content;
    const char* key;
    int32_t result;
    std::string text;
};

const LineCase kLineLookups[] = {
    {"QuotedValue", kSaved, "Typ", 0, "Kestrel12"},
    {"QuotedValueWithABlank", kSaved, "Hersteller", 0, "Kestrel Imaging"},
    {"PlainValueKeepsSemicolonAndLineEnd", "[Kamerasektion]\nTyp=Kestrel12;\n", "Typ", 0, "Kestrel12;\n"},
    {"KeyMatchesAnywhereInTheFirstLineHoldingIt", "OldTyp='Other';\nTyp='Kestrel12';\n", "Typ", 0, "Other"},
    {"LineWithoutSecondPartIsMissing", "Typ\nTyp='Kestrel12';\n", "Typ", kConfigKeyMissing, "Error"},
    {"MissingKey", kSaved, "Seriennummer", kConfigKeyMissing, "Error"},
};

class ConfigFileLineLookup : public test::ScratchDirTest, public testing::WithParamInterface<LineCase> {};

TEST_P(ConfigFileLineLookup, AnswersResultAndText) {
    const LineCase& c = GetParam();
    Fg_ConfigFileParser parser(nullptr, writeFile("line.scf", c.content).c_str(), true);
    std::string text = "unset";
    EXPECT_EQ(parser.parseKeyFromLine(c.key, text), c.result);
    EXPECT_EQ(text, c.text);
}

INSTANTIATE_TEST_SUITE_P(Rules, ConfigFileLineLookup, testing::ValuesIn(kLineLookups),
                         [](const auto& row) { return row.param.name; });

class ConfigFileTypedLookup : public ConfigFileLookup {};

// Value texts and what each typed lookup makes of them: atoi, strtoull and strtod rules (the number
// texts own them), and no error for text that holds no number.
struct NumberCase {
    const char* text;
    int32_t asInt;
    uint64_t asUInt64;
    double asDouble;
};

const NumberCase kNumbers[] = {
    {"abc", 0, 0, 0.0}, {" +12abc", 12, 12, 12.0}, {"-7", -7, UINT64_MAX - 6, -7.0},
    {"3.9", 3, 3, 3.9}, {"0x10", 0, 0, 16.0},
};

TEST_F(ConfigFileTypedLookup, NumbersReadByTheCLibraryRules) {
    std::string content = "[Port A]\n";
    for (std::size_t i = 0; i < std::size(kNumbers); ++i)
        content += "V" + std::to_string(i) + "=" + kNumbers[i].text + ";\n";
    Fg_ConfigFileParser& parser = open(content);
    for (std::size_t i = 0; i < std::size(kNumbers); ++i) {
        const NumberCase& c = kNumbers[i];
        SCOPED_TRACE(std::string("value '") + c.text + "'");
        const std::string key = "V" + std::to_string(i);
        int32_t asInt = 9;
        uint64_t asUInt64 = 9;
        double asDouble = 9;
        EXPECT_EQ(parser.parseIntKey("[Port A]", key.c_str(), asInt), 0);
        EXPECT_EQ(parser.parseIntKey("[Port A]", key.c_str(), asUInt64), 0);
        EXPECT_EQ(parser.parseDoubleKey("[Port A]", key.c_str(), asDouble), 0);
        EXPECT_EQ(asInt, c.asInt);
        EXPECT_EQ(asUInt64, c.asUInt64);
        EXPECT_EQ(asDouble, c.asDouble);
    }
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

TEST(ConfigFileConversions, AlwaysSucceedAndReadNonNumbersAndNullAsZero) {
    for (const char* text : {"abc", static_cast<const char*>(nullptr)}) {
        int32_t i = 5;
        uint64_t u = 5;
        double d = 5;
        EXPECT_EQ(Fg_ConfigFileParser::getIntValue(text, i), 0);
        EXPECT_EQ(Fg_ConfigFileParser::getIntValue(text, u), 0);
        EXPECT_EQ(Fg_ConfigFileParser::getDoubleValue(text, d), 0);
        EXPECT_EQ(i, 0);
        EXPECT_EQ(u, 0u);
        EXPECT_EQ(d, 0.0);
    }
}

} // namespace
} // namespace kestrel
