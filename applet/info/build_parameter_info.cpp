// Building the parameter-information tree: fixed features, direct register access and the
// mirrored features of the host's own tree.
#include "info/build_parameter_info.h"

#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/error_codes.h"
#include "device/design_registers.h"
#include "info/parameter_info_nodes.h"
#include "info/parameter_info_tree.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_ids.h"
#include "params/parameter_properties.h"

namespace kestrel {
namespace {

constexpr int32_t kPort = 0;
constexpr const char* kRegisterAccessCategory = "Direct Register Access";
constexpr const char* kDesignAccessCategory = "Direct DS Access";
// Entry display names pass through a formatting buffer of this size.
constexpr std::size_t kEntryNameBuffer = 256;

// The legacy trigger's own parameters, which start read-only with the legacy interface off.
bool legacyOnly(const ParameterDefinition& row) {
    return row.switchedBy(access_switch::kWhileLegacyOn) && !row.switchedBy(access_switch::kWhileLegacyOff);
}

// Records a created feature where setters and the property map find it.
class FeatureIndex {
public:
    FeatureIndex(ParameterInfoNodes& nodes, ParameterPropertyMap* properties)
        : nodes_(nodes), properties_(properties) {}

    void enter(ParameterInfoNode* node) {
        if (node == nullptr)
            return;
        nodes_.enter(kPort, node->id, node);
        if (properties_ != nullptr)
            properties_->setAccess(kPort, node->id, node->access);
    }

private:
    ParameterInfoNodes& nodes_;
    ParameterPropertyMap* properties_;
};

// Creates each category of a fixed path the first time a feature needs it.
class FixedCategories {
public:
    explicit FixedCategories(ParameterInfoTree& tree) : tree_(tree) {}

