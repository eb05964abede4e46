// Reading and writing the applet's parameters by the kinds its information tree gives them.
#include "parameter_view.h"

#include "suggest.h"
#include "tool_errors.h"

#include "kestrel12.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <string_view>

namespace kestrel::tool {
namespace {

// A string get copies without a length: room for any text the applet keeps.
constexpr std::size_t kTextBuffer = 64 * 1024;
// Type codes of the exported typed get: 4 clears 64 bits before the applet writes its value.
constexpr int32_t kTypeValue = KESTREL12_TYPE_UINT32;
constexpr int32_t kTypeWide = KESTREL12_TYPE_UINT64;

std::string shortestDouble(double value) {
    std::ostringstream out;
    out.precision(15);
    out << value;
    return out.str();
}

bool parseSigned(const std::string& text, int64_t& value) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0')
        return false;
    value = parsed;
    return true;
}

bool parseUnsigned64(const std::string& text, uint64_t& value) {
    if (text.empty() || text[0] == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0')
        return false;
    value = parsed;
    return true;
}

bool parseDouble(const std::string& text, double& value) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end != text.c_str() && *end == '\0';
}

const char* textOrEmpty(const char* text) {
    return text != nullptr ? text : "";
}

// Joins texts by appending: GCC 12 warns falsely (-Wrestrict) on chains of "literal" + string.
std::string concat(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (const std::string_view part : parts)
        out.append(part);
    return out;
}

std::string interval(const std::string& low, const std::string& high) {
    return concat({"[", low, " .. ", high, "]"});
}

} // namespace

const Node* AppletParameters::firstRoot() const {
    if (exports().Fg_getParameterInfo == nullptr)
        return nullptr;
    return static_cast<const Node*>(exports().Fg_getParameterInfo(fg(), 0));
}

const Node* AppletParameters::findFeature(const std::string& name) const {
    const Node* found = nullptr;
    walkTree(firstRoot(), [&](const Node* node, int) {
        if (found == nullptr && node->type != GH5_NODE_CATEGORY && node->paramName != nullptr &&
            name == node->paramName)
            found = node;
    });
    return found;
}

std::vector<std::string> AppletParameters::names() const {
    std::vector<std::string> all;
    walkTree(firstRoot(), [&](const Node* node, int) {
        if (node->type != GH5_NODE_CATEGORY && node->paramName != nullptr)
            all.emplace_back(node->paramName);
    });
    return all;
}

std::string AppletParameters::description(const std::string& name) const {
    // The query takes the name in the buffer and answers over it; the longest text is 226 bytes.
    constexpr int32_t kDescriptionQuery = KESTREL12_DESCRIPTION_QUERY;
    std::vector<char> buffer(1024, '\0');
    if (name.size() >= buffer.size())
        return "";
    std::copy(name.begin(), name.end(), buffer.begin());
    if (exports().Fg_getParameterWithType(fg(), kDescriptionQuery, buffer.data(), 0, kTypeValue) != 0)
        return "";
    buffer.back() = '\0';
    return latin1ToUtf8(buffer.data());
}

std::optional<std::string> AppletParameters::text(int32_t id) const {
    std::vector<char> buffer(kTextBuffer, '\0');
    if (exports().Fg_getParameterWithType(fg(), id, buffer.data(), 0, kTypeValue) != 0)
        return std::nullopt;
    buffer.back() = '\0';
    return std::string(buffer.data());
}

std::optional<std::string> AppletParameters::valueText(const Node* feature, int32_t id, int32_t* code) const {
    const int32_t type = feature != nullptr ? feature->type : GH5_NODE_INTEGER;
    auto get = [&](void* value, int32_t typeCode) {
        *code = exports().Fg_getParameterWithType(fg(), id, value, 0, typeCode);
        return *code == 0;
    };
    switch (type) {
    case GH5_NODE_ENUMERATION: {
        int32_t value = 0;
        if (!get(&value, kTypeValue))
            return std::nullopt;
        const auto& entries = feature->kind.enumeration;
        for (int32_t i = 0; i < entries.entryCount; ++i)
            if (entries.values[i] == value && entries.symbolicNames != nullptr &&
                entries.symbolicNames[i] != nullptr)
                return concat({entries.symbolicNames[i], " (", std::to_string(value), ")"});
        return std::to_string(value);
    }
    case GH5_NODE_STRING: {
        std::vector<char> buffer(kTextBuffer, '\0');
        if (!get(buffer.data(), kTypeValue))
            return std::nullopt;
        buffer.back() = '\0';
        return concat({"\"", textToUtf8(buffer.data()), "\""});
    }
    case GH5_NODE_DOUBLE: {
        double value = 0;
        if (!get(&value, kTypeValue))
            return std::nullopt;
        return shortestDouble(value);
    }
    case GH5_NODE_INTEGER_ARRAY:
        *code = 0;
        return std::string("(table)");
    case GH5_NODE_INTEGER64:
    case GH5_NODE_WIDE_INTEGER64: {
        uint64_t value = 0;
        if (!get(&value, kTypeWide))
            return std::nullopt;
        return std::to_string(value);
    }
    default: {
        uint32_t value = 0;
        if (!get(&value, kTypeValue))
            return std::nullopt;
        if (feature != nullptr && feature->kind.integer.minimum < 0)
            return std::to_string(static_cast<int32_t>(value));
        return std::to_string(value);
    }
    }
}

