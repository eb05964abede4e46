// Builder operations of the parameter-information tree (roots, children, features, entries,
// clearing) and in-place updates of published limits and access words by id.
#include "info/parameter_info_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/error_codes.h"
#include "info/parameter_info_nodes.h"
#include "params/parameter_ids.h"

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

class ParameterInfoNodesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ParameterInfoNode* root = tree_.addCategory(0, nullptr, "C");
        FeatureHeader h;
        h.id = 300;
        integer_ = tree_.addIntegerFeature(root, h, 0, 4080, 16);
        h.id = ids::FG_GEN_FREQ;
        real_ = tree_.addDoubleFeature(root, h, 3, 125, 1);
        h.id = ids::FG_LUT_VALUE;
        array_ = tree_.addIntegerArrayFeature(root, h, 4096, 0, 4095, 1);
        nodes_.enter(0, 300, integer_);
        nodes_.enter(0, ids::FG_GEN_FREQ, real_);
        nodes_.enter(0, ids::FG_LUT_VALUE, array_);
    }

    ParameterInfoTree tree_;
    ParameterInfoNodes nodes_;
    ParameterInfoNode* integer_ = nullptr;
    ParameterInfoNode* real_ = nullptr;
    ParameterInfoNode* array_ = nullptr;
};

TEST_F(ParameterInfoNodesTest, FindsNodesByPortAndId) {
    EXPECT_EQ(nodes_.find(0, 300), integer_);
    EXPECT_EQ(nodes_.find(1, 300), nullptr);
    EXPECT_EQ(nodes_.find(0, 301), nullptr);
    EXPECT_EQ(nodes_.size(0), 3u);
    EXPECT_EQ(nodes_.size(1), 0u);
    nodes_.enter(0, 9, nullptr);
    EXPECT_EQ(nodes_.size(0), 3u) << "a null node is not entered";
}

TEST_F(ParameterInfoNodesTest, RewritesLimitsOfEachKind) {
    nodes_.setIntegerMaximum(300, 3072);
    nodes_.setIntegerMinimum(300, 16);
    EXPECT_EQ(integer_->kind.integer.maximum, 3072);
    EXPECT_EQ(integer_->kind.integer.minimum, 16);
    EXPECT_EQ(integer_->kind.integer.increment, 16);
    nodes_.setDoubleMinimum(ids::FG_GEN_FREQ, 2.5);
    nodes_.setDoubleMaximum(ids::FG_GEN_FREQ, 100.0);
    EXPECT_EQ(real_->kind.real.minimum, 2.5);
    EXPECT_EQ(real_->kind.real.maximum, 100.0);
    // An integer array keeps its minimum in two places.
    nodes_.setIntegerMinimum(ids::FG_LUT_VALUE, 1);
    EXPECT_EQ(array_->kind.integerArray.minimum, 1);
    EXPECT_EQ(array_->kind.integerArray.minimumAgain, 1);
    EXPECT_EQ(array_->kind.integerArray.elementCount, 4096);
    nodes_.setAccess(300, kNodeAccessReadOnly);
    EXPECT_EQ(integer_->access, 1);
    nodes_.setAccess(300, kNodeAccessReadWriteBit2);
    EXPECT_EQ(integer_->access, 7);
}

} // namespace
} // namespace kestrel
