// The register description read back by Aravis's GenICam parser: every published feature of the
// port-0 tree is there as a node of its kind, integers with their limits as unsigned 32-bit
// patterns, enumerations with every named entry.
#include <gtest/gtest.h>

#include <arv.h>

#include <cstring>
#include <string>
#include <vector>

#include "applet_on_board.h"
#include "device/parameter_info_node.h"

namespace kestrel {
namespace {

void collect(const ParameterInfoNode& node, const ParameterInfoNode* parent,
             std::vector<const ParameterInfoNode*>& out) {
    if (node.type == kNodeCategory) {
        for (int32_t i = 0; i < node.kind.category.childCount; ++i)
            collect(*node.kind.category.children[i], &node, out);
        return;
    }
    const bool direct = parent != nullptr && std::strcmp(parent->name, "Direct Register Access") == 0;
    const int32_t t = node.type;
    const bool described = t == kNodeInteger || t == kNodeInteger32 || t == kNodeEnumeration ||
                           t == kNodeString || t == kNodeDouble;
    if (node.published != 0 && !direct && described)
        out.push_back(&node);
}

TEST(AravisReadBack, EveryPublishedFeatureIsANodeOfItsKindWithItsLimits) {
    test::AppletOnBoard applet;
    const auto& api = applet.exports();
    uint64_t size = 0;
    ASSERT_EQ(api.Fg_getParameterInfoXML(applet.fg(), 0, nullptr, &size), 0);
    std::vector<char> xml(size);
    ASSERT_EQ(api.Fg_getParameterInfoXML(applet.fg(), 0, xml.data(), &size), 0);
    ArvGc* genicam = arv_gc_new(nullptr, xml.data(), std::strlen(xml.data()));
    ASSERT_NE(genicam, nullptr);
    std::vector<const ParameterInfoNode*> features;
    for (auto* root = static_cast<const ParameterInfoNode*>(api.Fg_getParameterInfo(applet.fg(), 0));
         root != nullptr; root = root->nextRoot)
        collect(*root, nullptr, features);
    ASSERT_FALSE(features.empty());
    const auto bits = [](int32_t v) { return int64_t{static_cast<uint32_t>(v)}; };
    for (const ParameterInfoNode* feature : features) {
        const std::string name = feature->paramName;
        ArvGcNode* found = arv_gc_get_node(genicam, name.c_str());
        GError* error = nullptr;
        if (feature->type == kNodeInteger) {
            ASSERT_TRUE(ARV_IS_GC_INTEGER_NODE(found)) << name;
            EXPECT_EQ(arv_gc_integer_get_min(ARV_GC_INTEGER(found), &error),
                      bits(feature->kind.integer.minimum))
                << name;
            EXPECT_EQ(arv_gc_integer_get_max(ARV_GC_INTEGER(found), &error),
                      bits(feature->kind.integer.maximum))
                << name;
        } else if (feature->type == kNodeEnumeration) {
            ASSERT_TRUE(ARV_IS_GC_ENUMERATION(found)) << name;
            int32_t named = 0;
            for (int32_t i = 0; i < feature->kind.enumeration.entryCount; ++i)
                named += feature->kind.enumeration.symbolicNames[i] != nullptr;
            EXPECT_EQ(g_slist_length(
                          const_cast<GSList*>(arv_gc_enumeration_get_entries(ARV_GC_ENUMERATION(found)))),
                      static_cast<guint>(named))
                << name;
        } else {
            EXPECT_NE(found, nullptr) << name;
        }
        EXPECT_EQ(error, nullptr) << name;
        g_clear_error(&error);
    }
    g_object_unref(genicam);
}

} // namespace
} // namespace kestrel
