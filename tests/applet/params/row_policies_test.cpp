// The saving column of the catalogue rows, held by one case that walks every row, so a new row is
// covered by what it states: a configuration load stages and applies every saved row as its
// column says. (Which refusals the table makes is the tree-driven parameter contract's.)
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <string>
#include <type_traits>
#include <variant>

#include "config/configuration_file.h"
#include "config/saved_parameter_io.h"
#include "params/initial_values.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_handlers.h"
#include "test_system.h"

namespace kestrel {
namespace {

// Every writable row bound to a setter that only counts its calls.
struct CountingTable {
    struct Setter {
        int calls = 0;
        template <class T> void set(T, bool) { ++calls; }
    };
    CountingTable() {
        for (const ParameterDefinition& row : ParameterCatalogue::all()) {
            Setter& s = setters[static_cast<std::size_t>(row.index)];
            if (row.readOnly() || row.type == ParameterType::Field)
                continue;
            if (row.type == ParameterType::UInt32)
                table.bindSetter<&Setter::set<uint32_t>>(row.id, s);
            else if (row.type == ParameterType::Int32)
                table.bindSetter<&Setter::set<int32_t>>(row.id, s);
            else if (row.type == ParameterType::Double)
                table.bindSetter<&Setter::set<double>>(row.id, s);
            else
                table.bindSetter<&Setter::set<const char*>>(row.id, s);
        }
    }
    int calls(const ParameterDefinition& row) const {
        return setters[static_cast<std::size_t>(row.index)].calls;
    }

    ParameterHandlerTable table;
    std::deque<Setter> setters{static_cast<std::size_t>(kCatalogueSize)};
};

// Every saved field of a block at an accepted value other than its default: the upper end of its
// limits, or the lower end when that is the default or `lower` asks for it.
void moveAway(ParameterValueBlock& values, bool lower) {
    for (const ParameterDefinition& row : ParameterCatalogue::all()) {
        const ParameterLimits& l = row.limits;
        const bool entries = l.kind == LimitKind::Enumeration, integer = l.kind == LimitKind::Integer;
        const double low = entries ? l.entries.front().value : integer ? l.integerMinimum : l.doubleMinimum;
        const double high = entries ? l.entries.back().value : integer ? l.integerMaximum : l.doubleMaximum;
        const double other = lower || high == row.defaultValue.number ? low : high;
        if (row.saved())
            std::visit(
                [&]<class Field>(Field field) {
                    if constexpr (std::is_same_v<Field, std::string*>)
                        *field = lower ? "lower" : "upper";
                    else if constexpr (!std::is_same_v<Field, std::monostate>)
                        *field = static_cast<std::remove_pointer_t<Field>>(other);
                },
                row.field(values));
    }
}

// A field as the file writes it, so a double compares equal after its round trip.
std::string fieldText(const ParameterDefinition& row, ParameterValueBlock& values) {
    return std::visit(
        []<class Field>(Field field) -> std::string {
            char text[32] = "";
            if constexpr (std::is_same_v<Field, std::string*>)
                return *field;
            else if constexpr (std::is_same_v<Field, double*>)
                std::snprintf(text, sizeof text, "%.12g", *field);
            else if constexpr (!std::is_same_v<Field, std::monostate>)
                return std::to_string(*field);
            return text;
        },
        row.field(values));
}

TEST(RowPolicies, ALoadStagesAndAppliesEverySavedRowAsItsSavingColumnSays) {
    ParameterValueBlock written = freshValueBlock(), computed = freshValueBlock();
    ParameterValueBlock loaded = freshValueBlock(), before = freshValueBlock();
    moveAway(written, false);
    moveAway(computed, true); // what the getters compute differs from what the fields hold
    CountingTable counting;
    counting.table.bindStoredGetters(computed);
    const std::string file =
        testing::TempDir() + "row-policies-" + std::to_string(kestrel::test::processId()) + ".scf";
    ASSERT_EQ(saveConfigurationFile(
                  file.c_str(), {"Tarnwell GmbH", "Kestrel12", "1.2", 0},
                  [&](Fg_ConfigFileParser& p) { writeSavedParameters(p, written, counting.table); }),
              0);
    ASSERT_EQ(loadConfigurationFile(
                  file.c_str(), "Kestrel12",
                  [&](Fg_ConfigFileParser& p) { return readSavedParameters(p, loaded, counting.table); }),
              0);
    std::remove(file.c_str());

    for (const ParameterDefinition& row : ParameterCatalogue::all()) {
        if (!row.saved())
            continue;
        SCOPED_TRACE(row.name);
        ParameterValueBlock& expected = row.saving == Saving::AppliedOnly         ? before
                                        : row.saving == Saving::AppliedFromGetter ? computed
                                                                                  : written;
        EXPECT_EQ(fieldText(row, loaded), fieldText(row, expected));
        EXPECT_EQ(counting.calls(row), row.saving == Saving::StagedOnly ? 0 : 1);
    }
}

} // namespace
} // namespace kestrel
