// Builds the host's parameter-information tree from the design's register names.
#include "parameter_tree.h"

#include "host_parameters.h"

#include <algorithm>
#include <cstring>

namespace kestrel::host {
namespace {

std::vector<std::string_view> splitName(std::string_view name) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t at = name.find('_'); at != std::string_view::npos; at = name.find('_', start)) {
        parts.push_back(name.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(name.substr(start));
    return parts;
}

} // namespace

ParameterTree::ParameterTree(const HostRegisterTable& registers) {
    for (const HostRegister& reg : registers.all())
        addRegister(reg);
    addHostParameters();
    seal();
}

Gh5ParameterInfoNode& ParameterTree::newNode(int32_t type) {
    Gh5ParameterInfoNode& node = nodes_.emplace_back();
    std::memset(&node, 0, sizeof node);
    node.type = type;
    node.port = 0;
    return node;
}

const char* ParameterTree::keep(std::string_view text) {
    return texts_.emplace_back(text).c_str();
}

void ParameterTree::attach(Gh5ParameterInfoNode& parent, Gh5ParameterInfoNode& child) {
    // The child list lives in childLists_, reached through the index kept in reserved0 until seal().
    auto& children = childLists_[static_cast<std::size_t>(parent.kind.category.reserved0)];
    child.index = static_cast<int32_t>(children.size());
    children.push_back(&child);
    parent.kind.category.childCount = static_cast<int32_t>(children.size());
    parent.kind.category.nextChildIndex = parent.kind.category.childCount;
}

Gh5ParameterInfoNode* ParameterTree::rootCategory(std::string_view name, std::string_view prefix) {
    for (Gh5ParameterInfoNode* root = firstRoot_; root != nullptr; root = root->nextRoot)
        if (name == root->name)
            return root;
    Gh5ParameterInfoNode& node = newNode(GH5_NODE_CATEGORY);
    node.name = keep(name);
    node.paramName = prefix.empty() ? nullptr : keep(prefix);
    node.kind.category.reserved0 = static_cast<int32_t>(childLists_.size());
    childLists_.emplace_back();
    node.previousRoot = lastRoot_;
    if (lastRoot_ != nullptr)
        lastRoot_->nextRoot = &node;
    else
        firstRoot_ = &node;
    lastRoot_ = &node;
    return &node;
}

Gh5ParameterInfoNode* ParameterTree::category(Gh5ParameterInfoNode* parent, std::string_view name,
                                              std::string_view prefix) {
    if (parent == nullptr)
        return rootCategory(name, prefix);
    for (Gh5ParameterInfoNode* child : childLists_[static_cast<std::size_t>(parent->kind.category.reserved0)])
        if (child->type == GH5_NODE_CATEGORY && name == child->name)
            return child;
    Gh5ParameterInfoNode& node = newNode(GH5_NODE_CATEGORY);
    node.name = keep(name);
    node.paramName = keep(prefix);
    node.depth = parent->depth + 1;
    node.parentName = keep(parent->name);
    node.kind.category.reserved0 = static_cast<int32_t>(childLists_.size());
    childLists_.emplace_back();
    attach(*parent, node);
    return &node;
}

void ParameterTree::addRegister(const HostRegister& reg) {
    const std::vector<std::string_view> parts = splitName(reg.name);
    Gh5ParameterInfoNode* parent = nullptr;
    std::size_t used = 0;
    if (parts.size() == 1) {
        parent = rootCategory("TopLevel", "");
    } else {
        const std::size_t depth = std::min(kCategoryDepth, parts.size() - 1);
        std::size_t prefixLength = 0;
        for (; used < depth; ++used) {
            prefixLength += (used == 0 ? 0 : 1) + parts[used].size();
            parent = category(parent, parts[used], std::string_view(reg.name).substr(0, prefixLength));
        }
    }
    std::size_t displayStart = 0;
    for (std::size_t i = 0; i < used; ++i)
        displayStart += parts[i].size() + 1;

    Gh5ParameterInfoNode* node = nullptr;
    switch (reg.content) {
    case RegisterContent::Table:
        node = &newNode(GH5_NODE_INTEGER_ARRAY);
        node->kind.integerArray.minimum = 0;
        node->kind.integerArray.maximum = static_cast<int32_t>(GH5_LUT_ENTRIES - 1);
        node->kind.integerArray.elementCount = static_cast<int32_t>(GH5_LUT_ENTRIES);
        node->kind.integerArray.minimumAgain = 0;
        break;
    case RegisterContent::Text:
        node = &newNode(GH5_NODE_STRING);
        node->kind.string.filter = keep("*.tiff *.tif");
        break;
    case RegisterContent::Value:
        if (reg.widthBits > 32) {
            node = &newNode(GH5_NODE_INTEGER64);
            node->kind.integer64.minimum = 0;
            node->kind.integer64.maximum =
                reg.widthBits >= 64 ? ~uint64_t{0} : (uint64_t{1} << reg.widthBits) - 1;
            node->kind.integer64.increment = 1;
        } else {
            node = &newNode(GH5_NODE_INTEGER);
            node->kind.integer.minimum = 0;
            // All width bits set, kept as the 32-bit pattern (a 32-bit register gives 0xFFFFFFFF).
            node->kind.integer.maximum = static_cast<int32_t>(
                static_cast<uint32_t>(reg.widthBits >= 32 ? 0xFFFFFFFFu : (1u << reg.widthBits) - 1));
            node->kind.integer.increment = 1;
        }
        break;
    }
    node->name = keep(std::string_view(reg.name).substr(displayStart));
    node->paramName = keep(reg.name);
    node->access = reg.writable ? GH5_ACCESS_READ_WRITE : GH5_ACCESS_READ_ONLY;
    node->hostAttribute = 1;
    node->published = 1;
    node->id = static_cast<int32_t>(reg.id);
    attach(*parent, *node);
}

void ParameterTree::addHostParameters() {
    Gh5ParameterInfoNode* parent = rootCategory("Host", "");
    for (const HostParameterDefinition& def : hostParameterDefinitions()) {
        Gh5ParameterInfoNode* node = nullptr;
        if (def.id == GH5_PARAM_TURBO_DMA_MODE) {
            node = &newNode(GH5_NODE_ENUMERATION);
            auto& names = textLists_.emplace_back(std::vector<const char*>{keep("Off"), keep("On")});
            auto& symbols = textLists_.emplace_back(std::vector<const char*>{keep("FG_OFF"), keep("FG_ON")});
            auto& values = valueLists_.emplace_back(std::vector<int32_t>{0, 1});
            node->kind.enumeration.entryCount = 2;
            node->kind.enumeration.displayNames = names.data();
            node->kind.enumeration.symbolicNames = symbols.data();
            node->kind.enumeration.values = values.data();
        } else {
            node = &newNode(GH5_NODE_INTEGER);
            node->kind.integer.minimum = static_cast<int32_t>(def.minimum);
            node->kind.integer.maximum = static_cast<int32_t>(def.maximum);
            node->kind.integer.increment = 1;
        }
        node->name = keep(def.displayName);
        node->paramName = keep(def.name);
        node->access = def.writable ? GH5_ACCESS_READ_WRITE : GH5_ACCESS_READ_ONLY;
        node->hostAttribute = 1;
        node->published = 1;
        node->id = def.id;
        node->unit = def.unit == nullptr ? nullptr : keep(def.unit);
        attach(*parent, *node);
    }
}

void ParameterTree::seal() {
    for (Gh5ParameterInfoNode& node : nodes_) {
        if (node.type != GH5_NODE_CATEGORY)
            continue;
        auto& children = childLists_[static_cast<std::size_t>(node.kind.category.reserved0)];
        node.kind.category.children = children.empty() ? nullptr : children.data();
        node.kind.category.reserved0 = 0;
    }
}

} // namespace kestrel::host
