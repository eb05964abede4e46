// Writing the parameter-information tree as a GenApi register description: one pass over the tree
// into one reserved string, the categories gathered on the way and written after the features.
#include "info/parameter_info_xml.h"

#include <algorithm>
#include <utility>

#include "core/number_text.h"
#include "device/parameter_info_node.h"
#include "info/parameter_info_tree.h"

namespace kestrel {

using namespace std::string_view_literals;

namespace {

// Features of this category mirror raw design registers; the description leaves them out.
constexpr std::string_view kRegisterAccessCategory = "Direct Register Access"sv;
// The one parameter whose integer register is 64 bits wide.
constexpr std::string_view kWideTransferLength = "FG_TRANSFER_LEN"sv;
constexpr int32_t kIntegerLengthBytes = 4;
constexpr int32_t kWideIntegerLengthBytes = 8;
constexpr int32_t kDoubleLengthBytes = 8;
constexpr int32_t kStringLengthBytes = 4096;
// After each feature: a line feed and a carriage return.
constexpr std::string_view kFeatureEnd = "\n\r"sv;

// Rough byte counts of the templates, for reserving the document once.
constexpr std::size_t kHeaderBytes = 720;
constexpr std::size_t kFeatureTemplateBytes = 420;
constexpr std::size_t kEntryTemplateBytes = 64;
constexpr std::size_t kCategoryLineBytes = 24;

std::string_view textOf(const char* text) {
    return text != nullptr ? std::string_view(text) : std::string_view();
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

void appendUnsigned(std::string& out, uint64_t value) {
    out.append(NumberText::ofUInt64(value).view());
}

void appendSigned(std::string& out, int64_t value) {
    out.append(NumberText::ofInt(value).view());
}

// The text "%.12g" gives in the "C" locale, whatever locale the process runs in.
void appendDouble(std::string& out, double value) {
    out.append(NumberText::ofDouble(value).view());
}

std::string_view accessMode(int32_t access) {
    const bool readable = (access & 1) != 0;
    const bool writable = (access & 2) != 0;
    if (readable && writable)
        return "RW"sv;
    if (readable)
        return "RO"sv;
    if (writable)
        return "WO"sv;
    return ""sv;
}

bool hasDescriptionForm(int32_t type) {
    return type == kNodeInteger || type == kNodeInteger32 || type == kNodeEnumeration ||
           type == kNodeString || type == kNodeDouble;
}

// Visits every feature of the port in walk order: roots from the first through their next-root
// links, each category's children in index order, with the feature's direct parent category
// (null for a feature standing as a root).
template <class Visit>
void visitBelow(const ParameterInfoNode& node, const ParameterInfoNode* parent, Visit& visit) {
    if (node.type != kNodeCategory) {
        visit(node, parent);
        return;
    }
    const ParameterInfoNode::CategoryPart& category = node.kind.category;
    for (int32_t i = 0; i < category.childCount; ++i) {
        if (category.children[i] != nullptr)
            visitBelow(*category.children[i], &node, visit);
    }
}

template <class Visit> void forEachFeature(const ParameterInfoTree& tree, int32_t port, Visit&& visit) {
    for (const ParameterInfoNode* root = tree.nextRoot(nullptr, port); root != nullptr;
         root = tree.nextRoot(root, port))
        visitBelow(*root, nullptr, visit);
}

bool isDescribed(const ParameterInfoNode& feature, const ParameterInfoNode* parent) {
    if (feature.published == 0 || !hasDescriptionForm(feature.type))
        return false;
    return parent == nullptr || textOf(parent->name) != kRegisterAccessCategory;
}

} // namespace

void appendXmlEscaped(std::string& out, std::string_view text) {
    std::size_t plainStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string_view entity;
        switch (text[i]) {
        case '"':
            entity = "&quot;"sv;
            break;
        case '&':
            entity = "&amp;"sv;
            break;
        case '\'':
            entity = "&apos;"sv;
            break;
        case '<':
            entity = "&lt;"sv;
            break;
        case '>':
            entity = "&gt;"sv;
            break;
        default:
            continue;
        }
        out.append(text.substr(plainStart, i - plainStart));
        out.append(entity);
        plainStart = i + 1;
    }
    out.append(text.substr(plainStart));
}

std::string xmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendXmlEscaped(out, text);
    return out;
}

