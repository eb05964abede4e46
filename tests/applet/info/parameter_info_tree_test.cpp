// Builder operations of the parameter-information tree: roots, children, features, entries,
// sealing and clearing.
#include "info/parameter_info_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "api/error_codes.h"

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

TEST(ParameterInfoTree, NewTreeHasNoRootOnAnyPort) {
    const ParameterInfoTree tree;
    for (int32_t port = 0; port < 4; ++port)
        EXPECT_EQ(tree.nextRoot(nullptr, port), nullptr);
    EXPECT_EQ(tree.nextRoot(nullptr, 4), nullptr);
    EXPECT_EQ(tree.nextRoot(nullptr, -1), nullptr);
}

TEST(ParameterInfoTree, RootsAreListedNewestFirstAndLinkedBothWays) {
    ParameterInfoTree tree;
    ParameterInfoNode* first = tree.addCategory(0, nullptr, "First");
    ParameterInfoNode* second = tree.addCategory(0, nullptr, "Second");
    ParameterInfoNode* third = tree.addCategory(0, nullptr, "Third");
    EXPECT_EQ(tree.nextRoot(nullptr, 0), third);
    EXPECT_EQ(tree.nextRoot(third, 0), second);
    EXPECT_EQ(tree.nextRoot(second, 0), first);
    EXPECT_EQ(tree.nextRoot(first, 0), nullptr);
    EXPECT_EQ(first->previousRoot, second);
    EXPECT_EQ(second->previousRoot, third);
    EXPECT_EQ(third->previousRoot, nullptr);
    for (const ParameterInfoNode* root : {first, second, third}) {
        EXPECT_EQ(root->type, kNodeCategory);
        EXPECT_EQ(root->index, 0);
        EXPECT_EQ(root->depth, 0);
        EXPECT_EQ(root->parentName, nullptr);
        EXPECT_EQ(root->paramName, nullptr);
        EXPECT_EQ(root->port, 0);
    }
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

TEST(ParameterInfoTree, ChildCategoriesGetIndexDepthAndParentName) {
    ParameterInfoTree tree;
    ParameterInfoNode* root = tree.addCategory(0, nullptr, "Trigger");
    ParameterInfoNode* a = tree.addCategory(0, root, "Legacy");
    ParameterInfoNode* b = tree.addCategory(0, root, "Trigger Input");
    ParameterInfoNode* c = tree.addCategory(0, b, "External");
    EXPECT_EQ(a->index, 0);
    EXPECT_EQ(b->index, 1);
    EXPECT_EQ(c->index, 0);
    EXPECT_EQ(a->depth, 1);
    EXPECT_EQ(c->depth, 2);
    EXPECT_STREQ(a->parentName, "Trigger");
    EXPECT_STREQ(c->parentName, "Trigger Input");
    EXPECT_NE(a->parentName, root->name); // a copy, owned by the child
    EXPECT_EQ(root->kind.category.childCount, 2);
    EXPECT_EQ(root->kind.category.nextChildIndex, 2);
    EXPECT_EQ(root->kind.category.children[0], a);
    EXPECT_EQ(root->kind.category.children[1], b);
    EXPECT_EQ(a->nextRoot, nullptr);
    EXPECT_EQ(tree.nextRoot(root, 0), nullptr);
}

TEST(ParameterInfoTree, ChildArrayIsReallocatedForEveryChild) {
    ParameterInfoTree tree;
    ParameterInfoNode* root = tree.addCategory(0, nullptr, "Root");
    ParameterInfoNode* first = tree.addIntegerFeature(root, header("A", 1), 0, 1, 1);
    ParameterInfoNode** before = root->kind.category.children;
    ParameterInfoNode* second = tree.addIntegerFeature(root, header("B", 2), 0, 1, 1);
    EXPECT_NE(root->kind.category.children, before);
    EXPECT_EQ(root->kind.category.children[0], first);
    EXPECT_EQ(root->kind.category.children[1], second);
    EXPECT_EQ(second->index, 1);
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

TEST(ParameterInfoTree, IntegerFeatureStoresItsHeaderAndLimits) {
    ParameterInfoTree tree;
    ParameterInfoNode* root = tree.addCategory(0, nullptr, "ROI");
    FeatureHeader h = header("Width", 100);
    h.paramName = "FG_WIDTH";
    h.access = 3;
    h.hostAttribute = 2;
    h.unit = "pixel";
    ParameterInfoNode* node = tree.addIntegerFeature(root, h, 16, 4096, 16);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->type, kNodeInteger);
    EXPECT_STREQ(node->name, "Width");
    EXPECT_STREQ(node->paramName, "FG_WIDTH");
    EXPECT_EQ(node->access, 3);
    EXPECT_EQ(node->hostAttribute, 2);
    EXPECT_EQ(node->published, 1);
    EXPECT_EQ(node->id, 100);
    EXPECT_STREQ(node->unit, "pixel");
    EXPECT_EQ(node->kind.integer.minimum, 16);
    EXPECT_EQ(node->kind.integer.maximum, 4096);
    EXPECT_EQ(node->kind.integer.increment, 16);
    EXPECT_EQ(node->depth, 0);
    EXPECT_EQ(node->parentName, nullptr);
    EXPECT_EQ(node->nextRoot, nullptr);
    const auto* bytes = reinterpret_cast<const unsigned char*>(node);
    for (std::size_t offset = 52; offset < 80; ++offset)
        EXPECT_EQ(bytes[offset], 0) << offset;
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
}

TEST(ParameterInfoTree, EmptyUnitIsAnEmptyTextAndNoUnitIsNull) {
    ParameterInfoTree tree;
    ParameterInfoNode* root = tree.addCategory(0, nullptr, "C");
    FeatureHeader h = header("A", 1);
    h.unit = "";
    ParameterInfoNode* empty = tree.addIntegerFeature(root, h, 0, 1, 1);
    h.unit = nullptr;
    ParameterInfoNode* none = tree.addIntegerFeature(root, h, 0, 1, 1);
    ASSERT_NE(empty->unit, nullptr);
    EXPECT_STREQ(empty->unit, "");
    EXPECT_EQ(none->unit, nullptr);
}

TEST(ParameterInfoTree, EnumerationEntriesStartEmptyAndAreReplacedBySlot) {
    ParameterInfoTree tree;
    ParameterInfoNode* root = tree.addCategory(0, nullptr, "C");
    ParameterInfoNode* node = tree.addEnumerationFeature(root, header("Mode", 7), 2);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->type, kNodeEnumeration);
    const auto& e = node->kind.enumeration;
    EXPECT_EQ(e.entryCount, 2);
    EXPECT_EQ(e.displayNames[0], nullptr);
    EXPECT_EQ(e.values[1], 0);
    EXPECT_EQ(tree.setEnumerationEntry(node, 1, "Off", 0, "FG_OFF"), kOk);
    EXPECT_EQ(tree.setEnumerationEntry(node, 0, "On", 1, nullptr), kOk);
    EXPECT_STREQ(e.displayNames[0], "On");
    EXPECT_EQ(e.values[0], 1);
    EXPECT_EQ(e.symbolicNames[0], nullptr);
    EXPECT_STREQ(e.symbolicNames[1], "FG_OFF");
    EXPECT_EQ(tree.setEnumerationEntry(node, 0, "Enabled", 5, "FG_ENABLED"), kOk);
    EXPECT_STREQ(e.displayNames[0], "Enabled");
    EXPECT_EQ(e.values[0], 5);
    EXPECT_EQ(tree.setEnumerationEntry(node, 2, "Beyond", 2, nullptr), kErrInvalidArgument);
    EXPECT_EQ(tree.setEnumerationEntry(root, 0, "Category", 2, nullptr), kErrInvalidArgument);
}