    ParameterInfoNode* categoryFor(const std::array<const char*, 3>& path) {
        ParameterInfoNode* parent = nullptr;
        std::string key;
        for (const char* name : path) {
            if (name == nullptr)
                break;
            key += name;
            key += '\n';
            auto it = created_.find(key);
            if (it == created_.end())
                it = created_.emplace(key, tree_.addCategory(kPort, parent, name)).first;
            parent = it->second;
            if (parent == nullptr)
                return nullptr;
        }
        return parent;
    }

private:
    ParameterInfoTree& tree_;
    std::unordered_map<std::string, ParameterInfoNode*> created_;
};

void fillFixedEntries(ParameterInfoTree& tree, ParameterInfoNode* node, EnumerationTable entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        char display[kEntryNameBuffer];
        std::strncpy(display, entries[i].displayName, sizeof display - 1);
        display[sizeof display - 1] = '\0';
        tree.setEnumerationEntry(node, static_cast<int32_t>(i), display, entries[i].value,
                                 entries[i].symbolicName);
    }
}

// The feature of one published row: its tree columns place it, the rest of the row gives its name,
// kind and limits.
void buildFixedFeature(ParameterInfoTree& tree, FixedCategories& categories, FeatureIndex& index,
                       const ParameterDefinition& row) {
    ParameterInfoNode* parent = categories.categoryFor(row.tree.categoryPath());
    FeatureHeader header;
    header.displayName = row.tree.displayName;
    header.paramName = row.name;
    header.access = row.tree.access;
    header.hostAttribute = row.tree.hostAttribute;
    header.published = 1;
    header.unit = row.tree.unit;
    header.id = row.id;
    header.port = kPort;
    const ParameterLimits& limits = row.limits;
    ParameterInfoNode* node = nullptr;
    switch (limits.kind) {
    case LimitKind::None:
        break;
    case LimitKind::Integer:
        // The node holds 32-bit limits; larger published values keep their low 32 bits.
        node = tree.addIntegerFeature(parent, header, static_cast<int32_t>(limits.integerMinimum),
                                      static_cast<int32_t>(limits.integerMaximum),
                                      static_cast<int32_t>(limits.integerIncrement));
        break;
    case LimitKind::Enumeration:
        node = tree.addEnumerationFeature(parent, header, static_cast<int32_t>(limits.entries.size()));
        if (node != nullptr)
            fillFixedEntries(tree, node, limits.entries);
        break;
    case LimitKind::String:
        node = tree.addStringFeature(parent, header, limits.filter);
        break;
    case LimitKind::Double:
        node = tree.addDoubleFeature(parent, header, limits.doubleMinimum, limits.doubleMaximum,
                                     limits.doubleIncrement);
        break;
    case LimitKind::IntegerArray:
        node = tree.addIntegerArrayFeature(parent, header, static_cast<int32_t>(limits.integerIncrement),
                                           static_cast<int32_t>(limits.integerMinimum),
                                           static_cast<int32_t>(limits.integerMaximum), 1);
        break;
    }
    index.enter(node);
}

// Publication order: group by group, and within a group in list-index order.
void buildFixedFeatures(ParameterInfoTree& tree, FeatureIndex& index) {
    FixedCategories categories(tree);
    for (std::size_t group = 0; group < kTreeGroupCount; ++group)
        for (const ParameterDefinition& row : ParameterCatalogue::all())
            if (static_cast<std::size_t>(row.tree.group) == group)
                buildFixedFeature(tree, categories, index, row);
}

// 2^width - 1 computed in double precision, as the register's published maximum. Conversion to
// 64 bits carries the top bit separately; a width of 64 rounds to 2^64, which has no 64-bit
// value and saturates to all bits set.
uint64_t wideRegisterMaximum(int32_t widthBits) {
    const double maximum = std::pow(2.0, widthBits) - 1.0;
    constexpr double kTopBit = 9223372036854775808.0; // 2^63
    if (maximum < kTopBit)
        return static_cast<uint64_t>(maximum);
    const double rest = maximum - kTopBit;
    if (rest >= kTopBit)
        return UINT64_MAX;
    return static_cast<uint64_t>(rest) | (uint64_t{1} << 63);
}

void buildRegisterAccess(ParameterInfoTree& tree, FeatureIndex& index,
                         const DesignRegisterSource* registers) {
    ParameterInfoNode* category = tree.addCategory(kPort, nullptr, kRegisterAccessCategory);
    if (registers == nullptr)
        return;
    const int32_t count = registers->count();
    for (int32_t i = 1; i <= count; ++i) {
        const char* registerName = registers->name(i);
        if (registerName == nullptr)
            registerName = "";
        const uint32_t registerId = registers->id(registerName);
        const int32_t widthBits = registers->width(registerId);
        const std::string paramName = std::string("DRA_") + registerName;
        const std::string displayName = std::string(registerName) + " (" + std::to_string(widthBits) + ")";
        FeatureHeader header;
        header.displayName = displayName.c_str();
        header.paramName = paramName.c_str();
        header.access = registers->info(registerId) != 0 ? kNodeAccessReadWriteBit2 : kNodeAccessReadOnly;
        header.hostAttribute = 1;
        header.published = 1;
        header.unit = nullptr;
        header.id = static_cast<int32_t>(registerId + static_cast<uint32_t>(ids::kRegisterAccessBase));
        header.port = kPort;
        ParameterInfoNode* node = nullptr;
        if (widthBits > 32) {
            node = tree.addWideIntegerFeature(category, header, 0, wideRegisterMaximum(widthBits), 1);
        } else {
            const uint32_t maximum =
                widthBits <= 0 ? 0u : static_cast<uint32_t>((uint64_t{1} << widthBits) - 1);
            node = tree.addIntegerFeature(category, header, 0, static_cast<int32_t>(maximum), 1);
        }
        index.enter(node);
    }
}

// A feature of the host's tree and the categories from its root down to it.
struct HostFeaturePath {
    const ParameterInfoNode* feature = nullptr;
    std::vector<const ParameterInfoNode*> categories;
};

// Depth-first over every root and everything below it; the first feature with the id wins.
class HostTreeSearch {
public:
    explicit HostTreeSearch(const ParameterInfoNode* firstRoot) : firstRoot_(firstRoot) {}

    HostFeaturePath find(int32_t hostId) const {
        HostFeaturePath path;
        std::unordered_set<const ParameterInfoNode*> visitedRoots;
        for (const ParameterInfoNode* root = firstRoot_; root != nullptr && visitedRoots.insert(root).second;
             root = root->nextRoot) {
            std::unordered_set<const ParameterInfoNode*> visited;
            if (root->type == kNodeCategory && search(root, hostId, path, visited))
                return path;
        }
        return {};
    }

private:
    static bool search(const ParameterInfoNode* category, int32_t hostId, HostFeaturePath& path,
                       std::unordered_set<const ParameterInfoNode*>& visited) {
        if (!visited.insert(category).second)
            return false;
        path.categories.push_back(category);
        const auto& part = category->kind.category;
        for (int32_t i = 0; part.children != nullptr && i < part.childCount; ++i) {
            const ParameterInfoNode* child = part.children[i];
            if (child == nullptr)
                continue;
            if (child->type == kNodeCategory) {
                if (search(child, hostId, path, visited))
                    return true;
            } else if (child->id == hostId) {
                path.feature = child;
                return true;
            }
        }
        path.categories.pop_back();
        return false;
    }

