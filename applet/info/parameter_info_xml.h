// The parameter-information tree of one port written as a GenICam GenApi 1.0 register description.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class ParameterInfoTree;

// Appends `text` with '"', '&', '\'', '<' and '>' written as their XML entities; every other byte
// is copied unchanged (texts are Latin-1 and pass through byte for byte).
void appendXmlEscaped(std::string& out, std::string_view text);
std::string xmlEscape(std::string_view text);

// Appends the identifier form of `text`: ASCII letters are kept wherever they stand, digits and
// '_' everywhere except at the text's first position, every other byte is dropped. The position
// is the one in `text`, so "_x1" gives "x1" and "a 1" gives "a1".
void appendXmlIdentifier(std::string& out, std::string_view text);
std::string xmlIdentifier(std::string_view text);

// A category of the register description: its own sub-categories, then the features it lists.
// The builder keeps every category but "Root" one level below "Root".
class XmlCategory {
public:
    explicit XmlCategory(std::string name) : name_(std::move(name)) {}
    XmlCategory(const XmlCategory&) = delete;
    XmlCategory& operator=(const XmlCategory&) = delete;

    const std::string& name() const { return name_; }
    const std::vector<std::unique_ptr<XmlCategory>>& subCategories() const { return subCategories_; }
    const std::vector<std::string>& features() const { return features_; }

    // The sub-category of that name, appended when there is none yet; the reference stays valid
    // while this category lives.
    XmlCategory& subCategory(std::string_view name);
    void addFeature(std::string_view name) { features_.emplace_back(name); }

    // Writes this category's element, then each sub-category's, depth first. The category named
    // by `isRoot` carries the standard namespace attribute.
    void write(std::string& out, bool isRoot) const;

private:
    std::string name_;
    std::vector<std::unique_ptr<XmlCategory>> subCategories_;
    std::vector<std::string> features_;
};

// Builds the register description of one port for one call; nothing is cached between calls.
// The tree is only read and must outlive the builder. Every published feature of a kind that has
// a GenApi form (integer, 32-bit integer, enumeration, string, double) becomes its register and
// feature elements; integer arrays, 64-bit integers, unpublished features and the features of
// "Direct Register Access" are left out. Allocation failure throws std::bad_alloc.
class ParameterInfoBuilderXML {
public:
    // `modelName` is the applet's name, written escaped as the description's model name.
    ParameterInfoBuilderXML(const ParameterInfoTree& tree, std::string_view modelName, int32_t port);
    virtual ~ParameterInfoBuilderXML();
    ParameterInfoBuilderXML(const ParameterInfoBuilderXML&) = delete;
    ParameterInfoBuilderXML& operator=(const ParameterInfoBuilderXML&) = delete;

    // The whole document. A port without a tree still gives the header, an empty "Root" and the
    // port element. Each call builds the document and its categories anew.
    std::string buildXml();

    // The categories gathered by the last buildXml.
    const XmlCategory& rootCategory() const;

private:
    struct Private;
    std::unique_ptr<Private> d_;
};

} // namespace kestrel
