// Building the parameter lookup tables at creation, and the lookups dispatch uses afterwards.
#include "params/parameter_tables.h"

#include <deque>
#include <unordered_set>

#include "device/design_registers.h"
#include "device/parameter_info_node.h"
#include "params/inspect_settings.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_ids.h"
#include "params/true_words.h"

namespace kestrel {
namespace {

constexpr std::string_view kRegisterAccessPrefix = "DRA_";
constexpr std::string_view kDesignAccessPrefix = "DDSA_";

} // namespace

void ParameterTables::switchOnHostFeatures(const ParameterInfoNode* root, InspectSettings& settings,
                                           const std::string& moduleName) {
    // The host owns this tree; a visited set keeps a malformed one from looping forever.
    std::deque<const ParameterInfoNode*> work{root};
    std::unordered_set<const ParameterInfoNode*> visited;
    while (!work.empty()) {
        const ParameterInfoNode* node = work.front();
        work.pop_front();
        if (node == nullptr || node->type != kNodeCategory || !visited.insert(node).second)
            continue;
        const auto& category = node->kind.category;
        for (int32_t i = 0; category.children != nullptr && i < category.childCount; ++i) {
            const ParameterInfoNode* child = category.children[i];
            if (child == nullptr)
                continue;
            if (isMirroredFeatureType(child->type)) {
                if (child->paramName != nullptr)
                    settings.set(moduleName + "::" + child->paramName, "On");
            } else if (child->type == kNodeCategory) {
                work.push_back(child);
            }
        }
        if (node->nextRoot != nullptr && node->nextRoot->type == kNodeCategory)
            work.push_back(node->nextRoot);
    }
}

ParameterTables ParameterTables::build(const CatalogueSources& sources) {
    ParameterTables tables;
    tables.registerAccessEnabled_ = sources.registerAccessEnabled;

    if (sources.designAccessSwitch && sources.settings != nullptr && sources.hostParameterInfo) {
        if (const ParameterInfoNode* root = sources.hostParameterInfo())
            switchOnHostFeatures(root, *sources.settings, sources.moduleName);
    }

    // One DMA channel, fed by process 0.
    tables.processOfDma_.push_back(0);

    // The catalogue names resolve through the static catalogue; only the families need storage.
    for (const ParameterDefinition& row : ParameterCatalogue::all())
        tables.indexNames_.push_back(row.name);

    if (sources.registerAccessEnabled && sources.designRegisters != nullptr) {
        const DesignRegisterSource& registers = *sources.designRegisters;
        const int32_t count = registers.count();
        for (int32_t i = 1; i <= count; ++i) {
            const char* registerName = registers.name(i);
            if (registerName == nullptr)
                registerName = "";
            const uint32_t registerId = registers.id(registerName);
            std::string& name = tables.ownedNames_.emplace_back(kRegisterAccessPrefix);
            name += registerName;
            // The first register of a repeated name keeps it, as an insertion into a name map would.
            tables.registerAccessIds_.emplace(
                name, static_cast<int32_t>(registerId + static_cast<uint32_t>(ids::kRegisterAccessBase)));
            tables.indexNames_.push_back(name.c_str());
        }
    }

    if (sources.settings != nullptr) {
        for (const auto& [key, value] : sources.settings->section(sources.moduleName)) {
            if (!isTrueWord(value))
                continue;
            const int32_t hostId =
                sources.hostParameterIdByName ? sources.hostParameterIdByName(key.c_str()) : 0;
            if (hostId == 0)
                continue;
            std::string& name = tables.ownedNames_.emplace_back(kDesignAccessPrefix);
            name += key;
            tables.designParameterIds_.emplace(
                name, static_cast<int32_t>(static_cast<uint32_t>(hostId) +
                                           static_cast<uint32_t>(ids::kDesignAccessBase)));
            tables.indexNames_.push_back(name.c_str());
        }
    }
    tables.designAccessActive_ = sources.designAccessSwitch || !tables.designParameterIds_.empty();

    if (sources.buildEventTables)
        sources.buildEventTables();
    return tables;
}

std::optional<int32_t> ParameterTables::idByName(std::string_view name) const {
    if (const ParameterDefinition* row = ParameterCatalogue::byName(name)) {
        // Before build() the applet publishes no names at all.
        if (indexNames_.empty())
            return std::nullopt;
        return row->id;
    }
    if (registerAccessIds_.empty())
        return std::nullopt;
    const auto it = registerAccessIds_.find(name);
    if (it == registerAccessIds_.end())
        return std::nullopt;
    return it->second;
}

const char* ParameterTables::nameByIndex(int32_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= indexNames_.size())
        return nullptr;
    return indexNames_[static_cast<std::size_t>(index)];
}

std::optional<int32_t> ParameterTables::idByIndex(int32_t index) const {
    const char* name = nameByIndex(index);
    if (name == nullptr)
        return std::nullopt;
    return idByName(name);
}

const char* ParameterTables::description(std::string_view name) const {
    if (indexNames_.empty())
        return nullptr;
    const ParameterDefinition* row = ParameterCatalogue::byName(name);
    return row == nullptr ? nullptr : row->description;
}

} // namespace kestrel
