// The built parameter-information tree: fixed categories and features, direct register access,
// mirrored design access, and the access words set right after building.
#include "info/build_parameter_info.h"

#include <gtest/gtest.h>

#include <designrt.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "device/design_registers.h"
#include "info/parameter_info_nodes.h"
#include "info/parameter_info_tree.h"
#include "params/enumerations.h"
#include "params/fake_design_registers.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_ids.h"
#include "params/parameter_properties.h"

namespace kestrel {
namespace {

using testing::FakeDesignRegisters;

const ParameterInfoNode* findRoot(const ParameterInfoTree& tree, const std::string& name) {
    for (const ParameterInfoNode* root = tree.nextRoot(nullptr, 0); root != nullptr; root = root->nextRoot)
        if (name == root->name)
            return root;
    return nullptr;
}

const ParameterInfoNode* child(const ParameterInfoNode* category, const std::string& name) {
    if (category == nullptr)
        return nullptr;
    for (int32_t i = 0; i < category->kind.category.childCount; ++i)
        if (name == category->kind.category.children[i]->name)
            return category->kind.category.children[i];
    return nullptr;
}

std::vector<std::string> childNames(const ParameterInfoNode* category) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < category->kind.category.childCount; ++i)
        names.emplace_back(category->kind.category.children[i]->name);
    return names;
}

// Features of the tree with neither optional family.
std::size_t fixedFeatureCount() {
    ParameterInfoTree tree;
    ParameterInfoNodes nodes;
    buildParameterInfo(tree, nodes, nullptr, {});
    return nodes.size(0);
}

class FixedTree : public ::testing::Test {
protected:
    void build(const ParameterInfoSources& sources = {}) {
        buildParameterInfo(tree_, nodes_, &properties_, sources);
    }
    const ParameterInfoNode& feature(int32_t id) {
        const ParameterInfoNode* node = nodes_.find(0, id);
        EXPECT_NE(node, nullptr) << id;
        return *node;
    }

    ParameterInfoTree tree_;
    ParameterInfoNodes nodes_;
    ParameterPropertyMap properties_;
};

class RegisterAccessTree : public FixedTree {
protected:
    FakeDesignRegisters registers_{{{"Device1_Twelve", 100101, 12, true},
                                    {"Device1_Status", 100102, 32, false},
                                    {"Device1_Forty", 100103, 40, true},
                                    {"Device1_Flag", 100104, 1, true},
                                    {"Device1_SixtyFour", 100105, 64, false},
                                    {"Device1_SixtyThree", 100106, 63, true}}};
    ParameterInfoSources sources() {
        ParameterInfoSources s;
        s.registerAccessEnabled = true;
        s.designRegisters = &registers_;
        return s;
    }
};

// The newest root, one feature per register. Up to 32 bits an integer feature, wider a 64-bit one;
// 2^64 - 1 rounds to 2^64 in double precision, which no 64-bit value holds: all bits set.
TEST_F(RegisterAccessTree, IsTheNewestRootWithOneFeatureSizedByEachRegister) {
    build(sources());
    const ParameterInfoNode* first = tree_.nextRoot(nullptr, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->name, "Direct Register Access");
    EXPECT_STREQ(first->nextRoot->name, "Miscellaneous");
    EXPECT_EQ(
        childNames(first),
        (std::vector<std::string>{"Device1_Twelve (12)", "Device1_Status (32)", "Device1_Forty (40)",
                                  "Device1_Flag (1)", "Device1_SixtyFour (64)", "Device1_SixtyThree (63)"}));
    const ParameterInfoNode& twelve = feature(1100101);
    EXPECT_STREQ(twelve.paramName, "DRA_Device1_Twelve");
    EXPECT_EQ(twelve.unit, nullptr);
    EXPECT_EQ(std::tuple(twelve.type, twelve.kind.integer.minimum, twelve.kind.integer.maximum,
                         twelve.kind.integer.increment, twelve.access, twelve.hostAttribute,
                         twelve.published),
              std::tuple(kNodeInteger, 0, 4095, 1, 7, 1, 1));
    EXPECT_EQ(static_cast<uint32_t>(feature(1100102).kind.integer.maximum), 0xFFFFFFFFu);
    EXPECT_EQ(feature(1100102).access, 1);
    EXPECT_EQ(feature(1100104).kind.integer.maximum, 1);
    const ParameterInfoNode& forty = feature(1100103);
    EXPECT_EQ(forty.type, kNodeWideInteger);
    EXPECT_EQ(forty.kind.wideInteger.maximum, 1099511627775ull);
    EXPECT_EQ(forty.kind.wideInteger.increment, 1u);
    EXPECT_EQ(feature(1100105).kind.wideInteger.maximum, UINT64_MAX);
    EXPECT_EQ(feature(1100106).kind.wideInteger.maximum, uint64_t{1} << 63); // 2^63 - 1 rounds up
}

