// The parameter-information tree keeps one list of roots per port, and knows no port beyond the last.
#include "info/parameter_info_tree.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

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

} // namespace
} // namespace kestrel