void appendXmlIdentifier(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isAsciiLetter(c) || (i > 0 && (isAsciiDigit(c) || c == '_')))
            out.push_back(c);
    }
}

std::string xmlIdentifier(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendXmlIdentifier(out, text);
    return out;
}

XmlCategory& XmlCategory::subCategory(std::string_view name) {
    for (const std::unique_ptr<XmlCategory>& child : subCategories_) {
        if (child->name() == name)
            return *child;
    }
    subCategories_.push_back(std::make_unique<XmlCategory>(std::string(name)));
    return *subCategories_.back();
}

void XmlCategory::write(std::string& out, bool isRoot) const {
    out.append("<Category Name='"sv);
    out.append(name_);
    out.append(isRoot ? "' NameSpace='Standard' >\n"sv : "'  >\n"sv);
    for (const std::unique_ptr<XmlCategory>& child : subCategories_) {
        out.append("<pFeature>"sv);
        out.append(child->name());
        out.append("</pFeature>\n"sv);
    }
    for (const std::string& feature : features_) {
        out.append("<pFeature>"sv);
        out.append(feature);
        out.append("</pFeature>\n"sv);
    }
    out.append("</Category>\n"sv);
    for (const std::unique_ptr<XmlCategory>& child : subCategories_)
        child->write(out, false);
}

struct ParameterInfoBuilderXML::Private {
    Private(const ParameterInfoTree& tree_, std::string_view modelName_, int32_t port_)
        : tree(tree_), modelName(modelName_), port(port_) {}

    const ParameterInfoTree& tree;
    std::string modelName;
    int32_t port;
    std::unique_ptr<XmlCategory> root = std::make_unique<XmlCategory>("Root");

    std::string out;
    // Reused for every enumeration: (value, symbolic name) in entry order.
    std::vector<std::pair<int32_t, std::string_view>> entries;
    std::string identifier;
    // Consecutive features mostly share their parent; its category is looked up once.
    const ParameterInfoNode* lastParent = nullptr;
    XmlCategory* lastCategory = nullptr;

    std::size_t estimatedSize() const;
    void writeHeader();
    void writeFeature(const ParameterInfoNode& feature, const ParameterInfoNode* parent);
    void writeRegisterBlock(const ParameterInfoNode& feature, int32_t lengthBytes);
    void writeDescription(const ParameterInfoNode& feature);
    void writeNamed(std::string_view open, std::string_view paramName, std::string_view close);
    void writeInteger(const ParameterInfoNode& feature, std::string_view paramName);
    void writeDouble(const ParameterInfoNode& feature, std::string_view paramName);
    void writeString(const ParameterInfoNode& feature, std::string_view paramName);
    void writeEnumeration(const ParameterInfoNode& feature, std::string_view paramName);
    void enterInCategory(std::string_view paramName, const ParameterInfoNode* parent);
};

std::size_t ParameterInfoBuilderXML::Private::estimatedSize() const {
    std::size_t bytes = kHeaderBytes + modelName.size();
    forEachFeature(tree, port, [&bytes](const ParameterInfoNode& feature, const ParameterInfoNode* parent) {
        if (!isDescribed(feature, parent))
            return;
        // The parameter name appears five times (register, feature, pValue, category).
        bytes += kFeatureTemplateBytes + 5 * textOf(feature.paramName).size() + textOf(feature.name).size() +
                 kCategoryLineBytes;
        if (feature.type == kNodeEnumeration) {
            const ParameterInfoNode::EnumerationPart& part = feature.kind.enumeration;
            for (int32_t i = 0; i < part.entryCount && part.symbolicNames != nullptr; ++i)
                bytes += kEntryTemplateBytes + textOf(part.symbolicNames[i]).size();
        }
    });
    return bytes;
}

void ParameterInfoBuilderXML::Private::writeHeader() {
    out.append("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n\n<RegisterDescription\nModelName=\""sv);
    appendXmlEscaped(out, modelName);
    out.append("\"\n"
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
               "GenApiSchema_Version_1_0.xsd\">\n"sv);
}

