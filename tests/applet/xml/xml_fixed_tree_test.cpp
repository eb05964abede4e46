// The register description of the applet's own tree, built without a board: feature and category
// counts, category members, limits and enumerations. The order "Root" lists, the golden fragments
// and the register-access features left out are checked on the document the exports hand out.
#include "info/parameter_info_xml.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "info/build_parameter_info.h"
#include "info/parameter_info_nodes.h"
#include "info/parameter_info_tree.h"
#include "xml_document.h"

namespace kestrel {
namespace {

using test::countOf;
using test::featureCount;
using test::members;

class FixedTreeXml : public ::testing::Test {
protected:
    std::string build() {
        buildParameterInfo(tree_, nodes_, nullptr, {});
        applyInitialReadOnlyAccess(nodes_);
        return ParameterInfoBuilderXML(tree_, "Kestrel12", 0).buildXml();
    }

    ParameterInfoTree tree_;
    ParameterInfoNodes nodes_;
};

// Categories come from the features registered with them: "Trigger Input", which holds only
// sub-categories, is not among them, and the two "Statistics" share one: 27 beside "Root".
TEST_F(FixedTreeXml, HasAllFeaturesButTheLutValuesIn27Categories) {
    const std::string text = build();
    EXPECT_EQ(featureCount(text), 132u);
    EXPECT_EQ(text.find("FG_LUT_VALUE"), std::string::npos);
    EXPECT_EQ(countOf(text, "<Category Name='"), 28u);
    EXPECT_EQ(countOf(text, "\n\r"), 132u);
}

TEST_F(FixedTreeXml, CategoriesListTheirFeaturesInWalkOrder) {
    const std::string text = build();
    EXPECT_EQ(members(text, "Miscellaneous"),
              (std::vector<std::string>{"FG_TIMEOUT", "FG_TURBO_DMA_MODE", "FG_APPLET_VERSION",
                                        "FG_APPLET_REVISION", "FG_APPLET_ID", "FG_HAP_FILE", "FG_DMASTATUS",
                                        "FG_CAMSTATUS", "FG_CAMSTATUS_EXTENDED"}));
    EXPECT_EQ(members(text, "ROI"),
              (std::vector<std::string>{"FG_WIDTH", "FG_HEIGHT", "FG_XOFFSET", "FG_YOFFSET"}));
    EXPECT_EQ(members(text, "AppletProperties"),
              (std::vector<std::string>{"FG_LUT_IMPLEMENTATION_TYPE", "FG_LUT_IN_BITS", "FG_LUT_OUT_BITS"}));
    // "LUT Values" is left out; the type and the two files remain.
    EXPECT_EQ(members(text, "LookupTable"),
              (std::vector<std::string>{"FG_LUT_TYPE", "FG_LUT_CUSTOM_FILE", "FG_LUT_SAVE_FILE"}));
    EXPECT_EQ(members(text, "ShadingCorrection"),
              (std::vector<std::string>{"FG_SHADING_OFFSET_ENABLE", "FG_SHADING_GAIN_ENABLE",
                                        "FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE"}));
    EXPECT_EQ(members(text, "Trigger"),
              (std::vector<std::string>{"FG_AREATRIGGERMODE", "FG_TRIGGERSTATE", "FG_TRIGGER_FRAMESPERSECOND",
                                        "FG_TRIGGER_LEGACY_MODE"}));
    EXPECT_EQ(
        members(text, "DigitalOutput"),
        (std::vector<std::string>{"FG_TRIGGEROUT_SELECT0", "FG_TRIGGEROUT_SELECT1", "FG_TRIGGEROUT_SELECT2",
                                  "FG_TRIGGEROUT_SELECT3", "FG_TRIGGEROUT_SELECT4", "FG_TRIGGEROUT_SELECT5",
                                  "FG_TRIGGEROUT_SELECT6", "FG_TRIGGEROUT_SELECT7"}));
    // Both "Statistics" categories share one.
    EXPECT_EQ(members(text, "Statistics"),
              (std::vector<std::string>{
                  "FG_TRIGGERIN_STATS_PULSECOUNT", "FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR",
                  "FG_TRIGGERIN_STATS_FREQUENCY", "FG_TRIGGERIN_STATS_MINFREQUENCY",
                  "FG_TRIGGERIN_STATS_MAXFREQUENCY", "FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR",
                  "FG_TRIGGER_EXCEEDED_PERIOD_LIMITS", "FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR",
                  "FG_TRIGGEROUT_STATS_SOURCE", "FG_TRIGGEROUT_STATS_PULSECOUNT",
                  "FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR", "FG_MISSING_CAMERA_FRAME_RESPONSE",
                  "FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR"}));
}

TEST_F(FixedTreeXml, LimitsAndAccessAreWrittenAsPublished) {
    const std::string text = build();
    EXPECT_NE(
        text.find(
            "<Integer Name='FG_TRIGGERIN_DOWNSCALE_PHASE'>\n<Description>Downscale Phase</Description>\n"
            "<pValue>FG_TRIGGERIN_DOWNSCALE_PHASE_Reg</pValue>\n<Min>0</Min>\n<Max>4294967294</Max>\n"),
        std::string::npos);
    EXPECT_NE(text.find("<Min>0.0145519152284</Min>\n<Max>6250000</Max>\n</Float>"), std::string::npos);
    EXPECT_NE(text.find("<Description>Gain Correction Mode </Description>"), std::string::npos);
    EXPECT_NE(text.find("<Min>-1000</Min>\n<Max>1000</Max>\n</Float>"), std::string::npos);
    // The legacy trigger features start read-only.
    EXPECT_NE(text.find("<IntReg Name=\"FG_EXPOSURE_Reg\">\n<Address>10020</Address>\n<Length>4</Length>\n"
                        "<AccessMode>RO</AccessMode>\n"),
              std::string::npos);
}

TEST_F(FixedTreeXml, EveryEnumerationListsItsEntriesByAscendingValue) {
    const std::string text = build();
    std::size_t enumerations = 0;
    for (std::size_t at = text.find("<Enumeration Name='"); at != std::string::npos;
         at = text.find("<Enumeration Name='", at + 1)) {
        const std::size_t end = text.find("</Enumeration>", at);
        std::vector<long> values;
        for (std::size_t v = text.find("<Value>", at); v < end; v = text.find("<Value>", v + 1))
            values.push_back(std::stol(text.substr(v + 7)));
        EXPECT_FALSE(values.empty()) << text.substr(at, 60);
        EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << text.substr(at, 60);
        EXPECT_EQ(std::adjacent_find(values.begin(), values.end()), values.end()) << text.substr(at, 60);
        ++enumerations;
    }
    EXPECT_EQ(enumerations, 57u);
}

TEST_F(FixedTreeXml, EveryDescribedFeatureIsListedInExactlyOneCategory) {
    const std::string text = build();
    std::size_t listed = 0;
    for (const auto& [id, node] : *nodes_.port(0)) {
        if (node->type == kNodeIntegerArray)
            continue;
        const std::string entry = std::string("<pFeature>") + node->paramName + "</pFeature>\n";
        EXPECT_EQ(countOf(text, entry), 1u) << node->paramName;
        ++listed;
    }
    EXPECT_EQ(listed, 132u);
}

} // namespace
} // namespace kestrel
