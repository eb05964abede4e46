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
    Fg_ConfigFileParser& open(const std::string& content) {
        parser_.emplace(nullptr, writeFile("lookup.scf", content).c_str(), true);
        return *parser_;
    }
    std::optional<Fg_ConfigFileParser> parser_;
};

const std::string kSaved = "[Kamerasektion]\n\nConfigFileVersion=2.0;\nHersteller='Kestrel Imaging';\n"
                           "Typ='Kestrel12';\nAktivePort=0;\n\n[Port A]\nFG_WIDTH=1024;\nFG_GEN_FREQ=0.1;\n"
                           "FG_LUT_CUSTOM_FILE='/tmp/lut.txt';\n";
const std::string kEmptyValues = "[Port A]\nQUOTED='';\nLAST=";
const std::string kCutQuotes = "[Port A]\nQ1='it's';\n";
const char kNulContent[] = "[Port A]\nKEY=ab\0cd;\n";
constexpr int32_t kMissing = kConfigKeyMissing;

// A key that is not found answers kConfigKeyMissing and the text "Error".
TEST_F(ConfigFileLookup, KeyLookupAnswersResultAndText) {
    const struct {
        std::string content;
        const char* section;
        const char* key;
        int32_t result;
        std::string text;
    } rows[] = {
        {kSaved, "[Port A]", "FG_WIDTH", 0, "1024"},
        {kSaved, "[Kamerasektion]\n", "Typ", 0, "Kestrel12"},
        // A file written on Windows: every "\r\n" reads as the "\n" of a file written here.
        {"[Kamerasektion]\r\nTyp='Kestrel12';\r\n\r\n[Port A]\r\nFG_WIDTH=1024;\r\n", "[Kamerasektion]\n",
         "Typ", 0, "Kestrel12"},
        {kSaved, "[Port A]", "FG_HEIGHT", kMissing, "Error"},
        {"[Port A]\nFG_WIDTH_MAX=5;\n", "[Port A]", "FG_WIDTH", kMissing, "Error"},
        {"[Port A]\n FG_WIDTH=5;\n", "[Port A]", "FG_WIDTH", kMissing, "Error"},
        {kEmptyValues, "[Port A]", "QUOTED", 0, ""},
        // A lone '\r' is no "\r\n" pair, so it is not folded, yet still reads as an empty value.
        {"[Port A]\nKEY=\rtail;\n", "[Port A]", "KEY", 0, ""},
        {kCutQuotes, "[Port A]", "Q1", 0, "it"},
        {"[Port A]\nKEY==;'value';\n", "[Port A]", "KEY", 0, "value"},
        // The value runs to the end of the line piece, and the piece holds the line end.
        {"[Port A]\nKEY=abc\nNEXT=1;\n", "[Port A]", "KEY", 0, "abc\n"},
        {"[Port A]\nLONG=" + std::string(400, 'v') + ";\n", "[Port A]", "LONG", 0, std::string(250, 'v')},
        {"[Port A]\nFG_WIDTH=1;\n\n[Port B]\nFG_HEIGHT=2;\n", "[Port A]", "FG_HEIGHT", 0, "2"},
        {"FG_WIDTH=1;\n[Port A]\nFG_HEIGHT=2;\n", "[Port A]", "FG_WIDTH", kMissing, "Error"},
        {"KEY=0;\n[Port A]\nKEY=1;\nKEY=2;\n", "[Port A]", "KEY", 0, "1"},
        // The section text is searched anywhere in a line, so a value mentioning it opens the
        // section early, and the section line's own key is not searched.
        {"NOTE='see [Port A]';\nKEY=1;\n[Port A]\nKEY=2;\n", "[Port A]", "KEY", 0, "1"},
        {std::string(kNulContent, sizeof kNulContent - 1), "[Port A]", "KEY", 0, "ab"},
        {"[Port A]\nA=B=5;\n", "[Port A]", "A=B", 0, "5"},
        {kSaved, nullptr, "FG_WIDTH", kMissing, "Error"},
    };
    for (const auto& row : rows) {
        std::string text = "unset";
        EXPECT_EQ(open(row.content).parseKey(row.section, row.key, text), row.result) << row.content;
        EXPECT_EQ(text, row.text) << row.content;
    }
}