void ParameterInfoBuilderXML::Private::writeNamed(std::string_view open, std::string_view paramName,
                                                  std::string_view close) {
    out.append(open);
    appendXmlEscaped(out, paramName);
    out.append(close);
}

void ParameterInfoBuilderXML::Private::writeRegisterBlock(const ParameterInfoNode& feature,
                                                          int32_t lengthBytes) {
    if (feature.id != 0) {
        out.append("<Address>"sv);
        appendSigned(out, feature.id);
        out.append("</Address>\n"sv);
    }
    out.append("<Length>"sv);
    appendSigned(out, lengthBytes);
    out.append("</Length>\n<AccessMode>"sv);
    out.append(accessMode(feature.access));
    out.append("</AccessMode>\n<pPort>DevicePort</pPort>\n"sv);
}

void ParameterInfoBuilderXML::Private::writeDescription(const ParameterInfoNode& feature) {
    const std::string_view displayName = textOf(feature.name);
    if (displayName.empty())
        return;
    out.append("<Description>"sv);
    appendXmlEscaped(out, displayName);
    out.append("</Description>\n"sv);
}

void ParameterInfoBuilderXML::Private::writeInteger(const ParameterInfoNode& feature,
                                                    std::string_view paramName) {
    const int32_t lengthBytes =
        paramName == kWideTransferLength ? kWideIntegerLengthBytes : kIntegerLengthBytes;
    writeNamed("<IntReg Name=\""sv, paramName, "_Reg\">\n"sv);
    writeRegisterBlock(feature, lengthBytes);
    out.append("<Sign>Signed</Sign>\n<Endianess>LittleEndian</Endianess>\n</IntReg>\n"sv);
    writeNamed("<Integer Name='"sv, paramName, "'>\n"sv);
    writeDescription(feature);
    writeNamed("<pValue>"sv, paramName, "_Reg</pValue>\n"sv);

    // The plain integer's limits are unsigned 32-bit patterns (0xFFFFFFFE is 4294967294); the
    // further integer kind carries signed ones, written as their 64-bit two's complement.
    const ParameterInfoNode::IntegerPart& limits = feature.kind.integer;
    const auto widen = [&feature](int32_t value) -> uint64_t {
        if (feature.type == kNodeInteger32)
            return static_cast<uint64_t>(static_cast<int64_t>(value));
        return static_cast<uint64_t>(static_cast<uint32_t>(value));
    };
    out.append("<Min>"sv);
    appendUnsigned(out, widen(limits.minimum));
    out.append("</Min>\n<Max>"sv);
    appendUnsigned(out, widen(limits.maximum));
    out.append("</Max>\n"sv);
    if (limits.increment != 0) {
        out.append("<Inc>"sv);
        appendUnsigned(out, widen(limits.increment));
        out.append("</Inc>\n"sv);
    }
    out.append("</Integer>"sv);
}

void ParameterInfoBuilderXML::Private::writeDouble(const ParameterInfoNode& feature,
                                                   std::string_view paramName) {
    writeNamed("<FloatReg Name=\""sv, paramName, "_Reg\">\n"sv);
    writeRegisterBlock(feature, kDoubleLengthBytes);
    out.append("<Endianess>LittleEndian</Endianess>\n</FloatReg>\n"sv);
    writeNamed("<Float Name=\""sv, paramName, "\">\n"sv);
    writeDescription(feature);
    writeNamed("<pValue>"sv, paramName, "_Reg</pValue>\n"sv);
    // The increment stays unpublished: hosts step doubles freely.
    out.append("<Min>"sv);
    appendDouble(out, feature.kind.real.minimum);
    out.append("</Min>\n<Max>"sv);
    appendDouble(out, feature.kind.real.maximum);
    out.append("</Max>\n</Float>"sv);
}

void ParameterInfoBuilderXML::Private::writeString(const ParameterInfoNode& feature,
                                                   std::string_view paramName) {
    writeNamed("<StringReg Name=\""sv, paramName, "\">\n"sv);
    writeDescription(feature);
    writeRegisterBlock(feature, kStringLengthBytes);
    out.append("</StringReg>"sv);
}