    const ParameterInfoNode* firstRoot_;
};

ParameterInfoNode* copyHostFeature(ParameterInfoTree& tree, ParameterInfoNode* parent,
                                   const ParameterInfoNode& host, const std::string& paramName, int32_t id) {
    FeatureHeader header;
    header.displayName = host.name;
    header.paramName = paramName.c_str();
    header.access = host.access;
    header.hostAttribute = host.hostAttribute;
    header.published = host.published;
    header.unit = host.unit;
    header.id = id;
    header.port = kPort;
    const auto& kind = host.kind;
    switch (host.type) {
    case kNodeInteger:
    case kNodeInteger32:
        return tree.addIntegerFeature(parent, header, static_cast<IntegerNodeType>(host.type),
                                      kind.integer.minimum, kind.integer.maximum, kind.integer.increment);
    case kNodeWideInteger:
    case kNodeWideInteger64:
        return tree.addWideIntegerFeature(parent, header, static_cast<WideIntegerNodeType>(host.type),
                                          kind.wideInteger.minimum, kind.wideInteger.maximum,
                                          kind.wideInteger.increment);
    case kNodeDouble:
        return tree.addDoubleFeature(parent, header, kind.real.minimum, kind.real.maximum,
                                     kind.real.increment);
    case kNodeString:
        return tree.addStringFeature(parent, header, kind.string.filter);
    case kNodeEnumeration: {
        const auto& entries = kind.enumeration;
        const int32_t count = entries.entryCount < 0 ? 0 : entries.entryCount;
        ParameterInfoNode* node = tree.addEnumerationFeature(parent, header, count);
        for (int32_t i = 0; node != nullptr && i < count; ++i) {
            tree.setEnumerationEntry(node, i,
                                     entries.displayNames != nullptr ? entries.displayNames[i] : nullptr,
                                     entries.values != nullptr ? entries.values[i] : 0,
                                     entries.symbolicNames != nullptr ? entries.symbolicNames[i] : nullptr);
        }
        return node;
    }
    default:
        return nullptr;
    }
}

void buildDesignAccess(ParameterInfoTree& tree, FeatureIndex& index, const ParameterInfoSources& sources) {
    ParameterInfoNode* category = tree.addCategory(kPort, nullptr, kDesignAccessCategory);
    const ParameterInfoNode* hostRoot = sources.hostParameterInfo ? sources.hostParameterInfo() : nullptr;
    if (category == nullptr || hostRoot == nullptr || sources.designParameterIds == nullptr)
        return;
    const HostTreeSearch search(hostRoot);
    // Host categories already recreated, so that features of one host category share one copy.
    std::unordered_map<const ParameterInfoNode*, ParameterInfoNode*> recreated;
    for (const auto& [name, id] : *sources.designParameterIds) {
        const HostFeaturePath path = search.find(id - ids::kDesignAccessBase);
        if (path.feature == nullptr || !isMirroredFeatureType(path.feature->type))
            continue;
        ParameterInfoNode* parent = category;
        for (const ParameterInfoNode* hostCategory : path.categories) {
            auto it = recreated.find(hostCategory);
            if (it == recreated.end())
                it = recreated
                         .emplace(hostCategory, tree.addCategory(kPort, parent, hostCategory->name,
                                                                 hostCategory->paramName))
                         .first;
            parent = it->second;
        }
        const std::string paramName =
            std::string("DDSA_") + (path.feature->paramName != nullptr ? path.feature->paramName : "");
        index.enter(copyHostFeature(tree, parent, *path.feature, paramName, id));
    }
}

} // namespace

void buildParameterInfo(ParameterInfoTree& tree, ParameterInfoNodes& nodes, ParameterPropertyMap* properties,
                        const ParameterInfoSources& sources) {
    FeatureIndex index(nodes, properties);
    buildFixedFeatures(tree, index);
    if (sources.registerAccessEnabled)
        buildRegisterAccess(tree, index, sources.designRegisters);
    if (sources.designAccessActive)
        buildDesignAccess(tree, index, sources);
}

void applyInitialReadOnlyAccess(ParameterInfoNodes& nodes) {
    nodes.setAccess(ids::FG_SHADING_GAIN_NORMALIZATION_VALUE, kNodeAccessReadOnly);
    for (const ParameterDefinition& row : ParameterCatalogue::all())
        if (legacyOnly(row))
            nodes.setAccess(row.id, kNodeAccessReadOnly);
}

void markNormalizationValueReadOnly(ParameterPropertyMap& properties) {
    properties.setAccess(kPort, ids::FG_SHADING_GAIN_NORMALIZATION_VALUE, kAccessReadOnly);
}

void markLegacyTriggerReadOnly(ParameterPropertyMap& properties) {
    for (const ParameterDefinition& row : ParameterCatalogue::all())
        if (legacyOnly(row))
            properties.setAccess(kPort, row.id, kAccessReadOnly);
}

} // namespace kestrel
