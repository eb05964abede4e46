// The "inspect.conf" store: key rule, file syntax, sections, and reading files.
#include "params/inspect_settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace kestrel {
namespace {

TEST(InspectSettings, StoresKeysWithASectionSeparator) {
    InspectSettings settings;
    EXPECT_TRUE(settings.set("Kestrel12::Gain", "On"));
    EXPECT_EQ(settings.get("Kestrel12::Gain"), "On");
    EXPECT_TRUE(settings.set("Kestrel12::Gain", "Off"));
    EXPECT_EQ(settings.get("Kestrel12::Gain"), "Off");
    EXPECT_EQ(settings.size(), 1u);
}

TEST(InspectSettings, RefusesKeysWithoutSeparatorOrWithItAtEitherEnd) {
    InspectSettings settings;
    EXPECT_FALSE(settings.set("Gain", "On"));
    EXPECT_FALSE(settings.set("::Gain", "On"));
    EXPECT_FALSE(settings.set("Kestrel12::", "On"));
    EXPECT_FALSE(settings.set("Kestrel12:Gain", "On"));
    EXPECT_FALSE(settings.set("", "On"));
    EXPECT_EQ(settings.size(), 0u);
    EXPECT_TRUE(settings.set("a::b::", "x")); // the first separator decides
}

TEST(InspectSettings, KeysAreCaseSensitive) {
    InspectSettings settings;
    settings.set("Kestrel12::Gain", "On");
    EXPECT_FALSE(settings.contains("kestrel12::Gain"));
    EXPECT_FALSE(settings.contains("Kestrel12::gain"));
    EXPECT_TRUE(settings.contains("Kestrel12::Gain"));
    EXPECT_FALSE(settings.get("Kestrel12::GAIN").has_value());
}

TEST(InspectSettings, KeyWithBlanksAndTrailingCommentStoresJustTheValue) {
    InspectSettings settings;
    settings.readText("[Kestrel12]\n   Device1_Gain   =   On   # switched on for the lab\n");
    EXPECT_EQ(settings.get("Kestrel12::Device1_Gain"), "On");
    EXPECT_EQ(settings.size(), 1u);
}

TEST(InspectSettings, LineWithoutEqualsSignIsIgnored) {
    InspectSettings settings;
    settings.readText("[Kestrel12]\nDevice1_Gain On\nDevice1_Offset=1\n");
    EXPECT_EQ(settings.size(), 1u);
    EXPECT_EQ(settings.get("Kestrel12::Device1_Offset"), "1");
}

TEST(InspectSettings, SplitsAtTheFirstEqualsSign) {
    InspectSettings settings;
    settings.readText("[S]\nkey = a=b\n");
    EXPECT_EQ(settings.get("S::key"), "a=b");
}

TEST(InspectSettings, CommentsBlankLinesAndCarriageReturnsAreSkipped) {
    InspectSettings settings;
    settings.readText("# heading\r\n\r\n   \t\r\n[Kestrel12]\r\n# key = no\r\nkey = yes\r\nother=\r\n");
    EXPECT_EQ(settings.get("Kestrel12::key"), "yes");
    EXPECT_EQ(settings.get("Kestrel12::other"), "");
    EXPECT_EQ(settings.size(), 2u);
}

TEST(InspectSettings, HashInsideTheValueStartsAComment) {
    InspectSettings settings;
    settings.readText("[S]\ncolour = #ff0000\nname = a#b\n");
    EXPECT_EQ(settings.get("S::colour"), "");
    EXPECT_EQ(settings.get("S::name"), "a");
}

TEST(InspectSettings, SectionLinesSwitchTheSection) {
    InspectSettings settings;
    settings.readText("[First]\na=1\n  [Second]  \na=2\n[Thi rd]\na=3\n");
    EXPECT_EQ(settings.get("First::a"), "1");
    EXPECT_EQ(settings.get("Second::a"), "2");
    EXPECT_EQ(settings.get("Thi rd::a"), "3");
}

TEST(InspectSettings, EntriesBeforeTheFirstSectionAreRefused) {
    InspectSettings settings;
    settings.readText("orphan = 1\n[S]\n = 2\nkept = 3\n");
    EXPECT_EQ(settings.size(), 1u);
    EXPECT_EQ(settings.get("S::kept"), "3");
}

TEST(InspectSettings, LastLineWithoutNewlineIsRead) {
    InspectSettings settings;
    settings.readText("[S]\nlast = 9");
    EXPECT_EQ(settings.get("S::last"), "9");
}

TEST(InspectSettings, SectionListsItsEntriesInKeyOrderWithoutPrefix) {
    InspectSettings settings;
    settings.readText("[Kestrel12]\nzeta=1\nalpha=2\nMid=3\n[Kestrel12x]\nalpha=4\n[Other]\nbeta=5\n");
    const auto entries = settings.section("Kestrel12");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (std::pair<std::string, std::string>{"Mid", "3"}));
    EXPECT_EQ(entries[1], (std::pair<std::string, std::string>{"alpha", "2"}));
    EXPECT_EQ(entries[2], (std::pair<std::string, std::string>{"zeta", "1"}));
    EXPECT_TRUE(settings.section("none").empty());
}

TEST(InspectSettings, MissingFileLeavesTheStoreAsItWas) {
    InspectSettings settings;
    settings.set("S::kept", "1");
    EXPECT_FALSE(settings.readFile("/nonexistent-directory/inspect.conf"));
    EXPECT_EQ(settings.size(), 1u);
}

TEST(InspectSettings, ReadingAFileAddsToTheStore) {
    const std::string path = ::testing::TempDir() + "inspect_settings_test.conf";
    {
        std::ofstream file(path, std::ios::binary);
        file << "[Kestrel12]\nDevice1_Gain = TRUE\n";
    }
    InspectSettings settings;
    settings.set("Kestrel12::Earlier", "on");
    EXPECT_TRUE(settings.readFile(path));
    EXPECT_EQ(settings.get("Kestrel12::Device1_Gain"), "TRUE");
    EXPECT_EQ(settings.get("Kestrel12::Earlier"), "on");
    std::remove(path.c_str());
}

} // namespace
} // namespace kestrel
