// The register description of small hand-built trees: the document frame, each feature kind, the
// features left out and the flat categories.
#include "info/parameter_info_xml.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "info/parameter_info_tree.h"

namespace kestrel {
namespace {

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            "\n"
                            "<RegisterDescription\n"
                            "ModelName=\"Kestrel12\"\n"
                            "VendorName=\"Tarnwell\"\n"
                            "StandardNameSpace=\"None\"\n"
                            "SchemaMajorVersion=\"1\"\n"
                            "SchemaMinorVersion=\"0\"\n"
                            "SchemaSubMinorVersion=\"1\"\n"
                            "MajorVersion=\"1\"\n"
                            "MinorVersion=\"0\"\n"
                            "SubMinorVersion=\"0\"\n"
                            "ProductGuid=\"0\"\n"
                            "VersionGuid=\"0\"\n"
                            "xmlns=\"http://www.genicam.org/GenApi/Version_1_0\"\n"
                            "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
                            "xsi:schemaLocation=\"http://www.genicam.org/GenApi/Version_1_0 "
                            "GenApiSchema_Version_1_0.xsd\">\n";
const std::string kFooter = "<Port Name=\"DevicePort\"></Port>\n</RegisterDescription>\n";

FeatureHeader header(const char* paramName, int32_t id, int32_t access = 3,
                     const char* displayName = "Shown") {
    FeatureHeader h;
    h.displayName = displayName;
    h.paramName = paramName;
    h.access = access;
    h.id = id;
    return h;
}

// The "Root" element alone, from the categories part of a document.
std::string rootElement(const std::string& categories) {
    return categories.substr(0, categories.find("</Category>\n") + 12);
}

class XmlBuilder : public ::testing::Test {
protected:
    std::string build(int32_t port = 0) {
        return ParameterInfoBuilderXML(tree_, "Kestrel12", port).buildXml();
    }

    // The text between the header and the categories: the features.
    std::string features() {
        const std::string xml = build();
        const std::size_t start = kHeader.size();
        const std::size_t end = xml.find("<Category Name='Root'");
        EXPECT_EQ(xml.compare(0, kHeader.size(), kHeader), 0);
        return xml.substr(start, end - start);
    }
    // The categories and the port element: everything after the features.
    std::string categories() {
        const std::string xml = build();
        return xml.substr(xml.find("<Category Name='Root'"));
    }

