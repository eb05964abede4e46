// Builder operations of the parameter-information tree: roots, children, features, entries,
// sealing and clearing.
#include "info/parameter_info_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/error_codes.h"

namespace kestrel {
namespace {

FeatureHeader header(const char* name, int32_t id, int32_t port = 0) {
    FeatureHeader h;
    h.displayName = name;
    h.paramName = name;
    h.id = id;
    h.port = port;
    return h;
}

TEST(ParameterInfoTree, PortsKeepSeparateRoots) {
    ParameterInfoTree tree;
    ParameterInfoNode* zero = tree.addCategory(0, nullptr, "Zero");
    ParameterInfoNode* two = tree.addCategory(2, nullptr, "Two");
    EXPECT_EQ(tree.nextRoot(nullptr, 0), zero);
    EXPECT_EQ(tree.nextRoot(nullptr, 1), nullptr);
    EXPECT_EQ(tree.nextRoot(nullptr, 2), two);
    EXPECT_EQ(two->port, 2);
    EXPECT_EQ(tree.addCategory(4, nullptr, "Nowhere"), nullptr);
}

TEST(ParameterInfoTree, CategoryUnderAFeatureIsRefusedButAdvancesItsIndexField) {
    ParameterInfoTree tree;
    ParameterInfoNode* root = tree.addCategory(0, nullptr, "Root");
    ParameterInfoNode* feature = tree.addIntegerFeature(root, header("A", 1), 0, 1, 1);
    const std::size_t nodesBefore = tree.nodes(0).size();
    EXPECT_EQ(tree.addCategory(0, feature, "Child"), nullptr);
    EXPECT_EQ(tree.nodes(0).size(), nodesBefore);
    int32_t next;
    std::memcpy(&next, reinterpret_cast<const unsigned char*>(feature) + 56, sizeof next);
    EXPECT_EQ(next, 1);
    EXPECT_EQ(feature->kind.integer.maximum, 1); // the limits are untouched
}

TEST(ParameterInfoTree, FeatureNeedsACategoryOfThisTree) {
    ParameterInfoTree tree;
    ParameterInfoTree other;
    ParameterInfoNode* foreign = other.addCategory(0, nullptr, "Foreign");
    ParameterInfoNode* root = tree.addCategory(0, nullptr, "Root");
    ParameterInfoNode* feature = tree.addIntegerFeature(root, header("A", 1), 0, 1, 1);
    EXPECT_EQ(tree.addIntegerFeature(nullptr, header("B", 2), 0, 1, 1), nullptr);
    EXPECT_EQ(tree.addIntegerFeature(foreign, header("B", 2), 0, 1, 1), nullptr);
    EXPECT_EQ(tree.addIntegerFeature(feature, header("B", 2), 0, 1, 1), nullptr);
    EXPECT_EQ(tree.nodes(0).size(), 2u);
}

TEST(ParameterInfoTree, TextsAreCopiesOwnedByTheNode) {
    ParameterInfoTree tree;
    char name[] = "Category";
    ParameterInfoNode* root = tree.addCategory(0, nullptr, name);
    char display[] = "Width";
    char unit[] = "pixel";
    FeatureHeader h = header(display, 100);
    h.unit = unit;
    ParameterInfoNode* node = tree.addIntegerFeature(root, h, 0, 1, 1);
    std::strcpy(name, "XXXXXXXX");
    std::strcpy(display, "XXXXX");
    std::strcpy(unit, "XXXXX");
    EXPECT_STREQ(root->name, "Category");
    EXPECT_STREQ(node->name, "Width");
    EXPECT_STREQ(node->unit, "pixel");
    // An empty unit is an empty text, no unit is null.
    h.unit = "";
    EXPECT_STREQ(tree.addIntegerFeature(root, h, 0, 1, 1)->unit, "");
    h.unit = nullptr;
    EXPECT_EQ(tree.addIntegerFeature(root, h, 0, 1, 1)->unit, nullptr);
}

TEST(ParameterInfoTree, SealedPortCreatesNothing) {
    ParameterInfoTree tree;
    ParameterInfoNode* root = tree.addCategory(0, nullptr, "Root");
    tree.sealPort(0);
    EXPECT_TRUE(tree.isSealed(0));
    EXPECT_FALSE(tree.isSealed(1));
    EXPECT_EQ(tree.addCategory(0, nullptr, "Other"), nullptr);
    EXPECT_EQ(tree.addCategory(0, root, "Child"), nullptr);
    EXPECT_EQ(tree.addIntegerFeature(root, header("A", 1), 0, 1, 1), nullptr);
    EXPECT_EQ(tree.addEnumerationFeature(root, header("E", 2), 2), nullptr);
    EXPECT_EQ(root->kind.category.childCount, 0);
    EXPECT_EQ(root->kind.category.nextChildIndex, 0);
    EXPECT_EQ(tree.nodes(0).size(), 1u);
    EXPECT_NE(tree.addCategory(1, nullptr, "Open"), nullptr);
}

TEST(ParameterInfoTree, ClearPortFreesItsNodesAndUnseals) {
    ParameterInfoTree tree;
    ParameterInfoNode* root = tree.addCategory(0, nullptr, "Root");
    tree.addIntegerFeature(root, header("A", 1), 0, 1, 1);
    tree.addCategory(1, nullptr, "Kept");
    tree.sealPort(0);
    tree.clearPort(0);
    EXPECT_FALSE(tree.isSealed(0));
    EXPECT_EQ(tree.nextRoot(nullptr, 0), nullptr);
    EXPECT_TRUE(tree.nodes(0).empty());
    EXPECT_NE(tree.nextRoot(nullptr, 1), nullptr);
    // A node of the cleared port is no longer a parent this tree knows.
    EXPECT_NE(tree.addCategory(0, nullptr, "Again"), nullptr);
}

} // namespace
} // namespace kestrel
