// The register description read back by Aravis's GenICam parser, compared with the applet's tree
// as the host reads it in place: node kinds, limits, enumeration entries and category members.
#include <gtest/gtest.h>

#include <arv.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "applet_on_board.h"
#include "device/parameter_info_node.h"

namespace kestrel {
namespace {

// A feature of the tree as the description publishes it, with its direct parent category.
struct TreeFeature {
    const ParameterInfoNode* node;
    const ParameterInfoNode* parent;
};

void walk(const ParameterInfoNode& node, const ParameterInfoNode* parent, std::vector<TreeFeature>& out) {
    if (node.type != kNodeCategory) {
        out.push_back({&node, parent});
        return;
    }
    for (int32_t i = 0; i < node.kind.category.childCount; ++i)
        walk(*node.kind.category.children[i], &node, out);
}

bool isDescribed(const TreeFeature& feature) {
    const int32_t type = feature.node->type;
    if (feature.node->published == 0)
        return false;
    if (feature.parent != nullptr && std::strcmp(feature.parent->name, "Direct Register Access") == 0)
        return false;
    return type == kNodeInteger || type == kNodeInteger32 || type == kNodeEnumeration ||
           type == kNodeString || type == kNodeDouble;
}

// Written independently of the applet's helper, as a cross-check of the category names.
std::string identifierOf(const char* text) {
    std::string out;
    for (std::size_t i = 0; text[i] != '\0'; ++i) {
        const char c = text[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digitOrUnderscore = (c >= '0' && c <= '9') || c == '_';
        if (letter || (i > 0 && digitOrUnderscore))
            out.push_back(c);
    }
    return out;
}

// A double as it survives the description's twelve significant digits.
double throughTwelveDigits(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.12g", value);
    return std::strtod(text, nullptr);
}

class AravisRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        uint64_t size = 0;
        ASSERT_EQ(applet_.exports().Fg_getParameterInfoXML(applet_.fg(), 0, nullptr, &size), 0);
        std::vector<char> buffer(size);
        ASSERT_EQ(applet_.exports().Fg_getParameterInfoXML(applet_.fg(), 0, buffer.data(), &size), 0);
        xml_ = buffer.data();
        genicam_ = arv_gc_new(nullptr, xml_.data(), xml_.size());
        ASSERT_NE(genicam_, nullptr);

        const auto* root =
            static_cast<const ParameterInfoNode*>(applet_.exports().Fg_getParameterInfo(applet_.fg(), 0));
        ASSERT_NE(root, nullptr);
        std::vector<TreeFeature> all;
        for (const ParameterInfoNode* node = root; node != nullptr; node = node->nextRoot)
            walk(*node, nullptr, all);
        for (const TreeFeature& feature : all)
            if (isDescribed(feature))
                features_.push_back(feature);
        ASSERT_FALSE(features_.empty());
    }
    void TearDown() override {
        if (genicam_ != nullptr)
            g_object_unref(genicam_);
    }

    ArvGcNode* node(const std::string& name) { return arv_gc_get_node(genicam_, name.c_str()); }