// A host tree: the host builds it with the same record layout.
class DesignAccessTree : public FixedTree {
protected:
    void SetUp() override {
        ParameterInfoNode* sensor = host_.addCategory(0, nullptr, "Sensor", "SensorPath");
        ParameterInfoNode* inner = host_.addCategory(0, sensor, "Inner");
        ParameterInfoNode* files = host_.addCategory(0, nullptr, "Files");
        const auto h = [](const char* display, const char* name, int32_t id) {
            FeatureHeader header;
            header.displayName = display;
            header.paramName = name;
            header.id = id;
            return header;
        };
        FeatureHeader gain = h("Gain", "Device1_Gain", 501);
        gain.access = 3;
        gain.hostAttribute = 2;
        gain.unit = "dB";
        host_.addInteger32Feature(inner, gain, -3, 30, 3);
        ParameterInfoNode* mode = host_.addEnumerationFeature(inner, h("Mode", "Device1_Mode", 502), 2);
        host_.setEnumerationEntry(mode, 0, "Fast", 4, "MODE_FAST");
        host_.setEnumerationEntry(mode, 1, "Slow", 9, nullptr);
        FeatureHeader offset = h("Offset", "Device1_Offset", 503);
        offset.published = 0;
        host_.addDoubleFeature(sensor, offset, -1.0, 1.0, 0.125);
        host_.addIntegerArrayFeature(sensor, h("Table", "Device1_Table", 504), 16, 0, 255, 1);
        host_.addStringFeature(files, h("Coefficients", "Device1_Coefficients", 505), "*.tiff");
        host_.addWideInteger64Feature(files, h("Counter", "Device1_Counter", 506), 0, 1ull << 40, 1);
        designIds_ = {{"DDSA_Device1_Gain", 2000501},         {"DDSA_Device1_Mode", 2000502},
                      {"DDSA_Device1_Offset", 2000503},       {"DDSA_Device1_Table", 2000504},
                      {"DDSA_Device1_Coefficients", 2000505}, {"DDSA_Device1_Counter", 2000506},
                      {"DDSA_Device1_Unknown", 2000999}};
    }

    ParameterInfoSources sources() {
        ParameterInfoSources s;
        s.designAccessActive = true;
        s.designParameterIds = &designIds_;
        s.hostParameterInfo = [this] {
            return static_cast<const ParameterInfoNode*>(host_.nextRoot(nullptr, 0));
        };
        return s;
    }

    ParameterInfoTree host_;
    std::map<std::string, int32_t> designIds_;
};

// Host categories are recreated once, in name order; every field of a host feature and its
// enumeration entries are copied; integer arrays and ids the host tree lacks are skipped.
TEST_F(DesignAccessTree, RecreatesHostCategoriesAndCopiesEveryFieldOfTheHostFeatures) {
    build(sources());
    const ParameterInfoNode* ds = findRoot(tree_, "Direct DS Access");
    ASSERT_NE(ds, nullptr);
    // Name order: Coefficients (Files), Counter (Files), Gain (Sensor/Inner), Mode, Offset.
    EXPECT_EQ(childNames(ds), (std::vector<std::string>{"Files", "Sensor"}));
    const ParameterInfoNode* sensor = child(ds, "Sensor");
    EXPECT_STREQ(sensor->paramName, "SensorPath");
    EXPECT_EQ(sensor->depth, 1);
    EXPECT_STREQ(sensor->parentName, "Direct DS Access");
    EXPECT_EQ(childNames(sensor), (std::vector<std::string>{"Inner", "Offset"}));
    EXPECT_EQ(childNames(child(sensor, "Inner")), (std::vector<std::string>{"Gain", "Mode"}));
    EXPECT_EQ(childNames(child(ds, "Files")), (std::vector<std::string>{"Coefficients", "Counter"}));

    const ParameterInfoNode& gain = feature(2000501);
    EXPECT_STREQ(gain.name, "Gain");
    EXPECT_STREQ(gain.paramName, "DDSA_Device1_Gain");
    EXPECT_STREQ(gain.unit, "dB");
    EXPECT_EQ(std::tuple(gain.type, gain.kind.integer.minimum, gain.kind.integer.maximum,
                         gain.kind.integer.increment, gain.access, gain.hostAttribute),
              std::tuple(kNodeInteger32, -3, 30, 3, 3, 2));
    EXPECT_EQ(properties_.access(0, 2000501), 3);
    EXPECT_EQ(feature(2000503).published, 0);
    EXPECT_EQ(feature(2000503).kind.real.increment, 0.125);
    EXPECT_STREQ(feature(2000505).kind.string.filter, "*.tiff");
    EXPECT_EQ(feature(2000506).type, kNodeWideInteger64);
    EXPECT_EQ(feature(2000506).kind.wideInteger.maximum, 1ull << 40);
    const auto& e = feature(2000502).kind.enumeration;
    ASSERT_EQ(e.entryCount, 2);
    EXPECT_STREQ(e.displayNames[1], "Slow");
    EXPECT_EQ(e.values[1], 9);
    EXPECT_STREQ(e.symbolicNames[0], "MODE_FAST");
    EXPECT_EQ(e.symbolicNames[1], nullptr);

    EXPECT_EQ(nodes_.find(0, 2000504), nullptr);
    EXPECT_EQ(nodes_.find(0, 2000999), nullptr);
    EXPECT_EQ(nodes_.size(0), fixedFeatureCount() + 5u);
}

} // namespace
} // namespace kestrel
