// The catalogue table's invariants: unique identifiers and names, every row found by each key.
#include "params/parameter_catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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
        // Configuration files save and load exactly the rows that name a value-block field. Checked
        // here rather than at compile time: with the undefined-behaviour sanitizer, gcc does not
        // treat a lambda's address compared with null as a constant expression.
        EXPECT_EQ(row.saved, row.field != nullptr) << row.name;
    }
    EXPECT_EQ(ParameterCatalogue::byIndex(kCatalogueSize), nullptr);
}

TEST(ParameterCatalogue, NameLookupIsCaseSensitiveAndExact) {
    for (std::string_view name : {"fg_width", "FG_Width", "FG_WIDTH ", "FG_WIDT", ""})
        EXPECT_EQ(ParameterCatalogue::byName(name), nullptr) << name;
    EXPECT_EQ(ParameterCatalogue::byName(std::string_view("FG_WIDTH\0", 9)), nullptr);
}

} // namespace
} // namespace kestrel
