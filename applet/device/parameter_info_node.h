// The 128-byte record of the parameter-information tree, read in place by the host. The host's
// own tree uses the same layout, so the applet also reads foreign records through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace kestrel {

// Node types (field `type`).
enum ParameterInfoNodeType : int32_t {
    kNodeCategory = 0,
    kNodeInteger = 1,
    kNodeEnumeration = 3,
    kNodeString = 5,
    kNodeDouble = 6,
    kNodeIntegerArray = 7,
    kNodeWideInteger = 9,
    kNodeInteger32 = 11,     // further integer kind, only found in mirrored host features
    kNodeWideInteger64 = 12, // further 64-bit kind, only found in mirrored host features
};

// Every kind a feature may have except the integer array: the kinds that design access mirrors.
constexpr bool isMirroredFeatureType(int32_t type) {
    return type == kNodeInteger || type == kNodeEnumeration || type == kNodeString || type == kNodeDouble ||
           type == kNodeWideInteger || type == kNodeInteger32 || type == kNodeWideInteger64;
}

// Access words.
inline constexpr int32_t kNodeAccessReadOnly = 1;
inline constexpr int32_t kNodeAccessReadWrite = 3;
inline constexpr int32_t kNodeAccessReadWriteBit2 = 7;

// A standard-layout record; pointers are raw because the host reads them. Texts are
// NUL-terminated Latin-1. Every pointer in a node built by the applet refers to memory owned by
// the applet's ParameterInfoTree and stays valid until the tree clears the node's port.
// Bytes a node's kind does not use are zero.
struct ParameterInfoNode {
    int32_t type;          // ParameterInfoNodeType
    int32_t index;         // position among the parent's children; 0 for roots
    const char* name;      // display name (a category's name)
    const char* paramName; // FG_/DRA_/DDSA_ name; null for the applet's own categories
    int32_t access;        // bit 0 readable, bit 1 writable, bit 2 on most writable features
    int32_t hostAttribute; // 1 or 2, passed to the host unchanged
    int32_t published;     // 1 for every applet feature; 0 keeps it out of the XML
    int32_t id;            // parameter identifier

    // Kind-specific part, 40 bytes at offset 40.
    struct CategoryPart {
        int32_t childCount;
        int32_t unused0;
        ParameterInfoNode** children; // childCount node pointers
        int32_t nextChildIndex;       // equals childCount
    };
    struct IntegerPart { // types 1 and 11
        int32_t minimum;
        int32_t maximum;
        int32_t increment;
    };
    struct EnumerationPart {
        int32_t entryCount;
        int32_t unused0;
        const char** displayNames; // entryCount texts
        int32_t* values;           // entryCount 32-bit values
        int64_t unused1;
        const char** symbolicNames; // entryCount texts (a slot may be null)
    };
    struct StringPart {
        int64_t unused0;
        const char* filter; // file-name filter, e.g. "*.tif *.tiff", or null
    };
    struct DoublePart {
        double minimum;
        double maximum;
        double increment;
    };
    struct IntegerArrayPart {
        int32_t minimum;
        int32_t maximum;
        int32_t elementCount;
        int32_t zero;
        int32_t minimumAgain;
    };
    struct WideIntegerPart { // types 9 and 12
        uint64_t minimum;
        uint64_t maximum;
        uint64_t increment;
    };
    union KindPart {
        CategoryPart category;
        IntegerPart integer;
        EnumerationPart enumeration;
        StringPart string;
        DoublePart real;
        IntegerArrayPart integerArray;
        WideIntegerPart wideInteger;
        unsigned char bytes[40];
    } kind;

    ParameterInfoNode* nextRoot;     // roots only: next root of the port
    ParameterInfoNode* previousRoot; // roots only: previous root of the port
    int32_t depth;                   // categories: 0 for a root, parent depth + 1 otherwise
    const char* parentName;          // categories with a parent: copy of the parent's name
    const char* unit;                // features: unit text or null
    int32_t port;
};

static_assert(std::is_standard_layout_v<ParameterInfoNode>);
static_assert(std::is_trivially_copyable_v<ParameterInfoNode>);
static_assert(sizeof(void*) == 8, "the record layout is the 64-bit one");
static_assert(sizeof(ParameterInfoNode) == 128);
static_assert(sizeof(ParameterInfoNode::KindPart) == 40);
static_assert(offsetof(ParameterInfoNode, type) == 0);
static_assert(offsetof(ParameterInfoNode, index) == 4);
static_assert(offsetof(ParameterInfoNode, name) == 8);
static_assert(offsetof(ParameterInfoNode, paramName) == 16);
static_assert(offsetof(ParameterInfoNode, access) == 24);
static_assert(offsetof(ParameterInfoNode, hostAttribute) == 28);
static_assert(offsetof(ParameterInfoNode, published) == 32);
static_assert(offsetof(ParameterInfoNode, id) == 36);
static_assert(offsetof(ParameterInfoNode, kind) == 40);
static_assert(offsetof(ParameterInfoNode, nextRoot) == 80);
static_assert(offsetof(ParameterInfoNode, previousRoot) == 88);
static_assert(offsetof(ParameterInfoNode, depth) == 96);
static_assert(offsetof(ParameterInfoNode, parentName) == 104);
static_assert(offsetof(ParameterInfoNode, unit) == 112);
static_assert(offsetof(ParameterInfoNode, port) == 120);

// Kind-specific offsets, relative to the record.
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::CategoryPart, childCount) ==
              40);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::CategoryPart, children) == 48);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::CategoryPart, nextChildIndex) ==
              56);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::IntegerPart, minimum) == 40);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::IntegerPart, maximum) == 44);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::IntegerPart, increment) == 48);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::EnumerationPart, entryCount) ==
              40);
static_assert(offsetof(ParameterInfoNode, kind) +
                  offsetof(ParameterInfoNode::EnumerationPart, displayNames) ==
              48);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::EnumerationPart, values) == 56);
static_assert(offsetof(ParameterInfoNode, kind) +
                  offsetof(ParameterInfoNode::EnumerationPart, symbolicNames) ==
              72);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::StringPart, filter) == 48);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::DoublePart, minimum) == 40);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::DoublePart, maximum) == 48);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::DoublePart, increment) == 56);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::IntegerArrayPart, minimum) ==
              40);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::IntegerArrayPart, maximum) ==
              44);
static_assert(offsetof(ParameterInfoNode, kind) +
                  offsetof(ParameterInfoNode::IntegerArrayPart, elementCount) ==
              48);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::IntegerArrayPart, zero) == 52);
static_assert(offsetof(ParameterInfoNode, kind) +
                  offsetof(ParameterInfoNode::IntegerArrayPart, minimumAgain) ==
              56);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::WideIntegerPart, minimum) ==
              40);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::WideIntegerPart, maximum) ==
              48);
static_assert(offsetof(ParameterInfoNode, kind) + offsetof(ParameterInfoNode::WideIntegerPart, increment) ==
              56);

} // namespace kestrel
