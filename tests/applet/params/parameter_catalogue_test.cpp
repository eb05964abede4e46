// The catalogue table's invariants (unique identifiers and names, every row found by each key), the
// four true-words, and splitting the applet's own path into the directory of "inspect.conf" and the
// module name.
#include "params/parameter_catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "params/module_location.h"
#include "params/true_words.h"

namespace kestrel {
namespace {

TEST(ParameterCatalogue, EveryRowIsFoundByItsUniqueIdNameAndIndex) {
    std::set<int32_t> idSet;
    std::set<std::string> nameSet;
    ASSERT_EQ(ParameterCatalogue::all().size(), static_cast<std::size_t>(kCatalogueSize));
    for (const auto& row : ParameterCatalogue::all()) {
        EXPECT_TRUE(idSet.insert(row.id).second) << row.name;
        EXPECT_TRUE(nameSet.insert(row.name).second) << row.name;
        EXPECT_EQ(std::string(row.name).rfind("FG_", 0), 0u) << row.name;
        EXPECT_EQ(ParameterCatalogue::byId(row.id), &row);
        EXPECT_EQ(ParameterCatalogue::byName(row.name), &row);
        EXPECT_EQ(ParameterCatalogue::byIndex(row.index), &row);
        // Configuration files save and load a saved row's value-block field. Checked here rather
        // than at compile time: with the undefined-behaviour sanitizer, gcc does not treat a
        // lambda's address compared with null as a constant expression.
        EXPECT_TRUE(!row.saved() || row.field != nullptr) << row.name;
    }
    EXPECT_EQ(ParameterCatalogue::byIndex(kCatalogueSize), nullptr);
}

// {word, true-word}: the four words in any case and nothing else, not even with a blank.
const std::pair<const char*, bool> kWords[] = {
    {"yes", true},         {"true", true},    {"on", true},         {"1", true},         {"YES", true},
    {"True", true},        {"oN", true},      {"TRUE", true},       {"On", true},        {"", false},
    {"y", false},          {"enable", false}, {"enabled", false},   {"2", false},        {"off", false},
    {"no", false},         {"0", false},      {" on", false},       {"on ", false},      {"onn", false},
    {"yes please", false}, {"true\n", false}, {"\xCF\x8En", false}, {"yesterday", false}};

TEST(TrueWords, AreTheFourWordsInAnyCaseAndNothingElse) {
    for (const auto& [word, expected] : kWords)
        EXPECT_EQ(isTrueWord(word), expected) << '"' << word << '"';
}

TEST(ModuleLocation, SplitsDirectoryAndNameWithoutTheLastExtension) {
    // {path, directory, module name}; either separator counts.
    const char* const rows[][3] = {
        {"/opt/kestrel/lib/Kestrel12.so", "/opt/kestrel/lib", "Kestrel12"},
        {"C:\\Program Files\\Kestrel\\Kestrel12.dll", "C:\\Program Files\\Kestrel", "Kestrel12"},
        {"/lib/Kestrel12.so.2", "/lib", "Kestrel12.so"},
        {"/lib.d/Kestrel12", "/lib.d", "Kestrel12"}};
    for (const auto& [path, directory, name] : rows) {
        const auto location = splitModulePath(path);
        ASSERT_TRUE(location.has_value()) << path;
        EXPECT_EQ(location->directory, directory);
        EXPECT_EQ(location->moduleName, name);
    }
    EXPECT_EQ(inspectFilePath(*splitModulePath("/opt/lib/Kestrel12.so")), "/opt/lib/inspect.conf");
    EXPECT_EQ(inspectFilePath(*splitModulePath("C:\\K\\Kestrel12.dll")), "C:\\K\\inspect.conf");
    for (const char* path : {"Kestrel12.so", "/Kestrel12.so", "/lib/.so", "/lib/", ""})
        EXPECT_FALSE(splitModulePath(path).has_value()) << path;
}

} // namespace
} // namespace kestrel
