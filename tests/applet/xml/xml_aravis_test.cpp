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
    if (feature.node->published == 0 ||
        (feature.parent != nullptr && std::strcmp(feature.parent->name, "Direct Register Access") == 0))
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
    static std::vector<std::string> featuresOf(ArvGcNode* category) {
        std::vector<std::string> names;
        for (const GSList* item = arv_gc_category_get_features(ARV_GC_CATEGORY(category)); item != nullptr;
             item = item->next)
            names.emplace_back(static_cast<const char*>(item->data));
        return names;
    }

    test::AppletOnBoard applet_;
    std::string xml_;
    ArvGc* genicam_ = nullptr;
    std::vector<TreeFeature> features_;
};

// Each feature is a node of its kind beside its register (a string register is the feature itself).
// Integer limits are unsigned 32-bit patterns (Downscale Phase: 0xFFFFFFFE); an increment of 0 is
// not written, and a GenApi integer without one steps by 1. Doubles travel with twelve significant
// digits, so "Frames/Sec"'s minimum comes back as 0.0145519152284, not as 0.01455191522836685.
// Entry names are the symbolic names, and the same one (FG_ON, CC_GND, ...) stands in several
// enumerations; Aravis resolves each entry within its own enumeration, so every entry still reads
// back with its value (compared as a map: Aravis keeps an order of its own).
TEST_F(AravisRoundTrip, EveryFeatureReadsBackAsTheTreeHoldsIt) {
    std::size_t entries = 0;
    for (const TreeFeature& feature : features_) {
        const std::string name = feature.node->paramName;
        ArvGcNode* found = node(name);
        ASSERT_NE(found, nullptr) << name;
        ArvGcNode* reg = node(name + "_Reg");
        GError* error = nullptr;
        switch (feature.node->type) {
        case kNodeInteger:
        case kNodeInteger32: {
            ASSERT_TRUE(ARV_IS_GC_INTEGER_NODE(found) && ARV_IS_GC_INT_REG_NODE(reg)) << name;
            if (feature.node->type == kNodeInteger32)
                break;
            ArvGcInteger* integer = ARV_GC_INTEGER(found);
            const ParameterInfoNode::IntegerPart& limits = feature.node->kind.integer;
            const auto bits = [](int32_t v) { return int64_t{static_cast<uint32_t>(v)}; };
            EXPECT_EQ(arv_gc_integer_get_min(integer, &error), bits(limits.minimum)) << name;
            EXPECT_EQ(arv_gc_integer_get_max(integer, &error), bits(limits.maximum)) << name;
            EXPECT_EQ(arv_gc_integer_get_inc(integer, &error),
                      limits.increment == 0 ? 1 : bits(limits.increment))
                << name;
            break;
        }
        case kNodeDouble: {
            ASSERT_TRUE(ARV_IS_GC_FLOAT_NODE(found) && ARV_IS_GC_FLOAT_REG_NODE(reg)) << name;
            ArvGcFloat* real = ARV_GC_FLOAT(found);
            const double min = feature.node->kind.real.minimum, max = feature.node->kind.real.maximum;
            EXPECT_EQ(arv_gc_float_get_min(real, &error), throughTwelveDigits(min)) << name;
            EXPECT_EQ(arv_gc_float_get_max(real, &error), throughTwelveDigits(max)) << name;
            EXPECT_NEAR(arv_gc_float_get_min(real, &error), min, 1e-11 * std::fabs(min)) << name;
            break;
        }
        case kNodeString:
            EXPECT_TRUE(ARV_IS_GC_STRING_REG_NODE(found) && reg == nullptr) << name;
            break;
        case kNodeEnumeration: {
            ASSERT_TRUE(ARV_IS_GC_ENUMERATION(found) && ARV_IS_GC_INT_REG_NODE(reg)) << name;
            const ParameterInfoNode::EnumerationPart& part = feature.node->kind.enumeration;
            std::map<int64_t, std::string> expected, read;
            for (int32_t i = 0; i < part.entryCount; ++i)
                if (part.symbolicNames[i] != nullptr)
                    expected[part.values[i]] = part.symbolicNames[i];
            for (const GSList* entry = arv_gc_enumeration_get_entries(ARV_GC_ENUMERATION(found));
                 entry != nullptr; entry = entry->next) {
                ASSERT_TRUE(ARV_IS_GC_ENUM_ENTRY(entry->data)) << name;
                ArvGcEnumEntry* enumEntry = ARV_GC_ENUM_ENTRY(entry->data);
                read[arv_gc_enum_entry_get_value(enumEntry, &error)] =
                    arv_gc_feature_node_get_name(ARV_GC_FEATURE_NODE(enumEntry));
            }
            EXPECT_EQ(read, expected) << name;
            entries += expected.size();
            break;
        }
        default:
            ADD_FAILURE() << name << " has a kind the description cannot hold";
        }
        EXPECT_EQ(error, nullptr) << name << ": " << (error != nullptr ? error->message : "");
        g_clear_error(&error);
    }
    EXPECT_GT(entries, 100u);
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
    EXPECT_EQ(featuresOf(root), categoryOrder);

    for (const std::string& name : categoryOrder) {
        ArvGcNode* category = node(name);
        ASSERT_TRUE(ARV_IS_GC_CATEGORY(category)) << name;
        EXPECT_EQ(featuresOf(category), expected[name]) << name;
    }
}

} // namespace
} // namespace kestrel