    ParameterInfoTree tree_;
};

TEST_F(XmlBuilder, PortWithoutTreeGivesTheFrameAndAnEmptyRoot) {
    EXPECT_EQ(build(1), kHeader +
                            "<Category Name='Root' NameSpace='Standard' >\n"
                            "</Category>\n" +
                            kFooter);
}

TEST_F(XmlBuilder, IntegerLimitsAreWidenedWithoutSignForPlainIntegersAndWithSignForTheFurtherKind) {
    ParameterInfoNode* category = tree_.addCategory(0, nullptr, "C");
    tree_.addIntegerFeature(category, header("FG_PHASE", 7), -1, static_cast<int32_t>(0xFFFFFFFEu), -16);
    tree_.addInteger32Feature(category, header("FG_SIGNED", 8), -1, 5, -2);
    const std::string text = features();
    EXPECT_NE(text.find("<Min>4294967295</Min>\n<Max>4294967294</Max>\n<Inc>4294967280</Inc>\n"),
              std::string::npos)
        << text;
    EXPECT_NE(
        text.find(
            "<Integer Name='FG_SIGNED'>\n<Description>Shown</Description>\n<pValue>FG_SIGNED_Reg</pValue>\n"
            "<Min>18446744073709551615</Min>\n<Max>5</Max>\n<Inc>18446744073709551614</Inc>\n"),
        std::string::npos)
        << text;
}

TEST_F(XmlBuilder, EmptyOrMissingDisplayNameHasNoDescription) {
    ParameterInfoNode* category = tree_.addCategory(0, nullptr, "C");
    tree_.addIntegerFeature(category, header("FG_A", 1, 3, ""), 0, 1, 1);
    tree_.addStringFeature(category, header("FG_B", 2, 3, nullptr), nullptr);
    const std::string text = features();
    EXPECT_EQ(text.find("<Description>"), std::string::npos) << text;
    EXPECT_NE(text.find("<Integer Name='FG_A'>\n<pValue>FG_A_Reg</pValue>\n"), std::string::npos) << text;
    EXPECT_NE(text.find("<StringReg Name=\"FG_B\">\n<Address>2</Address>\n"), std::string::npos) << text;
}

TEST_F(XmlBuilder, RegisterLengthIsEightBytesOnlyForTheTransferLengthAndIdZeroHasNoAddress) {
    ParameterInfoNode* category = tree_.addCategory(0, nullptr, "C");
    tree_.addIntegerFeature(category, header("FG_ZERO", 0), 0, 1, 1);
    tree_.addIntegerFeature(category, header("FG_TRANSFER_LEN", 5210), 0, 1, 1);
    tree_.addIntegerFeature(category, header("FG_TRANSFER_LEN_", 5211), 0, 1, 1);
    const std::string text = features();
    EXPECT_NE(text.find("<IntReg Name=\"FG_ZERO_Reg\">\n<Length>4</Length>\n"), std::string::npos) << text;
    EXPECT_NE(text.find("<Address>5210</Address>\n<Length>8</Length>\n"), std::string::npos) << text;
    EXPECT_NE(text.find("<Address>5211</Address>\n<Length>4</Length>\n"), std::string::npos) << text;
}

TEST_F(XmlBuilder, LaterEntryOfTheSameValueNamesItAndUnnamedEntriesAreLeftOut) {
    ParameterInfoNode* category = tree_.addCategory(0, nullptr, "C");
    ParameterInfoNode* node = tree_.addEnumerationFeature(category, header("FG_E", 9), 5);
    tree_.setEnumerationEntry(node, 0, "first", 4, "FIRST_FOUR");
    tree_.setEnumerationEntry(node, 1, "negative", -3, "MINUS_THREE");
    tree_.setEnumerationEntry(node, 2, "unnamed", 2, nullptr);
    tree_.setEnumerationEntry(node, 3, "second", 4, "SECOND_FOUR");
    tree_.setEnumerationEntry(node, 4, "quote", 5, "A<B");
    const std::string text = features();
    EXPECT_NE(text.find("<Description>Shown</Description>\n"
                        "<EnumEntry Name=\"MINUS_THREE\">\n<Value>-3</Value>\n</EnumEntry>\n"
                        "<EnumEntry Name=\"SECOND_FOUR\">\n<Value>4</Value>\n</EnumEntry>\n"
                        "<EnumEntry Name=\"A&lt;B\">\n<Value>5</Value>\n</EnumEntry>\n"
                        "<pValue>FG_E_Reg</pValue>\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("FIRST_FOUR"), std::string::npos);
    EXPECT_EQ(text.find("<Value>2</Value>"), std::string::npos);
}

TEST_F(XmlBuilder, FeaturesWithoutGenApiFormAreLeftOut) {
    ParameterInfoNode* category = tree_.addCategory(0, nullptr, "C");
    FeatureHeader hidden = header("FG_HIDDEN", 1);
    hidden.published = 0;
    tree_.addIntegerFeature(category, hidden, 0, 1, 1);
    tree_.addIntegerArrayFeature(category, header("FG_LUT_VALUE", 2), 4096, 0, 4095, 1);
    tree_.addWideIntegerFeature(category, header("FG_WIDE9", 3), 0, 1, 1);
    tree_.addWideInteger64Feature(category, header("FG_WIDE12", 4), 0, 1, 1);
    tree_.addIntegerFeature(category, header("FG_KEPT", 5), 0, 1, 1);
    const std::string xml = build();
    for (const char* name : {"FG_HIDDEN", "FG_LUT_VALUE", "FG_WIDE9", "FG_WIDE12"})
        EXPECT_EQ(xml.find(name), std::string::npos) << name;
    EXPECT_NE(xml.find("<Integer Name='FG_KEPT'>"), std::string::npos);
    EXPECT_NE(xml.find("<Category Name='C'  >\n<pFeature>FG_KEPT</pFeature>\n</Category>\n"),
              std::string::npos);
}

TEST_F(XmlBuilder, DirectRegisterAccessFeaturesAreLeftOutByTheirCategorysExactName) {
    ParameterInfoNode* dra = tree_.addCategory(0, nullptr, "Direct Register Access");
    tree_.addIntegerFeature(dra, header("DRA_Device1_X", 1000001), 0, 4095, 1);
    ParameterInfoNode* similar = tree_.addCategory(0, nullptr, "Direct Register Access ");
    tree_.addIntegerFeature(similar, header("DRA_Device1_Y", 1000002), 0, 4095, 1);
    ParameterInfoNode* nested = tree_.addCategory(0, dra, "Inner");
    tree_.addIntegerFeature(nested, header("DRA_Device1_Z", 1000003), 0, 4095, 1);
    const std::string xml = build();
    EXPECT_EQ(xml.find("DRA_Device1_X"), std::string::npos);
    // Only the direct parent's name counts.
    EXPECT_NE(xml.find("<Integer Name='DRA_Device1_Y'>"), std::string::npos);
    EXPECT_NE(xml.find("<Integer Name='DRA_Device1_Z'>"), std::string::npos);
}

TEST_F(XmlBuilder, NamesAreEscapedInElementsAndReducedToIdentifiersInCategories) {
    ParameterInfoNode* category = tree_.addCategory(0, nullptr, "Odd & Ends");
    tree_.addIntegerFeature(category, header("FG_<A&B>", 1, 3, "\"x\" 'y'"), 0, 1, 1);
    const std::string xml = build();
    EXPECT_NE(xml.find("<IntReg Name=\"FG_&lt;A&amp;B&gt;_Reg\">"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<Integer Name='FG_&lt;A&amp;B&gt;'>\n<Description>&quot;x&quot; &apos;y&apos;"
                       "</Description>\n<pValue>FG_&lt;A&amp;B&gt;_Reg</pValue>"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<Category Name='OddEnds'  >\n<pFeature>FG_AB</pFeature>\n</Category>\n"),
              std::string::npos)
        << xml;
}

// A category is listed when its first own feature is written, so a parent whose own features
// follow its sub-category comes after that sub-category, and a parent with no own feature at all
// is not listed.
TEST_F(XmlBuilder, ParentIsListedAfterItsSubCategoryWhenItsOwnFeaturesFollowIt) {
    ParameterInfoNode* lookup = tree_.addCategory(0, nullptr, "Lookup Table");
    ParameterInfoNode* properties = tree_.addCategory(0, lookup, "Applet Properties");
    tree_.addIntegerFeature(properties, header("FG_LUT_IN_BITS", 1), 0, 0, 0);
    tree_.addIntegerFeature(lookup, header("FG_LUT_TYPE", 2), 0, 3, 1);
    ParameterInfoNode* empty = tree_.addCategory(0, lookup, "Only Categories");
    ParameterInfoNode* inner = tree_.addCategory(0, empty, "Inner");
    tree_.addIntegerFeature(inner, header("FG_INNER", 3), 0, 1, 1);
    EXPECT_EQ(rootElement(categories()), "<Category Name='Root' NameSpace='Standard' >\n"
                                         "<pFeature>AppletProperties</pFeature>\n"
                                         "<pFeature>LookupTable</pFeature>\n"
                                         "<pFeature>Inner</pFeature>\n"
                                         "</Category>\n");
}

TEST_F(XmlBuilder, FeaturesOfAnUnnamedCategoryGoToRootAfterItsSubCategories) {
    ParameterInfoNode* unnamed = tree_.addCategory(0, nullptr, "");
    tree_.addIntegerFeature(unnamed, header("FG_LOOSE", 1), 0, 1, 1);
    ParameterInfoNode* named = tree_.addCategory(0, nullptr, "Named");
    tree_.addIntegerFeature(named, header("FG_HELD", 2), 0, 1, 1);
    EXPECT_EQ(categories(), "<Category Name='Root' NameSpace='Standard' >\n"
                            "<pFeature>Named</pFeature>\n"
                            "<pFeature>FG_LOOSE</pFeature>\n"
                            "</Category>\n"
                            "<Category Name='Named'  >\n"
                            "<pFeature>FG_HELD</pFeature>\n"
                            "</Category>\n" +
                                kFooter);
}

TEST(XmlCategoryTest, SubCategoryIsCreatedOnceAndKeepsItsPlace) {
    XmlCategory root("Root");
    XmlCategory& a = root.subCategory("A");
    root.subCategory("B").addFeature("FG_B");
    a.addFeature("FG_A1");
    root.subCategory("A").addFeature("FG_A2");
    ASSERT_EQ(root.subCategories().size(), 2u);
    EXPECT_EQ(root.subCategories()[0]->name(), "A");
    EXPECT_EQ(root.subCategories()[0]->features(), (std::vector<std::string>{"FG_A1", "FG_A2"}));
    std::string out;
    root.write(out, true);
    EXPECT_EQ(out,
              "<Category Name='Root' NameSpace='Standard' >\n<pFeature>A</pFeature>\n<pFeature>B</pFeature>\n"
              "</Category>\n<Category Name='A'  >\n<pFeature>FG_A1</pFeature>\n<pFeature>FG_A2</pFeature>\n"
              "</Category>\n<Category Name='B'  >\n<pFeature>FG_B</pFeature>\n</Category>\n");
}

} // namespace
} // namespace kestrel
