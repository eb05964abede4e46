// The text helpers of the register description: entity escaping, identifiers and number forms.
#include "info/parameter_info_xml.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <limits>
#include <string>
#include <utility>

#include "config/comma_locale.h"
#include "info/parameter_info_tree.h"

namespace kestrel {
namespace {

TEST(XmlEscape, WritesTheFiveSpecialCharactersAsEntitiesAndCopiesEveryOtherByte) {
    const std::pair<std::string, std::string> cases[] = {
        {"\"&'<>", "&quot;&amp;&apos;&lt;&gt;"},
        {"Delay \xB5s; 50% ;\t\n\r/=?", "Delay \xB5s; 50% ;\t\n\r/=?"},
        {"", ""},
        {"<a&b>", "&lt;a&amp;b&gt;"},
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
        {"CC Signal Mapping", "CCSignalMapping"},
        {"FG_TRIGGER_PULSEFORMGEN0_DELAY", "FG_TRIGGER_PULSEFORMGEN0_DELAY"},
        {"Frames/Sec", "FramesSec"},
        {"Gain Correction Mode ", "GainCorrectionMode"},
        {"Delay (\xB5s)", "Delays"},
        {"a-b.c:d", "abcd"},
        {"0abc", "abc"},
        {"_abc", "abc"},
        {"12 Bit", "2Bit"},
        {" 1x", "1x"},
        {"a_1", "a_1"},
        {"", ""},
        {"   ", ""},
    };
    for (const auto& [text, identifier] : cases)
        EXPECT_EQ(xmlIdentifier(text), identifier) << '"' << text << '"';
}

// One double feature, to see how a value is written.
std::string floatMinimumText(double minimum) {
    ParameterInfoTree tree;
    ParameterInfoNode* category = tree.addCategory(0, nullptr, "C");
    FeatureHeader header;
    header.displayName = "D";
    header.paramName = "FG_D";
    header.id = 1;
    tree.addDoubleFeature(category, header, minimum, 0.0, 0.0);
    const std::string xml = ParameterInfoBuilderXML(tree, "M", 0).buildXml();
    const std::size_t start = xml.find("<Min>");
    const std::size_t end = xml.find("</Min>");
    if (start == std::string::npos || end == std::string::npos)
        return "(no Min)";
    return xml.substr(start + 5, end - start - 5);
}

// A process whose numeric locale writes ',' still gets '.' in the description.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::useCommaLocale(LC_NUMERIC))
            GTEST_SKIP() << "no locale with ',' as decimal point can be had";
    }
    void TearDown() override { std::setlocale(LC_NUMERIC, "C"); }
};

TEST_F(CommaLocale, DoublesKeepTheDecimalPoint) {
    char printed[16];
    std::snprintf(printed, sizeof printed, "%g", 0.5);
    ASSERT_STREQ(printed, "0,5") << "the locale does not write commas, the test would prove nothing";
    EXPECT_EQ(floatMinimumText(1048.56), "1048.56");
    EXPECT_EQ(floatMinimumText(0.032), "0.032");
}

} // namespace
} // namespace kestrel