int32_t AppletParameters::setFromText(const Node* feature, int32_t id, const std::string& text,
                                      std::string* why) const {
    auto set = [&](const void* value) {
        return exports().Fg_setParameterWithType(fg(), id, value, 0, kTypeValue);
    };
    const int32_t type = feature != nullptr ? feature->type : GH5_NODE_INTEGER;
    switch (type) {
    case GH5_NODE_ENUMERATION: {
        if (const auto entry = entryValue(feature, text))
            return set(&*entry);
        int64_t number = 0;
        if (!parseSigned(text, number) || number < INT32_MIN || number > INT32_MAX) {
            *why = concat({"'", text, "' is neither an entry nor a number; entries: ", rangeText(feature)});
            return kParseError;
        }
        const int32_t value = static_cast<int32_t>(number);
        return set(&value);
    }
    case GH5_NODE_STRING:
        return set(text.c_str());
    case GH5_NODE_DOUBLE: {
        double value = 0;
        if (!parseDouble(text, value)) {
            *why = concat({"'", text, "' is not a number"});
            return kParseError;
        }
        return set(&value);
    }
    case GH5_NODE_INTEGER64:
    case GH5_NODE_WIDE_INTEGER64: {
        uint64_t value = 0;
        if (!parseUnsigned64(text, value)) {
            *why = concat({"'", text, "' is not an unsigned number"});
            return kParseError;
        }
        return set(&value);
    }
    case GH5_NODE_INTEGER_ARRAY:
        *why = "table parameters are not set from the command line";
        return kParseError;
    default: {
        int64_t number = 0;
        if (!parseSigned(text, number) || number < INT32_MIN || number > UINT32_MAX) {
            *why = concat({"'", text, "' is not a 32-bit number"});
            return kParseError;
        }
        // Signed and unsigned 32-bit parameters share the bits.
        const uint32_t value = static_cast<uint32_t>(number);
        return set(&value);
    }
    }
}

std::optional<int32_t> entryValue(const Node* enumeration, const std::string& text) {
    if (enumeration == nullptr || enumeration->type != GH5_NODE_ENUMERATION)
        return std::nullopt;
    const auto& entries = enumeration->kind.enumeration;
    for (int32_t i = 0; i < entries.entryCount; ++i) {
        const bool bySymbol = entries.symbolicNames != nullptr && entries.symbolicNames[i] != nullptr &&
                              text == entries.symbolicNames[i];
        const bool byDisplay = entries.displayNames != nullptr && entries.displayNames[i] != nullptr &&
                               text == entries.displayNames[i];
        if (bySymbol || byDisplay)
            return entries.values[i];
    }
    return std::nullopt;
}

std::string accessText(int32_t access) {
    const bool readable = (access & 1) != 0;
    const bool writable = (access & 2) != 0;
    if (readable && writable)
        return "RW";
    if (writable)
        return "WO";
    return readable ? "RO" : "--";
}

std::string rangeText(const Node* feature) {
    if (feature == nullptr)
        return "";
    switch (feature->type) {
    case GH5_NODE_INTEGER:
    case GH5_NODE_INTEGER32: {
        const auto& range = feature->kind.integer;
        std::string text = interval(std::to_string(range.minimum), std::to_string(range.maximum));
        if (range.increment > 1)
            text += concat({" step ", std::to_string(range.increment)});
        return text;
    }
    case GH5_NODE_INTEGER64:
    case GH5_NODE_WIDE_INTEGER64: {
        const auto& range = feature->kind.integer64;
        return interval(std::to_string(range.minimum), std::to_string(range.maximum));
    }
    case GH5_NODE_DOUBLE: {
        const auto& range = feature->kind.real;
        return interval(shortestDouble(range.minimum), shortestDouble(range.maximum));
    }
    case GH5_NODE_INTEGER_ARRAY: {
        const auto& range = feature->kind.integerArray;
        return concat({std::to_string(range.elementCount), " x ",
                       interval(std::to_string(range.minimum), std::to_string(range.maximum))});
    }
    case GH5_NODE_ENUMERATION: {
        const auto& entries = feature->kind.enumeration;
        std::string text;
        for (int32_t i = 0; i < entries.entryCount; ++i) {
            if (!text.empty())
                text += ", ";
            const char* symbol = entries.symbolicNames != nullptr ? entries.symbolicNames[i] : nullptr;
            if (symbol != nullptr)
                text += concat({symbol, "="});
            text += std::to_string(entries.values[i]);
            text += concat({" \"", latin1ToUtf8(textOrEmpty(entries.displayNames[i])), "\""});
        }
        return concat({"{", text, "}"});
    }
    default:
        return "";
    }
}

