// Node storage and the builder operations of the parameter-information tree.
#include "info/parameter_info_tree.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/error_codes.h"

namespace kestrel {
namespace {

using Text = std::unique_ptr<char[]>;

Text copyText(const char* text) {
    if (text == nullptr)
        return nullptr;
    const std::size_t length = std::strlen(text) + 1;
    Text copy(new char[length]);
    std::memcpy(copy.get(), text, length);
    return copy;
}

} // namespace

// The record comes first; everything its pointers refer to is owned beside it.
struct ParameterInfoTree::OwnedNode {
    ParameterInfoNode record{};
    std::vector<Text> texts;
    std::unique_ptr<ParameterInfoNode*[]> children;
    std::unique_ptr<const char*[]> entryDisplayNames;
    std::unique_ptr<int32_t[]> entryValues;
    std::unique_ptr<const char*[]> entrySymbolicNames;
    std::vector<Text> entryDisplayTexts;
    std::vector<Text> entrySymbolicTexts;

    const char* keep(const char* text) {
        if (text == nullptr)
            return nullptr;
        texts.push_back(copyText(text));
        return texts.back().get();
    }
};

ParameterInfoTree::ParameterInfoTree() = default;
ParameterInfoTree::~ParameterInfoTree() = default;

ParameterInfoTree::Port* ParameterInfoTree::portAt(int32_t port) {
    if (port < 0 || port >= kPortCount)
        return nullptr;
    return &ports_[static_cast<std::size_t>(port)];
}

const ParameterInfoTree::Port* ParameterInfoTree::portAt(int32_t port) const {
    if (port < 0 || port >= kPortCount)
        return nullptr;
    return &ports_[static_cast<std::size_t>(port)];
}

ParameterInfoTree::OwnedNode* ParameterInfoTree::ownerOf(const ParameterInfoNode* node) const {
    if (node == nullptr)
        return nullptr;
    const auto it = owners_.find(node);
    return it == owners_.end() ? nullptr : it->second;
}

ParameterInfoTree::OwnedNode* ParameterInfoTree::newNode(Port& port, int32_t portNumber) {
    port.nodes.push_back(std::make_unique<OwnedNode>());
    OwnedNode* owned = port.nodes.back().get();
    // Unused bytes of the record, padding included, read as zero on the host side.
    std::memset(static_cast<void*>(&owned->record), 0, sizeof owned->record);
    owners_.emplace(&owned->record, owned);
    owned->record.port = portNumber;
    return owned;
}

void ParameterInfoTree::appendChild(OwnedNode& parent, ParameterInfoNode* child) {
    auto& category = parent.record.kind.category;
    child->index = category.nextChildIndex;
    // The array grows by one for every child: the host may hold the previous array only until
    // the next build step, and the tree is built once.
    const int32_t count = category.childCount;
    const int32_t size = std::max(count, child->index) + 1;
    auto grown = std::make_unique<ParameterInfoNode*[]>(static_cast<std::size_t>(size));
    for (int32_t i = 0; i < count; ++i)
        grown[static_cast<std::size_t>(i)] = category.children[i];
    grown[static_cast<std::size_t>(child->index)] = child;
    parent.children = std::move(grown);
    category.children = parent.children.get();
    category.childCount = size;
    category.nextChildIndex = child->index + 1;
}

ParameterInfoNode* ParameterInfoTree::addCategory(int32_t port, ParameterInfoNode* parent, const char* name,
                                                  const char* paramName) {
    Port* slot = portAt(port);
    if (slot == nullptr || slot->sealed)
        return nullptr;
    OwnedNode* parentOwner = nullptr;
    if (parent != nullptr) {
        parentOwner = ownerOf(parent);
        if (parentOwner == nullptr)
            return nullptr;
        if (parent->type != kNodeCategory) {
            // A child refused by a feature still consumes an index of the field that a category
            // keeps its next child index in.
            int32_t next;
            std::memcpy(&next, parent->kind.bytes + 16, sizeof next);
            ++next;
            std::memcpy(parent->kind.bytes + 16, &next, sizeof next);
            return nullptr;
        }
    }
    OwnedNode* owned = newNode(*slot, port);
    ParameterInfoNode& node = owned->record;
    node.type = kNodeCategory;
    node.name = owned->keep(name);
    node.paramName = owned->keep(paramName);
    if (parentOwner == nullptr) {
        node.nextRoot = slot->root;
        if (slot->root != nullptr)
            slot->root->previousRoot = &node;
        slot->root = &node;
    } else {
        node.depth = parent->depth + 1;
        node.parentName = owned->keep(parent->name);
        appendChild(*parentOwner, &node);
    }
    return &node;
}

ParameterInfoTree::OwnedNode* ParameterInfoTree::newFeature(ParameterInfoNode* parent,
                                                            const FeatureHeader& header, int32_t type) {
    Port* slot = portAt(header.port);
    if (slot == nullptr || slot->sealed)
        return nullptr;
    OwnedNode* parentOwner = ownerOf(parent);
    if (parentOwner == nullptr || parent->type != kNodeCategory)
        return nullptr;
    OwnedNode* owned = newNode(*slot, header.port);
    ParameterInfoNode& node = owned->record;
    node.type = type;
    node.name = owned->keep(header.displayName);
    node.paramName = owned->keep(header.paramName);
    node.access = header.access;
    node.hostAttribute = header.hostAttribute;
    node.published = header.published;
    node.id = header.id;
    node.unit = owned->keep(header.unit);
    appendChild(*parentOwner, &node);
    return owned;
}

ParameterInfoNode* ParameterInfoTree::addIntegerFeature(ParameterInfoNode* parent,
                                                        const FeatureHeader& header, IntegerNodeType type,
                                                        int32_t minimum, int32_t maximum, int32_t increment) {
    OwnedNode* owned = newFeature(parent, header, static_cast<int32_t>(type));
    if (owned == nullptr)
        return nullptr;
    owned->record.kind.integer = {minimum, maximum, increment};
    return &owned->record;
}

ParameterInfoNode* ParameterInfoTree::addEnumerationFeature(ParameterInfoNode* parent,
                                                            const FeatureHeader& header, int32_t entryCount) {
    if (entryCount < 0)
        return nullptr;
    OwnedNode* owned = newFeature(parent, header, kNodeEnumeration);
    if (owned == nullptr)
        return nullptr;
    const auto count = static_cast<std::size_t>(entryCount);
    owned->entryDisplayNames = std::make_unique<const char*[]>(count);
    owned->entryValues = std::make_unique<int32_t[]>(count);
    owned->entrySymbolicNames = std::make_unique<const char*[]>(count);
    owned->entryDisplayTexts.resize(count);
    owned->entrySymbolicTexts.resize(count);
    auto& enumeration = owned->record.kind.enumeration;
    enumeration.entryCount = entryCount;
    enumeration.displayNames = owned->entryDisplayNames.get();
    enumeration.values = owned->entryValues.get();
    enumeration.symbolicNames = owned->entrySymbolicNames.get();
    return &owned->record;
}

int32_t ParameterInfoTree::setEnumerationEntry(ParameterInfoNode* node, int32_t index,
                                               const char* displayName, int32_t value,
                                               const char* symbolicName) {
    OwnedNode* owned = ownerOf(node);
    if (owned == nullptr || node->type != kNodeEnumeration || index < 0 ||
        index >= node->kind.enumeration.entryCount)
        return kErrInvalidArgument;
    const auto slot = static_cast<std::size_t>(index);
    Text display;
    if (displayName != nullptr) {
        const std::size_t length = std::strlen(displayName) + 1;
        display.reset(new (std::nothrow) char[length]);
        if (!display)
            return kErrBufferTooSmall;
        std::memcpy(display.get(), displayName, length);
    }
    owned->entryDisplayTexts[slot] = std::move(display);
    owned->entrySymbolicTexts[slot] = copyText(symbolicName);
    owned->entryDisplayNames[slot] = owned->entryDisplayTexts[slot].get();
    owned->entrySymbolicNames[slot] = owned->entrySymbolicTexts[slot].get();
    owned->entryValues[slot] = value;
    return kOk;
}

ParameterInfoNode* ParameterInfoTree::addStringFeature(ParameterInfoNode* parent, const FeatureHeader& header,
                                                       const char* filter) {
    OwnedNode* owned = newFeature(parent, header, kNodeString);
    if (owned == nullptr)
        return nullptr;
    owned->record.kind.string.filter = owned->keep(filter);
    return &owned->record;
}

ParameterInfoNode* ParameterInfoTree::addDoubleFeature(ParameterInfoNode* parent, const FeatureHeader& header,
                                                       double minimum, double maximum, double increment) {
    OwnedNode* owned = newFeature(parent, header, kNodeDouble);
    if (owned == nullptr)
        return nullptr;
    owned->record.kind.real = {minimum, maximum, increment};
    return &owned->record;
}

ParameterInfoNode* ParameterInfoTree::addIntegerArrayFeature(ParameterInfoNode* parent,
                                                             const FeatureHeader& header,
                                                             int32_t elementCount, int32_t minimum,
                                                             int32_t maximum, int32_t /*increment*/) {
    OwnedNode* owned = newFeature(parent, header, kNodeIntegerArray);
    if (owned == nullptr)
        return nullptr;
    owned->record.kind.integerArray = {minimum, maximum, elementCount, 0, minimum};
    return &owned->record;
}

ParameterInfoNode* ParameterInfoTree::addWideIntegerFeature(ParameterInfoNode* parent,
                                                            const FeatureHeader& header,
                                                            WideIntegerNodeType type, uint64_t minimum,
                                                            uint64_t maximum, uint64_t increment) {
    OwnedNode* owned = newFeature(parent, header, static_cast<int32_t>(type));
    if (owned == nullptr)
        return nullptr;
    owned->record.kind.wideInteger = {minimum, maximum, increment};
    return &owned->record;
}

ParameterInfoNode* ParameterInfoTree::nextRoot(const ParameterInfoNode* node, int32_t port) const {
    if (node != nullptr)
        return node->nextRoot;
    const Port* slot = portAt(port);
    return slot == nullptr ? nullptr : slot->root;
}

void ParameterInfoTree::clearPort(int32_t port) {
    Port* slot = portAt(port);
    if (slot == nullptr)
        return;
    for (const auto& owned : slot->nodes)
        owners_.erase(&owned->record);
    slot->nodes.clear();
    slot->root = nullptr;
    slot->sealed = false;
}

void ParameterInfoTree::sealPort(int32_t port) {
    if (Port* slot = portAt(port))
        slot->sealed = true;
}

bool ParameterInfoTree::isSealed(int32_t port) const {
    const Port* slot = portAt(port);
    return slot != nullptr && slot->sealed;
}

std::vector<const ParameterInfoNode*> ParameterInfoTree::nodes(int32_t port) const {
    std::vector<const ParameterInfoNode*> result;
    if (const Port* slot = portAt(port)) {
        result.reserve(slot->nodes.size());
        for (const auto& owned : slot->nodes)
            result.push_back(&owned->record);
    }
    return result;
}

} // namespace kestrel
