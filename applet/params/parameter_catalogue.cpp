// The catalogue's compile-time lookup structures over its rows.
#include "params/parameter_catalogue.h"

#include <array>
#include <cstddef>

#include "device/parameter_info_node.h"
#include "params/parameter_ids.h"

namespace kestrel {
namespace {

// The tree publishes a feature for every row that has limits, with an access word that agrees
// with the row's access.
constexpr bool treeColumnsAgree() {
    for (const auto& row : kCatalogueRows) {
        if (row.tree.published() != (row.limits.kind != LimitKind::None))
            return false;
        if (row.tree.published() && row.readOnly() != (row.tree.access == kNodeAccessReadOnly))
            return false;
    }
    return true;
}
static_assert(treeColumnsAgree(), "a row with limits has a feature in the tree, and its access word fits");

// The policy columns fit the rest of the row: only a writable row is saved, switches its access or
// checks its own values; the legacy trigger's group is writable only under that interface, the
// processing group only while the LUT computes; a software-only row is one the trigger mode
// reopens.
constexpr bool policiesAgree() {
    using namespace access_switch;
    for (const auto& row : kCatalogueRows) {
        if (row.readOnly() && (row.saved() || row.accessSwitches != kNone || row.check != SetterCheck::Table))
            return false;
        if ((row.tree.group == TreeGroup::TriggerLegacy) != (row.accessSwitches == kWhileLegacyOn))
            return false;
        if ((row.tree.group == TreeGroup::Processing) != (row.accessSwitches == kWhileLutProcessing))
            return false;
        if (row.switchedBy(kSoftwareOnly) && !row.switchedBy(kReopenedByTriggerMode))
            return false;
    }
    return true;
}
static_assert(policiesAgree(), "a row's policies fit its access and its tree group");

// The public header lists the staged-only rows for clients that check configuration files.
constexpr bool publishedStagedOnlyAgrees() {
    constexpr int32_t kPublished[] = {KESTREL12_STAGED_ONLY_PARAMETERS};
    std::size_t next = 0;
    for (const auto& row : kCatalogueRows) {
        if (row.saving != Saving::StagedOnly)
            continue;
        if (next == std::size(kPublished) || kPublished[next] != row.id)
            return false;
        ++next;
    }
    return next == std::size(kPublished);
}
static_assert(publishedStagedOnlyAgrees(), "KESTREL12_STAGED_ONLY_PARAMETERS lists the staged-only rows");

// Identifier lookup: open addressing with linear probing over a multiplicative hash, load factor
// at most a quarter. Every typed set and get asks it once, and the probe that ends a lookup is
// nearly always the first, where a binary search over the sorted ids took eight dependent steps.
constexpr std::size_t kIdSlotBits = 10;
constexpr std::size_t kIdSlots = std::size_t{1} << kIdSlotBits;
static_assert(static_cast<std::size_t>(kCatalogueSize) * 4 <= kIdSlots,
              "the id table is at most a quarter full");

constexpr std::size_t idSlot(int32_t id) {
    return (static_cast<uint32_t>(id) * 2654435761u) >> (32 - kIdSlotBits);
}

struct IdTable {
    std::array<int16_t, kIdSlots> slots{};
    bool unique = true;
};

constexpr IdTable makeIdTable() {
    IdTable table;
    for (auto& slot : table.slots)
        slot = -1;
    for (std::size_t i = 0; i < kCatalogueRows.size(); ++i) {
        const int32_t id = kCatalogueRows[i].id;
        std::size_t slot = idSlot(id);
        while (table.slots[slot] >= 0) {
            if (kCatalogueRows[static_cast<std::size_t>(table.slots[slot])].id == id)
                table.unique = false;
            slot = (slot + 1) & (kIdSlots - 1);
        }
        table.slots[slot] = static_cast<int16_t>(i);
    }
    return table;
}
constexpr IdTable kIdTable = makeIdTable();
static_assert(kIdTable.unique, "catalogue identifiers must be unique");

// Name lookup: open addressing with linear probing, FNV-1a, load factor about a quarter so
// that a miss usually ends at the first empty slot.
constexpr std::size_t kNameSlots = 512;
static_assert((kNameSlots & (kNameSlots - 1)) == 0);

constexpr uint32_t hashName(std::string_view name) {
    uint32_t hash = 2166136261u;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

struct NameTable {
    std::array<int16_t, kNameSlots> slots{};
    bool unique = true;
};

constexpr NameTable makeNameTable() {
    NameTable table;
    for (auto& slot : table.slots)
        slot = -1;
    for (std::size_t i = 0; i < kCatalogueRows.size(); ++i) {
        const std::string_view name = kCatalogueRows[i].name;
        std::size_t slot = hashName(name) & (kNameSlots - 1);
        while (table.slots[slot] >= 0) {
            if (name == kCatalogueRows[table.slots[slot]].name)
                table.unique = false;
            slot = (slot + 1) & (kNameSlots - 1);
        }
        table.slots[slot] = static_cast<int16_t>(i);
    }
    return table;
}
constexpr NameTable kNameTable = makeNameTable();
static_assert(kNameTable.unique, "catalogue names must be unique");

} // namespace

std::span<const ParameterDefinition> ParameterCatalogue::all() {
    return kCatalogueRows;
}

const ParameterDefinition* ParameterCatalogue::byIndex(int32_t index) {
    if (index < 0 || index >= kCatalogueSize)
        return nullptr;
    return &kCatalogueRows[static_cast<std::size_t>(index)];
}

const ParameterDefinition* ParameterCatalogue::byId(int32_t id) {
    std::size_t slot = idSlot(id);
    for (;;) {
        const int16_t index = kIdTable.slots[slot];
        if (index < 0)
            return nullptr;
        const ParameterDefinition& row = kCatalogueRows[static_cast<std::size_t>(index)];
        if (row.id == id)
            return &row;
        slot = (slot + 1) & (kIdSlots - 1);
    }
}

const ParameterDefinition* ParameterCatalogue::byName(std::string_view name) {
    std::size_t slot = hashName(name) & (kNameSlots - 1);
    for (;;) {
        const int16_t index = kNameTable.slots[slot];
        if (index < 0)
            return nullptr;
        const ParameterDefinition& row = kCatalogueRows[static_cast<std::size_t>(index)];
        if (name == row.name)
            return &row;
        slot = (slot + 1) & (kNameSlots - 1);
    }
}

} // namespace kestrel
