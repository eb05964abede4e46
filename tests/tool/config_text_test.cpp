// The tool's reading of configuration files: the same values as the applet's own parser over the
// fuzz corpora, each way a file is read otherwise than written named with its line, texts that
// cannot be kept refused by the rule the applet's writer and reader prove, and two commands'
// changes to one file merged.
#include <gtest/gtest.h>

#include "config/config_file_parser.h"
#include "core/config_text.h"
#include "scratch_dir.h"

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace {

using kestrel::Fg_ConfigFileParser;
using namespace kestrel::tool;

const std::string kHeader = "[Kamerasektion]\n\nConfigFileVersion=2.0;\nHersteller='Kestrel Imaging';\n"
                            "Typ='Kestrel12';\nVersion='1.2';\nLoadAppletId=0;\nAktivePort=0;\n\n[Port A]\n";
const std::string kPort = "FG_WIDTH=1024;\nFG_GEN_FREQ=0.1;\nFG_LUT_CUSTOM_FILE='/tmp/lut.txt';\n";
const ConfigLayout kLayout{"Kestrel12",
                           {{"FG_WIDTH", ConfigValueKind::Integer},
                            {"FG_GEN_FREQ", ConfigValueKind::Real},
                            {"FG_LUT_CUSTOM_FILE", ConfigValueKind::Text}}};

const char kNulContent[] = "[Port A]\nKEY=ab\0cd;\n";

class ConfigTextTest : public kestrel::test::ScratchDirTest {};

TEST_F(ConfigTextTest, ReadsEveryCorpusFileAsTheAppletsParser) {
    std::vector<std::string> contents = {kHeader + kPort,
                                         "[Port A]\nKEY=abc\nNEXT=1;\n",
                                         "[Port A]\r\nKEY=\rtail;\r\nQ='it's';\r\n",
                                         "[Port A]\nLONG=" + std::string(400, 'v') + ";\nLONG=2;\n",
                                         std::string(kNulContent, sizeof kNulContent - 1),
                                         "Typ=Kestrel12;\nNOTE='see [Port A]';\nKEY=1;\n[Port A]\nKEY=2;\n"};
    std::size_t corpusFiles = 0;
    for (const char* corpus : {"config_parser", "config_load"})
        for (const auto& entry :
             std::filesystem::directory_iterator(std::string(KESTREL_FUZZ_CORPUS_DIR) + "/" + corpus)) {
            contents.push_back(readFile(entry.path().string()));
            ++corpusFiles;
        }
    ASSERT_GE(corpusFiles, 5u);
    for (const std::string& content : contents) {
        const std::string file = writeFile("read.scf", content);
        Fg_ConfigFileParser parser(nullptr, file.c_str(), true);
        const ConfigText text(content);
        std::vector<std::string> keys = {"", "FG_WIDTH", "Typ", "Hersteller", "AktivePort", "LONG"};
        for (const auto& piece : text.pieces())
            keys.emplace_back(piece.text.substr(0, piece.text.find('=')));
        for (const std::string& key : keys) {
            for (const char* section : {kConfigPortSection, kConfigHeaderSection, "Typ"}) {
                std::string expected;
                const bool found = parser.parseKey(section, key.c_str(), expected) == 0;
                const auto got = text.find(section, key);
                ASSERT_EQ(got.has_value(), found) << key << " in " << section << " of\n" << content;
                if (found) {
                    ASSERT_EQ(std::string(got->value), expected) << key << " of\n" << content;
                }
            }
            std::string word;
            const bool found = parser.parseKeyFromLine(key.c_str(), word) == 0;
            ASSERT_EQ(text.headerWord(key), found ? std::optional<std::string>(word) : std::nullopt)
                << key << " of\n"
                << content;
        }
    }
}

TEST(ConfigFindings, NameTheLineAndTheRuleOfEachMisreading) {
    const struct {
        std::string content;
        int line;
        const char* said;
        bool failsLoad;
    } rows[] = {
        {kHeader + kPort, -1, "", false},
        {kHeader + kPort + "FG_WIDTH=512;\n", 14, "FG_WIDTH is written again (first on line 11)", false},
        {kHeader + "FG_WIDTH = 512;\n" + kPort.substr(15), 11, "blanks around \"=\"", true},
        {kHeader + "FG_WIDTH = 512;\n" + kPort.substr(15), 0, "no FG_WIDTH= line", true},
        {kHeader + "FG_WIDTH=wide;\n" + kPort.substr(15), 11,
         "FG_WIDTH=wide is no whole number; the applet reads 0", false},
        {kHeader + "FG_WIDTH=5000000000;\n" + kPort.substr(15), 11, "does not fit in 32 bits", false},
        {kHeader + "FG_WIDTH=Error;\n" + kPort.substr(15), 11, "takes for a missing key", true},
        {kHeader + kPort.substr(0, 15) + "FG_GEN_FREQ=1,5;\n" + kPort.substr(32), 12,
         "FG_GEN_FREQ=1,5 is no number; the applet reads 1", false},
        {kHeader + kPort.substr(0, 32) + "FG_LUT_CUSTOM_FILE='a;b.lut';\n", 13,
         "reads FG_LUT_CUSTOM_FILE as 'a' from \"'a;b.lut';\"", false},
        {kHeader + kPort.substr(0, 32) + "FG_LUT_CUSTOM_FILE='" + std::string(300, 'p') + "';\n", 13,
         "longer than 255 characters", false},
        {kHeader + kPort + "FG_WIDHT=5;\n", 14,
         "FG_WIDHT is no setting of a Kestrel12 configuration; the applet "
         "passes over it; did you mean FG_WIDTH?",
         false},
        {kHeader + kPort + "# a note\n", 14, "\"# a note\" is no KEY=VALUE line", false},
        {"[Kamerasektion]\nHersteller='x';\nTyp='Falcon';\nAktivePort=0;\n[Port A]\n" + kPort, 3,
         "Typ reads as 'Falcon', not 'Kestrel12'", true},
        {"[Kamerasektion]\nHersteller='x';\nTyp=Kestrel12;\nAktivePort=0;\n[Port A]\n" + kPort, 3,
         "Typ reads as 'Kestrel12;\\n'", true},
        {"[Kamerasektion]\nTyp='Kestrel12';\n[Port A]\n" + kPort, 0, "no Hersteller=", true},
        {"[Kamerasektion]\nHersteller='x';\nTyp='Kestrel12';\n[Port A]\n" + kPort, 0, "no AktivePort=0;",
         true},
        {kHeader.substr(0, kHeader.size() - 9) + kPort, 0, "no [Port A] section", true},
        {"", 0, "no Typ=", true},
    };
    for (const auto& row : rows) {
        const auto findings = configurationFindings(ConfigText(row.content), kLayout);
        if (row.line < 0) {
            EXPECT_TRUE(findings.empty()) << findings.front().message;
            continue;
        }
        bool named = false;
        for (const ConfigFinding& finding : findings)
            named =
                named || (finding.line == row.line && finding.message.find(row.said) != std::string::npos &&
                          finding.failsLoad == row.failsLoad);
        EXPECT_TRUE(named) << row.said << " at line " << row.line << ":\n"
                           << (findings.empty() ? "nothing" : findings.front().message);
    }
}

TEST_F(ConfigTextTest, RefusesExactlyTheTextsTheAppletReadsBackOtherwise) {
    const std::string key = "FG_SHADING_BLACK_FILENAME";
    const std::size_t room = kConfigPieceMax - key.size() - 2;
    const struct {
        std::string text;
        const char* said;
    } rows[] = {
        {"/data/black.tif", ""},
        {"", ""},
        {"/data/o'brien.tif", "holds \"'\""},
        {"/data/a;b.tif", "holds \";\""},
        {"/data/a=b.tif", "holds \"=\""},
        {"/data/a\nb.tif", "line break"},
        {std::string(room, 'p'), ""},
        {std::string(room + 1, 'p'), "characters long; a configuration line keeps at most 228"},
    };
    for (const auto& row : rows) {
        const std::string file = path("kept.scf");
        {
            Fg_ConfigFileParser writer(nullptr, nullptr, false);
            ASSERT_TRUE(writer.setSaveFile(file.c_str()));
            writer.writePortHeader(0);
            writer.writeConfigFile(key.c_str(), row.text.c_str());
        }
        Fg_ConfigFileParser reader(nullptr, file.c_str(), true);
        std::string back;
        ASSERT_EQ(reader.parseKey(0, key.c_str(), back), 0);
        const std::string why = whyNotStorable(key, row.text);
        EXPECT_EQ(why.empty(), back == row.text) << row.text.substr(0, 40) << ": " << why;
        EXPECT_NE(why.find(row.said), std::string::npos) << why;
    }
}

TEST(ConfigMerge, KeepsBothCommandsChangesOrNamesTheKeyBothChanged) {
    const std::string base = kHeader + kPort;
    const auto with = [&](std::initializer_list<std::pair<std::string, std::string>> changes) {
        std::string text = base;
        for (const auto& [from, to] : changes)
            text.replace(text.find(from), from.size(), to);
        return text;
    };
    const struct {
        std::string ours, theirs;
        std::optional<std::string> merged; // nothing: a conflict
    } rows[] = {
        {with({{"1024", "512"}}), with({{"0.1", "2.5"}}), with({{"1024", "512"}, {"0.1", "2.5"}})},
        {with({{"1024", "512"}}), with({{"1024", "512"}}), with({{"1024", "512"}})},
        {base, with({{"1024", "256"}}), with({{"1024", "256"}})},
        {with({{"'/tmp/lut.txt'", "''"}}), with({{"1024", "256"}}),
         with({{"1024", "256"}, {"'/tmp/lut.txt'", "''"}})},
        {with({{"1024", "512"}}), with({{"1024", "256"}}), std::nullopt},
    };
    for (const auto& row : rows) {
        std::string conflict;
        const auto merged =
            mergeSettings(ConfigText(base), ConfigText(row.ours), ConfigText(row.theirs), kLayout, &conflict);
        EXPECT_EQ(merged, row.merged);
        if (!row.merged) {
            EXPECT_EQ(conflict, "FG_WIDTH (this command: 512, the other: 256)");
        }
    }
}

} // namespace
