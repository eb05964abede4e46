// The record the host reads in place: every field at its byte offset.
#include "info/parameter_info_node.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kestrel {
namespace {

template <typename T> T readAt(const ParameterInfoNode& node, std::size_t offset) {
    T value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(&node) + offset, sizeof value);
    return value;
}

TEST(ParameterInfoNode, IsA128ByteRecord) {
    EXPECT_EQ(sizeof(ParameterInfoNode), 128u);
}

TEST(ParameterInfoNode, CommonFieldsSitAtTheirOffsets) {
    ParameterInfoNode node{};
    const char name[] = "n";
    const char param[] = "p";
    const char parent[] = "q";
    const char unit[] = "u";
    ParameterInfoNode other{};
    node.type = 6;
    node.index = 11;
    node.name = name;
    node.paramName = param;
    node.access = 7;
    node.hostAttribute = 2;
    node.published = 1;
    node.id = 300204;
    node.nextRoot = &other;
    node.previousRoot = &node;
    node.depth = 3;
    node.parentName = parent;
    node.unit = unit;
    node.port = 2;
    EXPECT_EQ(readAt<int32_t>(node, 0), 6);
    EXPECT_EQ(readAt<int32_t>(node, 4), 11);
    EXPECT_EQ(readAt<const char*>(node, 8), name);
    EXPECT_EQ(readAt<const char*>(node, 16), param);
    EXPECT_EQ(readAt<int32_t>(node, 24), 7);
    EXPECT_EQ(readAt<int32_t>(node, 28), 2);
    EXPECT_EQ(readAt<int32_t>(node, 32), 1);
    EXPECT_EQ(readAt<int32_t>(node, 36), 300204);
    EXPECT_EQ(readAt<ParameterInfoNode*>(node, 80), &other);
    EXPECT_EQ(readAt<ParameterInfoNode*>(node, 88), &node);
    EXPECT_EQ(readAt<int32_t>(node, 96), 3);
    EXPECT_EQ(readAt<const char*>(node, 104), parent);
    EXPECT_EQ(readAt<const char*>(node, 112), unit);
    EXPECT_EQ(readAt<int32_t>(node, 120), 2);
}

TEST(ParameterInfoNode, KindPartsSitAtTheirOffsets) {
    ParameterInfoNode node{};
    node.kind.integer = {-5, 4095, 16};
    EXPECT_EQ(readAt<int32_t>(node, 40), -5);
    EXPECT_EQ(readAt<int32_t>(node, 44), 4095);
    EXPECT_EQ(readAt<int32_t>(node, 48), 16);

    node.kind.real = {0.5, 1.5, 0.25};
    EXPECT_EQ(readAt<double>(node, 40), 0.5);
    EXPECT_EQ(readAt<double>(node, 48), 1.5);
    EXPECT_EQ(readAt<double>(node, 56), 0.25);

    node.kind.wideInteger = {1, 0xFFFFFFFFFFull, 3};
    EXPECT_EQ(readAt<uint64_t>(node, 40), 1u);
    EXPECT_EQ(readAt<uint64_t>(node, 48), 0xFFFFFFFFFFull);
    EXPECT_EQ(readAt<uint64_t>(node, 56), 3u);

    node.kind.integerArray = {0, 4095, 4096, 0, 0};
    EXPECT_EQ(readAt<int32_t>(node, 44), 4095);
    EXPECT_EQ(readAt<int32_t>(node, 48), 4096);
    EXPECT_EQ(readAt<int32_t>(node, 52), 0);

    ParameterInfoNode* children[1] = {&node};
    std::memset(&node.kind, 0, sizeof node.kind);
    node.kind.category.childCount = 1;
    node.kind.category.children = children;
    node.kind.category.nextChildIndex = 1;
    EXPECT_EQ(readAt<int32_t>(node, 40), 1);
    EXPECT_EQ(readAt<ParameterInfoNode**>(node, 48), children);
    EXPECT_EQ(readAt<int32_t>(node, 56), 1);

    const char* names[1] = {"On"};
    int32_t values[1] = {1};
    const char* symbols[1] = {"FG_ON"};
    std::memset(&node.kind, 0, sizeof node.kind);
    node.kind.enumeration.entryCount = 1;
    node.kind.enumeration.displayNames = names;
    node.kind.enumeration.values = values;
    node.kind.enumeration.symbolicNames = symbols;
    EXPECT_EQ(readAt<int32_t>(node, 40), 1);
    EXPECT_EQ(readAt<const char**>(node, 48), names);
    EXPECT_EQ(readAt<int32_t*>(node, 56), values);
    EXPECT_EQ(readAt<const char**>(node, 72), symbols);

    std::memset(&node.kind, 0, sizeof node.kind);
    node.kind.string.filter = "*.lut";
    EXPECT_STREQ(readAt<const char*>(node, 48), "*.lut");
}

TEST(ParameterInfoNode, MirroredKindsAreEveryFeatureButTheIntegerArray) {
    for (int32_t type : {1, 3, 5, 6, 9, 11, 12})
        EXPECT_TRUE(isMirroredFeatureType(type)) << type;
    for (int32_t type : {0, 2, 4, 7, 8, 10, 13, -1})
        EXPECT_FALSE(isMirroredFeatureType(type)) << type;
}

} // namespace
} // namespace kestrel
