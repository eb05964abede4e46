// The parameter-information tree: categories and features per port, built once at creation and
// read in place by the host.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "device/parameter_info_node.h"

namespace kestrel {

// What every feature builder stores besides the kind-specific limits. Texts are copied; null
// stays null (an empty text is stored as an empty copy).
struct FeatureHeader {
    const char* displayName = nullptr;
    const char* paramName = nullptr;
    int32_t access = kNodeAccessReadWriteBit2;
    int32_t hostAttribute = 1;
    int32_t published = 1;
    const char* unit = nullptr;
    int32_t id = 0;
    int32_t port = 0;
};

// The node types that share the integer and the wide-integer record.
enum class IntegerNodeType : int32_t { Integer = kNodeInteger, Integer32 = kNodeInteger32 };
enum class WideIntegerNodeType : int32_t {
    WideInteger = kNodeWideInteger,
    WideInteger64 = kNodeWideInteger64
};

// Owns every node it creates together with the node's texts and arrays; the host gets raw
// pointers into them (valid until the node's port is cleared or the tree destroyed). Builders
// return the new node, or null when nothing was created. Ports are 0..3; any other port number
// creates nothing and has no root.
class ParameterInfoTree {
public:
    static constexpr int32_t kPortCount = 4;

    ParameterInfoTree();
    ~ParameterInfoTree();
    ParameterInfoTree(const ParameterInfoTree&) = delete;
    ParameterInfoTree& operator=(const ParameterInfoTree&) = delete;

    // Without a parent: a root, inserted at the head of the port's root list (roots read newest
    // first). With a parent category: appended to its children, with index = the parent's next
    // child index, depth = parent depth + 1 and a copy of the parent's name. A parent that is not
    // a category gets nothing, yet its next-child-index field (offset 56) still advances by one.
    // paramName is null for the applet's own categories; mirrored host categories keep theirs.
    ParameterInfoNode* addCategory(int32_t port, ParameterInfoNode* parent, const char* name,
                                   const char* paramName = nullptr);

    // Features: null when the port is sealed or the parent is null or not a category of this tree.
    // Integers of either kind (types 1 and 11 share one shape).
    ParameterInfoNode* addIntegerFeature(ParameterInfoNode* parent, const FeatureHeader& header,
                                         IntegerNodeType type, int32_t minimum, int32_t maximum,
                                         int32_t increment);
    ParameterInfoNode* addIntegerFeature(ParameterInfoNode* parent, const FeatureHeader& header,
                                         int32_t minimum, int32_t maximum, int32_t increment) {
        return addIntegerFeature(parent, header, IntegerNodeType::Integer, minimum, maximum, increment);
    }
    ParameterInfoNode* addInteger32Feature(ParameterInfoNode* parent, const FeatureHeader& header,
                                           int32_t minimum, int32_t maximum, int32_t increment) {
        return addIntegerFeature(parent, header, IntegerNodeType::Integer32, minimum, maximum, increment);
    }
    // Allocates entryCount zeroed entry slots; fill them with setEnumerationEntry.
    ParameterInfoNode* addEnumerationFeature(ParameterInfoNode* parent, const FeatureHeader& header,
                                             int32_t entryCount);
    ParameterInfoNode* addStringFeature(ParameterInfoNode* parent, const FeatureHeader& header,
                                        const char* filter);
    ParameterInfoNode* addDoubleFeature(ParameterInfoNode* parent, const FeatureHeader& header,
                                        double minimum, double maximum, double increment);
    // The increment is accepted but not stored.
    ParameterInfoNode* addIntegerArrayFeature(ParameterInfoNode* parent, const FeatureHeader& header,
                                              int32_t elementCount, int32_t minimum, int32_t maximum,
                                              int32_t increment);
    // Wide integers of either kind (types 9 and 12 share one shape).
    ParameterInfoNode* addWideIntegerFeature(ParameterInfoNode* parent, const FeatureHeader& header,
                                             WideIntegerNodeType type, uint64_t minimum, uint64_t maximum,
                                             uint64_t increment);
    ParameterInfoNode* addWideIntegerFeature(ParameterInfoNode* parent, const FeatureHeader& header,
                                             uint64_t minimum, uint64_t maximum, uint64_t increment) {
        return addWideIntegerFeature(parent, header, WideIntegerNodeType::WideInteger, minimum, maximum,
                                     increment);
    }
    ParameterInfoNode* addWideInteger64Feature(ParameterInfoNode* parent, const FeatureHeader& header,
                                               uint64_t minimum, uint64_t maximum, uint64_t increment) {
        return addWideIntegerFeature(parent, header, WideIntegerNodeType::WideInteger64, minimum, maximum,
                                     increment);
    }

    // Replaces entry slot `index` of an enumeration node of this tree with copies of the texts
    // (symbolicName may be null) and the value. kErrBufferTooSmall (-500) when the display name
    // cannot be copied; kErrInvalidArgument for a node or index that has no such slot; else 0.
    int32_t setEnumerationEntry(ParameterInfoNode* node, int32_t index, const char* displayName,
                                int32_t value, const char* symbolicName);

    // Null node: the port's first root; else the node's next root.
    ParameterInfoNode* nextRoot(const ParameterInfoNode* node, int32_t port) const;

    // Frees every node of the port; the port gets no root and is unsealed.
    void clearPort(int32_t port);
    // While sealed, every builder on the port creates nothing.
    void sealPort(int32_t port);
    bool isSealed(int32_t port) const;

    // Nodes created on the port, in creation order.
    std::vector<const ParameterInfoNode*> nodes(int32_t port) const;

private:
    struct OwnedNode;
    struct Port {
        ParameterInfoNode* root = nullptr;
        std::vector<std::unique_ptr<OwnedNode>> nodes;
        bool sealed = false;
    };

    Port* portAt(int32_t port);
    const Port* portAt(int32_t port) const;
    OwnedNode* ownerOf(const ParameterInfoNode* node) const;
    // Creates a feature node under parent when the port is open and the parent is a category.
    OwnedNode* newFeature(ParameterInfoNode* parent, const FeatureHeader& header, int32_t type);
    OwnedNode* newNode(Port& port, int32_t portNumber);
    static void appendChild(OwnedNode& parent, ParameterInfoNode* child);

    std::array<Port, kPortCount> ports_;
    std::unordered_map<const ParameterInfoNode*, OwnedNode*> owners_;
};

} // namespace kestrel