void ParameterInfoBuilderXML::Private::writeEnumeration(const ParameterInfoNode& feature,
                                                        std::string_view paramName) {
    writeNamed("<Enumeration Name='"sv, paramName, "'>\n"sv);
    writeDescription(feature);

    // Entries by ascending value; of entries sharing a value the later one names it, and entries
    // without a symbolic name are not published.
    const ParameterInfoNode::EnumerationPart& part = feature.kind.enumeration;
    entries.clear();
    for (int32_t i = 0; i < part.entryCount; ++i) {
        const char* symbolicName = part.symbolicNames != nullptr ? part.symbolicNames[i] : nullptr;
        if (symbolicName != nullptr && part.values != nullptr)
            entries.emplace_back(part.values[i], symbolicName);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& left, const auto& right) { return left.first < right.first; });
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i + 1 < entries.size() && entries[i + 1].first == entries[i].first)
            continue;
        writeNamed("<EnumEntry Name=\""sv, entries[i].second, "\">\n<Value>"sv);
        appendSigned(out, entries[i].first);
        out.append("</Value>\n</EnumEntry>\n"sv);
    }

    writeNamed("<pValue>"sv, paramName, "_Reg</pValue>\n</Enumeration>\n\n"sv);
    writeNamed("<IntReg Name=\""sv, paramName, "_Reg\">\n"sv);
    writeRegisterBlock(feature, kIntegerLengthBytes);
    out.append("<Sign>Unsigned</Sign>\n<Endianess>LittleEndian</Endianess>\n</IntReg>"sv);
}

void ParameterInfoBuilderXML::Private::enterInCategory(std::string_view paramName,
                                                       const ParameterInfoNode* parent) {
    XmlCategory* category = root.get();
    const std::string_view parentName = parent != nullptr ? textOf(parent->name) : std::string_view();
    if (!parentName.empty()) {
        if (parent != lastParent) {
            // Categories are matched by identifier, so equally named tree categories (the two
            // "Statistics") share one.
            identifier.clear();
            appendXmlIdentifier(identifier, parentName);
            lastCategory = &root->subCategory(identifier);
            lastParent = parent;
        }
        category = lastCategory;
    }
    identifier.clear();
    appendXmlIdentifier(identifier, paramName);
    category->addFeature(identifier);
}

void ParameterInfoBuilderXML::Private::writeFeature(const ParameterInfoNode& feature,
                                                    const ParameterInfoNode* parent) {
    if (!isDescribed(feature, parent))
        return;
    const std::string_view paramName = textOf(feature.paramName);
    switch (feature.type) {
    case kNodeInteger:
    case kNodeInteger32:
        writeInteger(feature, paramName);
        break;
    case kNodeDouble:
        writeDouble(feature, paramName);
        break;
    case kNodeString:
        writeString(feature, paramName);
        break;
    case kNodeEnumeration:
        writeEnumeration(feature, paramName);
        break;
    default:
        return;
    }
    enterInCategory(paramName, parent);
    out.append(kFeatureEnd);
}

ParameterInfoBuilderXML::ParameterInfoBuilderXML(const ParameterInfoTree& tree, std::string_view modelName,
                                                 int32_t port)
    : d_(std::make_unique<Private>(tree, modelName, port)) {}

ParameterInfoBuilderXML::~ParameterInfoBuilderXML() = default;

std::string ParameterInfoBuilderXML::buildXml() {
    Private& d = *d_;
    d.root = std::make_unique<XmlCategory>("Root");
    d.lastParent = nullptr;
    d.lastCategory = nullptr;
    d.out.clear();
    d.out.reserve(d.estimatedSize());
    d.writeHeader();
    forEachFeature(d.tree, d.port, [&d](const ParameterInfoNode& feature, const ParameterInfoNode* parent) {
        d.writeFeature(feature, parent);
    });
    d.root->write(d.out, true);
    d.out.append("<Port Name=\"DevicePort\"></Port>\n</RegisterDescription>\n"sv);
    return std::move(d.out);
}

const XmlCategory& ParameterInfoBuilderXML::rootCategory() const {
    return *d_->root;
}

} // namespace kestrel
