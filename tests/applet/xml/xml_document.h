// Reading register-description documents in tests: feature fragments, golden files, counts.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::test {

// The bytes of a golden fragment in tests/data/xml.
inline std::string goldenFragment(const std::string& fileName) {
    const std::string path = std::string(KESTREL_TEST_DATA_DIR) + "/xml/" + fileName;
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.good()) << "cannot read " << path;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Where a feature's elements start: its register for integers, doubles and strings, the feature
// element for enumerations. npos when the document has no such feature.
inline std::size_t featureStart(const std::string& xml, const std::string& paramName) {
    // An enumeration's feature element comes before its register, so it is looked for first.
    for (const std::string& opening :
         {"<Enumeration Name='" + paramName + "'>", "<IntReg Name=\"" + paramName + "_Reg\">",
          "<FloatReg Name=\"" + paramName + "_Reg\">", "<StringReg Name=\"" + paramName + "\">"}) {
        const std::size_t at = xml.find(opening);
        if (at != std::string::npos)
            return at;
    }
    return std::string::npos;
}

// Checks that the feature's bytes equal the golden file and that the carriage return of the
// feature end follows them.
inline void expectFragment(const std::string& xml, const std::string& paramName,
                           const std::string& fileName) {
    const std::string golden = goldenFragment(fileName);
    ASSERT_FALSE(golden.empty()) << fileName;
    const std::size_t start = featureStart(xml, paramName);
    ASSERT_NE(start, std::string::npos) << paramName << " is not in the document";
    EXPECT_EQ(xml.substr(start, golden.size()), golden) << paramName;
    ASSERT_GT(xml.size(), start + golden.size()) << paramName;
    EXPECT_EQ(xml[start + golden.size()], '\r') << paramName << ": feature end is not LF CR";
}

inline std::size_t countOf(std::string_view text, std::string_view piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string_view::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

// Features of the document: every integer, double, string and enumeration element.
inline std::size_t featureCount(const std::string& xml) {
    return countOf(xml, "<Integer Name='") + countOf(xml, "<Float Name=\"") +
           countOf(xml, "<StringReg Name=\"") + countOf(xml, "<Enumeration Name='");
}

// The lines of one category element's body (its pFeature names), in order.
inline std::vector<std::string> categoryMembers(const std::string& xml, const std::string& opening) {
    std::vector<std::string> names;
    std::size_t at = xml.find(opening);
    if (at == std::string::npos)
        return names;
    const std::size_t end = xml.find("</Category>", at);
    const std::string_view open = "<pFeature>";
    for (at = xml.find(open, at); at != std::string::npos && at < end; at = xml.find(open, at + 1)) {
        const std::size_t nameStart = at + open.size();
        names.push_back(xml.substr(nameStart, xml.find("</pFeature>", nameStart) - nameStart));
    }
    return names;
}

inline std::vector<std::string> rootMembers(const std::string& xml) {
    return categoryMembers(xml, "<Category Name='Root' NameSpace='Standard' >\n");
}

inline std::vector<std::string> members(const std::string& xml, const std::string& category) {
    return categoryMembers(xml, "<Category Name='" + category + "'  >\n");
}

// The categories "Root" lists for the applet's own tree, in order: a category is listed when its
// first own feature is written, so "Lookup Table", "Shading Correction", "Digital Output" and
// "Trigger", whose own features follow their sub-categories, come after them; "Trigger Input" holds
// nothing but sub-categories and is not listed, and the second "Statistics" shares the first.
inline const std::vector<std::string>& treeRootOrder() {
    static const std::vector<std::string> order{
        "Miscellaneous", "CameraSimulator", "OutputFormat", "Processing",
        "AppletProperties", "LookupTable", "NoiseFilter", "AutoShadingCorrection",
        "ShadingCorrection", "ImageSelector", "Overflow", "Legacy",
        "External", "SoftwareTrigger", "Statistics", "Sequencer",
        "Queue", "PulseFormGenerator0", "PulseFormGenerator1", "PulseFormGenerator2",
        "PulseFormGenerator3", "CCSignalMapping", "DigitalOutput", "OutputEvent",
        "Trigger", "ROI", "CameraLink"
    };
    return order;
}

} // namespace kestrel::test