TEST(ParameterInfoTree, KindSpecificBuildersFillTheirParts) {
    ParameterInfoTree tree;
    ParameterInfoNode* root = tree.addCategory(0, nullptr, "C");
    ParameterInfoNode* text = tree.addStringFeature(root, header("File", 1), "*.lut");
    EXPECT_EQ(text->type, kNodeString);
    EXPECT_STREQ(text->kind.string.filter, "*.lut");
    ParameterInfoNode* noFilter = tree.addStringFeature(root, header("File", 2), nullptr);
    EXPECT_EQ(noFilter->kind.string.filter, nullptr);
    ParameterInfoNode* real = tree.addDoubleFeature(root, header("Gain", 3), -1.0, 1.0, 0.5);
    EXPECT_EQ(real->type, kNodeDouble);
    EXPECT_EQ(real->kind.real.minimum, -1.0);
    EXPECT_EQ(real->kind.real.maximum, 1.0);
    EXPECT_EQ(real->kind.real.increment, 0.5);
    ParameterInfoNode* array = tree.addIntegerArrayFeature(root, header("LUT", 4), 4096, 0, 4095, 1);
    EXPECT_EQ(array->type, kNodeIntegerArray);
    EXPECT_EQ(array->kind.integerArray.minimum, 0);
    EXPECT_EQ(array->kind.integerArray.maximum, 4095);
    EXPECT_EQ(array->kind.integerArray.elementCount, 4096);
    EXPECT_EQ(array->kind.integerArray.zero, 0);
    EXPECT_EQ(array->kind.integerArray.minimumAgain, 0);
    ParameterInfoNode* wide = tree.addWideIntegerFeature(root, header("Wide", 5), 0, 0xFFFFFFFFFFull, 1);
    EXPECT_EQ(wide->type, kNodeWideInteger);
    EXPECT_EQ(wide->kind.wideInteger.maximum, 0xFFFFFFFFFFull);
    EXPECT_EQ(tree.addInteger32Feature(root, header("I", 6), 1, 2, 1)->type, kNodeInteger32);
    EXPECT_EQ(tree.addWideInteger64Feature(root, header("W", 7), 1, 2, 1)->type, kNodeWideInteger64);
    EXPECT_EQ(root->kind.category.childCount, 7);
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

TEST(ParameterInfoTree, NodesAreListedInCreationOrder) {
    ParameterInfoTree tree;
    ParameterInfoNode* a = tree.addCategory(0, nullptr, "A");
    ParameterInfoNode* b = tree.addIntegerFeature(a, header("B", 1), 0, 1, 1);
    ParameterInfoNode* c = tree.addCategory(0, nullptr, "C");
    const auto nodes = tree.nodes(0);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0], a);
    EXPECT_EQ(nodes[1], b);
    EXPECT_EQ(nodes[2], c);
}

} // namespace
} // namespace kestrel
