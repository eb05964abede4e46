// The parameter catalogue: one row per parameter the applet publishes under a fixed identifier.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "params/catalogue_rows.h"
#include "params/parameter_definition.h"

namespace kestrel {

inline constexpr int32_t kCatalogueSize = static_cast<int32_t>(kCatalogueRows.size());

// The ids of the N rows whose names start with `prefix`, in catalogue order: a numbered family
// such as FG_CCSEL0 .. FG_CCSEL3, or the four rows of FG_TRIGGER_PULSEFORMGEN0_. The build fails
// when the family has another size.
template <std::size_t N> consteval std::array<int32_t, N> familyIds(std::string_view prefix) {
    std::array<int32_t, N> ids{};
    std::size_t count = 0;
    for (const ParameterDefinition& row : kCatalogueRows) {
        if (!std::string_view(row.name).starts_with(prefix))
            continue;
        if (count == N)
            throw "the family has more rows than expected";
        ids[count++] = row.id;
    }
    if (count != N)
        throw "the family has fewer rows than expected";
    return ids;
}

// Read-only lookups over the one static table; no lock needed, no allocation. Pointers refer to
// static storage.
class ParameterCatalogue {
public:
    // Every row in list-index order.
    static std::span<const ParameterDefinition> all();

    // Row at list index 0..kCatalogueSize-1, or null.
    static const ParameterDefinition* byIndex(int32_t index);

    // Row with this identifier, or null (hash table built at compile time).
    static const ParameterDefinition* byId(int32_t id);

    // Row with exactly this name (byte comparison), or null (hash table built at compile time).
    static const ParameterDefinition* byName(std::string_view name);
};

} // namespace kestrel
