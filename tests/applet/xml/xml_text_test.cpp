// The register description's text helpers (entity escaping, identifiers), and the
// description of small hand-built trees, for what the applet's own tree (compared whole in the golden
// test) does not show: limits as written, features left out, odd names.
#include "info/parameter_info_xml.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "info/parameter_info_tree.h"

namespace kestrel {
namespace {

TEST(XmlEscape, WritesTheFiveSpecialCharactersAsEntitiesAndCopiesEveryOtherByte) {
    const std::pair<std::string, std::string> cases[] = {
        {"\"&'<>", "&quot;&amp;&apos;&lt;&gt;"},
        {"Delay \xB5s; 50% ;\t\n\r/=?", "Delay \xB5s; 50% ;\t\n\r/=?"},
        {"", ""},
        {"FG_A&&B", "FG_A&amp;&amp;B"},
    };
    for (const auto& [text, escaped] : cases)
        EXPECT_EQ(xmlEscape(text), escaped) << text;
    std::string out = "x=";
    appendXmlEscaped(out, "'1'");
    EXPECT_EQ(out, "x=&apos;1&apos;") << "appends behind what is already there";
}

// Blanks, punctuation and non-ASCII bytes are dropped; digits and '_' are refused only at the
// first position of the given text, so a digit that comes after a dropped first character is kept.
TEST(XmlIdentifier, KeepsLettersDigitsAndUnderscoresThatCanStandWhereTheyAre) {
    const std::pair<std::string, std::string> cases[] = {
        {"Pulse Form Generator 0", "PulseFormGenerator0"},
        {"FG_TRIGGER_PULSEFORMGEN0_DELAY", "FG_TRIGGER_PULSEFORMGEN0_DELAY"},
        {"Zoom/Size", "ZoomSize"},
        {"Delay (\xB5s)", "Delays"},
        {"0abc", "abc"},
        {"12 Bit", "2Bit"},
        {" 1x", "1x"},
        {"a_1", "a_1"},
        {"", ""},
    };
    for (const auto& [text, identifier] : cases)
        EXPECT_EQ(xmlIdentifier(text), identifier) << '"' << text << '"';
}

FeatureHeader header(const char* paramName, int32_t id, const char* displayName = "Shown") {
    FeatureHeader h;
    h.displayName = displayName;
    h.paramName = paramName;
    h.access = 3;
    h.id = id;
    return h;
}

class XmlBuilder : public ::testing::Test {
protected:
    std::string build() { return ParameterInfoBuilderXML(tree_, "Kestrel12", 0).buildXml(); }
    void expectIn(const std::string& fragment) {
        EXPECT_NE(build().find(fragment), std::string::npos) << fragment << "\nnot in\n" << build();
    }
    void expectNotIn(const std::string& fragment) {
        EXPECT_EQ(build().find(fragment), std::string::npos) << fragment;
    }

