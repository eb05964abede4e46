// The "inspect.conf" store: key rule and file syntax.
#include "params/inspect_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kestrel {
namespace {

// A key is "section::name", both parts non-empty (the first separator decides), case-sensitive.
TEST(InspectSettings, KeysNeedASectionAndANameAndAreCaseSensitive) {
    InspectSettings settings;
    for (const char* key : {"Gain", "::Gain", "Kestrel12::", "Kestrel12:Gain", ""})
        EXPECT_FALSE(settings.set(key, "On")) << key;
    EXPECT_EQ(settings.size(), 0u);
    EXPECT_TRUE(settings.set("a::b::", "x"));
    EXPECT_TRUE(settings.set("Kestrel12::Gain", "On"));
    EXPECT_TRUE(settings.set("Kestrel12::Gain", "Off"));
    EXPECT_EQ(settings.get("Kestrel12::Gain"), "Off");
    EXPECT_EQ(settings.size(), 2u);
    EXPECT_FALSE(settings.contains("kestrel12::Gain"));
    EXPECT_FALSE(settings.get("Kestrel12::GAIN").has_value());
}

struct SyntaxRow {
    const char* rule;
    const char* text;
    std::map<std::string, std::string> entries; // everything the store holds afterwards
};

const SyntaxRow kSyntaxRows[] = {
    {"blanks around key and value, trailing comment",
     "[Kestrel12]\n   Device1_Gain   =   On   # switched on for the lab\n",
     {{"Kestrel12::Device1_Gain", "On"}}},
    {"a line without '=' is ignored",
     "[Kestrel12]\nDevice1_Gain On\nDevice1_Offset=1\n",
     {{"Kestrel12::Device1_Offset", "1"}}},
    {"comments, blank lines and carriage returns",
     "# heading\r\n\r\n   \t\r\n[Kestrel12]\r\n# key = no\r\nkey = yes\r\nother=\r\n",
     {{"Kestrel12::key", "yes"}, {"Kestrel12::other", ""}}},
    {"'#' inside a value starts a comment",
     "[S]\ncolour = #ff0000\nname = a#b\n",
     {{"S::colour", ""}, {"S::name", "a"}}},
    {"section lines switch the section",
     "[First]\na=1\n  [Second]  \na=2\n[Thi rd]\na=3\n",
     {{"First::a", "1"}, {"Second::a", "2"}, {"Thi rd::a", "3"}}},
    {"entries before the first section and empty keys are refused",
     "orphan = 1\n[S]\n = 2\nkept = 3\n",
     {{"S::kept", "3"}}},
};

TEST(InspectSettings, ReadsTheFileSyntax) {
    for (const SyntaxRow& row : kSyntaxRows) {
        InspectSettings settings;
        settings.readText(row.text);
        EXPECT_EQ(settings.size(), row.entries.size()) << row.rule;
        for (const auto& [key, value] : row.entries)
            EXPECT_EQ(settings.get(key), value) << row.rule << ": " << key;
    }
}

} // namespace
} // namespace kestrel
