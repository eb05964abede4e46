// The text helpers of the register description: entity escaping, identifiers and number forms.
#include "info/parameter_info_xml.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "info/parameter_info_tree.h"

namespace kestrel {
namespace {

TEST(XmlEscape, WritesTheFiveSpecialCharactersAsEntities) {
    EXPECT_EQ(xmlEscape("\"&'<>"), "&quot;&amp;&apos;&lt;&gt;");
}

TEST(XmlEscape, CopiesEveryOtherByteUnchanged) {
    const std::string latin1 = "Delay \xB5s; 50% ;\t\n\r/=?";
    EXPECT_EQ(xmlEscape(latin1), latin1);
    EXPECT_EQ(xmlEscape(""), "");
}

TEST(XmlEscape, EscapesAtTheEdgesAndBetweenPlainRuns) {
    EXPECT_EQ(xmlEscape("<a&b>"), "&lt;a&amp;b&gt;");
    EXPECT_EQ(xmlEscape("FG_A&&B"), "FG_A&amp;&amp;B");
}

TEST(XmlEscape, AppendsBehindWhatIsAlreadyThere) {
    std::string out = "x=";
    appendXmlEscaped(out, "'1'");
    EXPECT_EQ(out, "x=&apos;1&apos;");
}

TEST(XmlIdentifier, DropsBlanksAndKeepsDigitsInside) {
    EXPECT_EQ(xmlIdentifier("Pulse Form Generator 0"), "PulseFormGenerator0");
    EXPECT_EQ(xmlIdentifier("CC Signal Mapping"), "CCSignalMapping");
    EXPECT_EQ(xmlIdentifier("FG_TRIGGER_PULSEFORMGEN0_DELAY"), "FG_TRIGGER_PULSEFORMGEN0_DELAY");
}

TEST(XmlIdentifier, DropsPunctuationAndNonAsciiBytes) {
    EXPECT_EQ(xmlIdentifier("Frames/Sec"), "FramesSec");
    EXPECT_EQ(xmlIdentifier("Gain Correction Mode "), "GainCorrectionMode");
    EXPECT_EQ(xmlIdentifier("Delay (\xB5s)"), "Delays");
    EXPECT_EQ(xmlIdentifier("a-b.c:d"), "abcd");
}

// Digits and '_' are refused only at the first position of the given text; a digit that comes
// after a dropped first character is kept.
TEST(XmlIdentifier, RefusesDigitOrUnderscoreOnlyAtTheTextsFirstPosition) {
    EXPECT_EQ(xmlIdentifier("0abc"), "abc");
    EXPECT_EQ(xmlIdentifier("_abc"), "abc");
    EXPECT_EQ(xmlIdentifier("12 Bit"), "2Bit");
    EXPECT_EQ(xmlIdentifier(" 1x"), "1x");
    EXPECT_EQ(xmlIdentifier("a_1"), "a_1");
    EXPECT_EQ(xmlIdentifier(""), "");
    EXPECT_EQ(xmlIdentifier("   "), "");
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

std::string printfG12(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", 12, value);
    return text;
}

TEST(XmlNumbers, DoublesHaveTwelveSignificantDigitsAsPrintfGivesThem) {
    const double values[] = {0.0,
                             -0.0,
                             0.032,
                             1048.56,
                             0.016,
                             0.01455191522836685,
                             2.220446049250313e-16,
                             62500000.0,
                             6250000.0,
                             -1000.0,
                             1.0 / 3.0,
                             123456789012345.0,
                             1e21,
                             0.000244140625,
                             4095.0,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::infinity()};
    for (double value : values)
        EXPECT_EQ(floatMinimumText(value), printfG12(value)) << value;
    EXPECT_EQ(floatMinimumText(0.01455191522836685), "0.0145519152284");
    EXPECT_EQ(floatMinimumText(2.220446049250313e-16), "2.22044604925e-16");
}

bool decimalPointIsComma() {
    return std::strcmp(std::localeconv()->decimal_point, ",") == 0;
}

bool trySetNumericLocale(const char* name) {
    return std::setlocale(LC_NUMERIC, name) != nullptr && decimalPointIsComma();
}

// A process whose numeric locale writes ',' still gets '.' in the description.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (trySetNumericLocale(name))
                return;
        }
        setenv("LOCPATH", KESTREL_TEST_LOCALE_DIR, 1);
        if (trySetNumericLocale("de_DE.UTF-8"))
            return;
        std::setlocale(LC_NUMERIC, "C");
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