// parseKeyFromLine: the first line holding the key anywhere, split at '=' and quotes.
TEST_F(ConfigFileLookup, LineLookupAnswersResultAndText) {
    const struct {
        std::string content;
        const char* key;
        int32_t result;
        std::string text;
    } rows[] = {
        {kSaved, "Typ", 0, "Kestrel12"},
        {kSaved, "Hersteller", 0, "Kestrel Imaging"},
        {"OldTyp='Other';\nTyp='Kestrel12';\n", "Typ", 0, "Other"},
        {"Typ\nTyp='Kestrel12';\n", "Typ", kMissing, "Error"},
        {kSaved, "Seriennummer", kMissing, "Error"},
    };
    for (const auto& row : rows) {
        std::string text = "unset";
        EXPECT_EQ(open(row.content).parseKeyFromLine(row.key, text), row.result) << row.content;
        EXPECT_EQ(text, row.text) << row.content;
    }
    Fg_ConfigFileParser none(nullptr, nullptr, true);
    std::string text;
    EXPECT_EQ(none.parseKey("[Port A]", "FG_WIDTH", text), kMissing);
    EXPECT_EQ(text, "Error");
    EXPECT_EQ(none.parseKeyFromLine("Typ", text), kMissing);
}

TEST_F(ConfigFileLookup, HeaderSectionNeedsItsLineEnd) {
    Fg_ConfigFileParser& parser = open("X='[Kamerasektion]';\nA=1;\n[Kamerasektion]\nAktivePort=3;\n");
    int32_t port = -5, a = -5;
    EXPECT_EQ(parser.parseIntKeyFromHeader("AktivePort", port), 0);
    EXPECT_EQ(port, 3);
    EXPECT_EQ(parser.parseIntKeyFromHeader("A", a), kConfigValueMissing);
    EXPECT_EQ(a, -5);
}

// Value texts and what each typed lookup makes of them: atoi, strtoull and strtod rules (the number
// texts own them), and no error for text that holds no number.
TEST_F(ConfigFileLookup, TypedLookupsReadNumbersByTheCLibraryRules) {
    const struct {
        const char* text;
        int32_t asInt;
        uint64_t asUInt64;
        double asDouble;
    } rows[] = {{"abc", 0, 0, 0.0},
                {" +12abc", 12, 12, 12.0},
                {"-7", -7, UINT64_MAX - 6, -7.0},
                {"3.9", 3, 3, 3.9},
                {"0x10", 0, 0, 16.0}};
    std::string content = "[Port A]\n";
    for (std::size_t i = 0; i < std::size(rows); ++i)
        content += "V" + std::to_string(i) + "=" + rows[i].text + ";\n";
    Fg_ConfigFileParser& parser = open(content);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const std::string key = "V" + std::to_string(i);
        int32_t asInt = 9;
        uint64_t asUInt64 = 9;
        double asDouble = 9;
        EXPECT_EQ(parser.parseIntKey("[Port A]", key.c_str(), asInt), 0);
        EXPECT_EQ(parser.parseIntKey("[Port A]", key.c_str(), asUInt64), 0);
        EXPECT_EQ(parser.parseDoubleKey("[Port A]", key.c_str(), asDouble), 0);
        EXPECT_EQ(asInt, rows[i].asInt) << rows[i].text;
        EXPECT_EQ(asUInt64, rows[i].asUInt64) << rows[i].text;
        EXPECT_EQ(asDouble, rows[i].asDouble) << rows[i].text;
    }
}

// A missing key, a value holding "Error" and a null key give kConfigValueMissing and leave the value.
TEST_F(ConfigFileLookup, TypedLookupsOfNothingLeaveTheValue) {
    Fg_ConfigFileParser& parser = open(kSaved + "ERR=12Error;\n");
    for (const char* key : {"FG_HEIGHT", "ERR", static_cast<const char*>(nullptr)}) {
        int32_t i = 42;
        uint64_t u = 42;
        double d = 4.2;
        EXPECT_EQ(parser.parseIntKey("[Port A]", key, i), kConfigValueMissing);
        EXPECT_EQ(parser.parseIntKey("[Port A]", key, u), kConfigValueMissing);
        EXPECT_EQ(parser.parseDoubleKey("[Port A]", key, d), kConfigValueMissing);
        EXPECT_EQ(i + u + d, 42 + 42 + 4.2);
    }
}

} // namespace
} // namespace kestrel