    ParameterInfoTree tree_;
    ParameterInfoNode* category_ = tree_.addCategory(0, nullptr, "C");
};

// Plain integers are widened without sign, the further integer kind with sign.
TEST_F(XmlBuilder, IntegerLimitsAreWrittenAsUnsignedNumbers) {
    tree_.addIntegerFeature(category_, header("FG_PHASE", 7), -1, static_cast<int32_t>(0xFFFFFFFEu), -16);
    tree_.addInteger32Feature(category_, header("FG_SIGNED", 8), -1, 5, -2);
    expectIn("<Min>4294967295</Min>\n<Max>4294967294</Max>\n<Inc>4294967280</Inc>\n");
    expectIn("<pValue>FG_SIGNED_Reg</pValue>\n<Min>18446744073709551615</Min>\n<Max>5</Max>\n"
             "<Inc>18446744073709551614</Inc>\n");
}

// Only the transfer length, by its exact name, has an 8-byte register; id 0 has no address.
TEST_F(XmlBuilder, RegistersAndDescriptions) {
    tree_.addIntegerFeature(category_, header("FG_ZERO", 0, ""), 0, 1, 1);
    tree_.addIntegerFeature(category_, header("FG_TRANSFER_LEN", 5210), 0, 1, 1);
    tree_.addIntegerFeature(category_, header("FG_TRANSFER_LEN_", 5211), 0, 1, 1);
    tree_.addStringFeature(category_, header("FG_B", 2, nullptr), nullptr);
    expectIn("<IntReg Name=\"FG_ZERO_Reg\">\n<Length>4</Length>\n");
    expectIn("<Address>5210</Address>\n<Length>8</Length>\n");
    expectIn("<Address>5211</Address>\n<Length>4</Length>\n");
    // An empty or missing display name gives no description.
    expectIn("<Integer Name='FG_ZERO'>\n<pValue>FG_ZERO_Reg</pValue>\n");
    expectIn("<StringReg Name=\"FG_B\">\n<Address>2</Address>\n");
}

TEST_F(XmlBuilder, LaterEntryOfTheSameValueNamesItAndUnnamedEntriesAreLeftOut) {
    ParameterInfoNode* node = tree_.addEnumerationFeature(category_, header("FG_E", 9), 5);
    tree_.setEnumerationEntry(node, 0, "first", 4, "FIRST_FOUR");
    tree_.setEnumerationEntry(node, 1, "negative", -3, "MINUS_THREE");
    tree_.setEnumerationEntry(node, 2, "unnamed", 2, nullptr);
    tree_.setEnumerationEntry(node, 3, "second", 4, "SECOND_FOUR");
    tree_.setEnumerationEntry(node, 4, "quote", 5, "A<B");
    expectIn("<Description>Shown</Description>\n"
             "<EnumEntry Name=\"MINUS_THREE\">\n<Value>-3</Value>\n</EnumEntry>\n"
             "<EnumEntry Name=\"SECOND_FOUR\">\n<Value>4</Value>\n</EnumEntry>\n"
             "<EnumEntry Name=\"A&lt;B\">\n<Value>5</Value>\n</EnumEntry>\n"
             "<pValue>FG_E_Reg</pValue>\n");
    expectNotIn("FIRST_FOUR");
    expectNotIn("<Value>2</Value>");
}

// Unpublished features, kinds without GenApi form and the features directly in a category named
// exactly "Direct Register Access" are left out.
TEST_F(XmlBuilder, FeaturesWithoutGenApiFormAreLeftOut) {
    FeatureHeader hidden = header("FG_HIDDEN", 1);
    hidden.published = 0;
    tree_.addIntegerFeature(category_, hidden, 0, 1, 1);
    tree_.addIntegerArrayFeature(category_, header("FG_LUT_VALUE", 2), 4096, 0, 4095, 1);
    tree_.addWideIntegerFeature(category_, header("FG_WIDE9", 3), 0, 1, 1);
    tree_.addWideInteger64Feature(category_, header("FG_WIDE12", 4), 0, 1, 1);
    tree_.addIntegerFeature(category_, header("FG_KEPT", 5), 0, 1, 1);
    ParameterInfoNode* dra = tree_.addCategory(0, nullptr, "Direct Register Access");
    tree_.addIntegerFeature(dra, header("DRA_Device1_X", 1000001), 0, 4095, 1);
    ParameterInfoNode* similar = tree_.addCategory(0, nullptr, "Direct Register Access ");
    tree_.addIntegerFeature(similar, header("DRA_Device1_Y", 1000002), 0, 4095, 1);
    tree_.addIntegerFeature(tree_.addCategory(0, dra, "Inner"), header("DRA_Device1_Z", 1000003), 0, 4095, 1);
    for (const char* name : {"FG_HIDDEN", "FG_LUT_VALUE", "FG_WIDE9", "FG_WIDE12", "DRA_Device1_X"})
        expectNotIn(name);
    expectIn("<Category Name='C'  >\n<pFeature>FG_KEPT</pFeature>\n</Category>\n");
    expectIn("<Integer Name='DRA_Device1_Y'>");
    expectIn("<Integer Name='DRA_Device1_Z'>");
}

} // namespace
} // namespace kestrel
