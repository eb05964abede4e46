// The parameter catalogue: one row per parameter the applet publishes under a fixed identifier.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "params/catalogue_rows.h"
#include "params/parameter_definition.h"

namespace kestrel {

inline constexpr int32_t kCatalogueSize = static_cast<int32_t>(kCatalogueRows.size());

// Read-only lookups over the one static table; no lock needed, no allocation. Pointers refer to
// static storage.
class ParameterCatalogue {
public:
    // Every row in list-index order.
    static std::span<const ParameterDefinition> all();

    // Row at list index 0..kCatalogueSize-1, or null.
    static const ParameterDefinition* byIndex(int32_t index);

    // Row with this identifier, or null (binary search over a sorted id table).
    static const ParameterDefinition* byId(int32_t id);

    // Row with exactly this name (byte comparison), or null (hash table built at compile time).
    static const ParameterDefinition* byName(std::string_view name);
};

} // namespace kestrel