std::string textToUtf8(const char* text) {
    // Values a user set from a UTF-8 terminal are already UTF-8; anything else is taken as Latin-1.
    const std::string bytes = textOrEmpty(text);
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = c < 0x80           ? 1
                                   : (c >> 5) == 0x6  ? 2
                                   : (c >> 4) == 0xE  ? 3
                                   : (c >> 3) == 0x1E ? 4
                                                      : 0;
        if (length == 0 || i + length > bytes.size())
            return latin1ToUtf8(text);
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) >> 6) != 0x2)
                return latin1ToUtf8(text);
        i += length;
    }
    return bytes;
}

std::string latin1ToUtf8(const char* text) {
    std::string out;
    for (const unsigned char c : std::string(textOrEmpty(text))) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string codeText(int32_t code) {
    return concat({gh5_error_text(code), " (", std::to_string(code), ")"});
}

std::string unknownParameter(const AppletParameters& parameters, const std::string& name, int32_t code) {
    return "no parameter " + name + ": " + codeText(code) + didYouMean(name, parameters.names());
}

namespace {

// Bounds the applet holds a value to that follow another parameter's current value. The tree
// publishes the fixed range (and, for the region, the room the partner leaves), so a refusal is
// explained by naming the partner, its value and which to set first.
struct PartnerBound {
    const char* name;
    const char* partner;
    const char* rule;
    const char* order;
};
constexpr PartnerBound kPartnerBounds[] = {
    {"FG_IMG_SELECT", "FG_IMG_SELECT_PERIOD", "FG_IMG_SELECT must be below FG_IMG_SELECT_PERIOD",
     "raise FG_IMG_SELECT_PERIOD first"},
    {"FG_IMG_SELECT_PERIOD", "FG_IMG_SELECT", "FG_IMG_SELECT_PERIOD must be above FG_IMG_SELECT",
     "lower FG_IMG_SELECT first"},
    {"FG_WIDTH", "FG_XOFFSET", "FG_XOFFSET + FG_WIDTH must not pass 4096", "lower FG_XOFFSET first"},
    {"FG_XOFFSET", "FG_WIDTH", "FG_XOFFSET + FG_WIDTH must not pass 4096", "lower FG_WIDTH first"},
    {"FG_HEIGHT", "FG_YOFFSET", "FG_YOFFSET + FG_HEIGHT must not pass 4096", "lower FG_YOFFSET first"},
    {"FG_YOFFSET", "FG_HEIGHT", "FG_YOFFSET + FG_HEIGHT must not pass 4096", "lower FG_HEIGHT first"},
};

// "; FG_IMG_SELECT must be below FG_IMG_SELECT_PERIOD, which is 1 (raise ... first)", or "".
std::string partnerBoundText(const AppletParameters& parameters, const std::string& name) {
    for (const PartnerBound& bound : kPartnerBounds) {
        if (name != bound.name)
            continue;
        const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), bound.partner);
        int32_t code = 0;
        const auto value = parameters.valueText(parameters.findFeature(bound.partner), id, &code);
        return std::string("; ") + bound.rule + ", and " + bound.partner + " is " +
               value.value_or("unknown") + " (" + bound.order + ")";
    }
    return "";
}

} // namespace

std::string trySetByName(const AppletParameters& parameters, const std::string& name,
                         const std::string& text) {
    const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), name.c_str());
    if (id < 0)
        return unknownParameter(parameters, name, id);
    std::string why;
    const Node* feature = parameters.findFeature(name);
    const int32_t code = parameters.setFromText(feature, id, text, &why);
    if (code == AppletParameters::kParseError)
        return "set " + name + ": " + why;
    if (code != 0) {
        const std::string range = rangeText(feature);
        return name + ": " + text + " refused: " + codeText(code) +
               (range.empty() ? "" : "; allowed " + range) + partnerBoundText(parameters, name);
    }
    return "";
}

int setByName(const AppletParameters& parameters, const std::string& name, const std::string& text) {
    const std::string refusal = trySetByName(parameters, name, text);
    return refusal.empty() ? kExitOk : fail(refusal);
}

int applySetting(const AppletParameters& parameters, const std::string& setting) {
    const auto equals = setting.find('=');
    if (equals == std::string::npos)
        return fail("setting " + setting + " is not NAME=VALUE");
    return setByName(parameters, setting.substr(0, equals), setting.substr(equals + 1));
}

} // namespace kestrel::tool