    test::AppletOnBoard applet_;
    std::string xml_;
    ArvGc* genicam_ = nullptr;
    std::vector<TreeFeature> features_;
};

TEST_F(AravisRoundTrip, EveryFeatureIsANodeOfItsKindWithItsRegister) {
    for (const TreeFeature& feature : features_) {
        const std::string name = feature.node->paramName;
        ArvGcNode* found = node(name);
        ASSERT_NE(found, nullptr) << name;
        switch (feature.node->type) {
        case kNodeInteger:
        case kNodeInteger32:
            EXPECT_TRUE(ARV_IS_GC_INTEGER_NODE(found)) << name;
            EXPECT_TRUE(ARV_IS_GC_INT_REG_NODE(node(name + "_Reg"))) << name;
            break;
        case kNodeDouble:
            EXPECT_TRUE(ARV_IS_GC_FLOAT_NODE(found)) << name;
            EXPECT_TRUE(ARV_IS_GC_FLOAT_REG_NODE(node(name + "_Reg"))) << name;
            break;
        case kNodeString:
            // The string register is the feature itself.
            EXPECT_TRUE(ARV_IS_GC_STRING_REG_NODE(found)) << name;
            EXPECT_EQ(node(name + "_Reg"), nullptr) << name;
            break;
        case kNodeEnumeration:
            EXPECT_TRUE(ARV_IS_GC_ENUMERATION(found)) << name;
            EXPECT_TRUE(ARV_IS_GC_INT_REG_NODE(node(name + "_Reg"))) << name;
            break;
        default:
            ADD_FAILURE() << name << " has a kind the description cannot hold";
        }
    }
}

// Integer limits are unsigned 32-bit patterns (Downscale Phase: 0xFFFFFFFE); an increment of 0 is
// not written, and a GenApi integer without one steps by 1. Doubles travel with twelve significant
// digits, so "Frames/Sec"'s minimum comes back as 0.0145519152284, not as 0.01455191522836685.
TEST_F(AravisRoundTrip, LimitsReadBackAsTheTreeHoldsThem) {
    for (const TreeFeature& feature : features_) {
        const std::string name = feature.node->paramName;
        GError* error = nullptr;
        if (feature.node->type == kNodeInteger) {
            ArvGcInteger* integer = ARV_GC_INTEGER(node(name));
            const ParameterInfoNode::IntegerPart& limits = feature.node->kind.integer;
            const auto bits = [](int32_t v) { return int64_t{static_cast<uint32_t>(v)}; };
            EXPECT_EQ(arv_gc_integer_get_min(integer, &error), bits(limits.minimum)) << name;
            EXPECT_EQ(arv_gc_integer_get_max(integer, &error), bits(limits.maximum)) << name;
            EXPECT_EQ(arv_gc_integer_get_inc(integer, &error),
                      limits.increment == 0 ? 1 : bits(limits.increment))
                << name;
        } else if (feature.node->type == kNodeDouble) {
            ArvGcFloat* real = ARV_GC_FLOAT(node(name));
            const double min = feature.node->kind.real.minimum, max = feature.node->kind.real.maximum;
            EXPECT_EQ(arv_gc_float_get_min(real, &error), throughTwelveDigits(min)) << name;
            EXPECT_EQ(arv_gc_float_get_max(real, &error), throughTwelveDigits(max)) << name;
            EXPECT_NEAR(arv_gc_float_get_min(real, &error), min, 1e-11 * std::fabs(min)) << name;
        }
        EXPECT_EQ(error, nullptr) << name << ": " << (error != nullptr ? error->message : "");
        g_clear_error(&error);
    }
}

// Entry names are the symbolic names, and the same one (FG_ON, CC_GND, ...) stands in several
// enumerations. GenApi wants every node name once per document; the description keeps the names
// the applet publishes, and Aravis resolves each entry within its own enumeration, so every entry
// still reads back with its value.
TEST_F(AravisRoundTrip, EveryEnumerationEntryAndValueReadsBack) {
    std::size_t checked = 0;
    for (const TreeFeature& feature : features_) {
        if (feature.node->type != kNodeEnumeration)
            continue;
        const std::string name = feature.node->paramName;
        const ParameterInfoNode::EnumerationPart& part = feature.node->kind.enumeration;
        std::map<int64_t, std::string> expected;
        for (int32_t i = 0; i < part.entryCount; ++i)
            if (part.symbolicNames[i] != nullptr)
                expected[part.values[i]] = part.symbolicNames[i];

        // Aravis hands the entries back in an order of its own, so they are compared as a map; the
        // document's ascending order is checked on the text itself.
        std::map<int64_t, std::string> read;
        for (const GSList* entry = arv_gc_enumeration_get_entries(ARV_GC_ENUMERATION(node(name)));
             entry != nullptr; entry = entry->next) {
            ASSERT_TRUE(ARV_IS_GC_ENUM_ENTRY(entry->data)) << name;
            ArvGcEnumEntry* enumEntry = ARV_GC_ENUM_ENTRY(entry->data);
            GError* error = nullptr;
            const int64_t value = arv_gc_enum_entry_get_value(enumEntry, &error);
            EXPECT_EQ(error, nullptr) << name;
            g_clear_error(&error);
            read[value] = arv_gc_feature_node_get_name(ARV_GC_FEATURE_NODE(enumEntry));
        }
        EXPECT_EQ(read, expected) << name;
        checked += expected.size();
    }
    EXPECT_GT(checked, 100u);
}

TEST_F(AravisRoundTrip, EveryCategoryOfRootListsItsFeatures) {
    std::map<std::string, std::vector<std::string>> expected;
    std::vector<std::string> categoryOrder;
    for (const TreeFeature& feature : features_) {
        const std::string category = identifierOf(feature.parent->name);
        if (expected.find(category) == expected.end())
            categoryOrder.push_back(category);
        expected[category].push_back(feature.node->paramName);
    }

    ArvGcNode* root = node("Root");
    ASSERT_TRUE(ARV_IS_GC_CATEGORY(root));
    std::vector<std::string> rootList;
    for (const GSList* item = arv_gc_category_get_features(ARV_GC_CATEGORY(root)); item != nullptr;
         item = item->next)
        rootList.emplace_back(static_cast<const char*>(item->data));
    EXPECT_EQ(rootList, categoryOrder);

    for (const std::string& name : categoryOrder) {
        ArvGcNode* category = node(name);
        ASSERT_TRUE(ARV_IS_GC_CATEGORY(category)) << name;
        std::vector<std::string> listed;
        for (const GSList* item = arv_gc_category_get_features(ARV_GC_CATEGORY(category)); item != nullptr;
             item = item->next) {
            listed.emplace_back(static_cast<const char*>(item->data));
            EXPECT_NE(node(listed.back()), nullptr) << name << " lists an unknown " << listed.back();
        }
        EXPECT_EQ(listed, expected[name]) << name;
    }
}

} // namespace
} // namespace kestrel
