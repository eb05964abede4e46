// kestrel params [PATTERN] [--json] [--changed]: the applet's parameters with their descriptions,
// current and default values, ranges, units, access and enumeration entries.
#include "command.h"
#include "core/parameter_view.h"
#include "core/suggest.h"
#include "core/system_calls.h"

#include "grabhost5.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace kestrel::tool {
namespace {

struct Arguments {
    std::string pattern;
    bool json = false;
    bool changed = false;
};

// One feature as the command shows it.
std::string paramName(const Node* node) {
    return node->paramName != nullptr ? node->paramName : "";
}

struct Row {
    const Node* node = nullptr;
    std::string category; // "Trigger / Trigger Input / External"
    std::string value;    // as valueText gives it, or "(reason)" when it cannot be read
    std::string defaultValue;
    std::string description; // the applet's text for the name; often empty
    bool readable = false;
};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A pattern with * ? [ is a shell pattern over the whole name; plain text matches anywhere. Case
// is ignored either way.
bool matches(const std::string& pattern, const std::string& text) {
    if (pattern.empty())
        return true;
    if (pattern.find_first_of("*?[") != std::string::npos)
        return os::matchesShellPattern(pattern, text);
    return lower(text).find(lower(pattern)) != std::string::npos;
}

std::string readText(const AppletParameters& parameters, const Node* node, bool* readable) {
    int32_t code = 0;
    const auto value = parameters.valueText(node, node->id, &code);
    *readable = value.has_value();
    return value ? *value : "(" + codeText(code) + ")";
}

// The features in tree order with the path of categories above each.
std::vector<Row> collect(const AppletParameters& parameters) {
    std::vector<Row> rows;
    std::vector<std::string> path;
    walkTree(parameters.firstRoot(), [&](const Node* node, int depth) {
        if (node->type == GH5_NODE_CATEGORY) {
            path.resize(static_cast<std::size_t>(depth));
            path.push_back(latin1ToUtf8(node->name));
            return;
        }
        Row row;
        row.node = node;
        for (std::size_t i = 0; i < path.size() && i < static_cast<std::size_t>(depth); ++i)
            row.category += (i == 0 ? "" : " / ") + path[i];
        row.value = readText(parameters, node, &row.readable);
        rows.push_back(std::move(row));
    });
    return rows;
}

const char* kindName(int32_t type) {
    switch (type) {
    case GH5_NODE_ENUMERATION:
        return "enumeration";
    case GH5_NODE_STRING:
        return "string";
    case GH5_NODE_DOUBLE:
        return "double";
    case GH5_NODE_INTEGER_ARRAY:
        return "integer array";
    case GH5_NODE_INTEGER64:
    case GH5_NODE_WIDE_INTEGER64:
        return "64-bit integer";
    default:
        return "integer";
    }
}

// ---- text ----

// A description under its feature, broken between words to stay readable in a terminal.
void printWrapped(const std::string& text) {
    constexpr std::size_t kWidth = 96;
    const std::string indent = "    ";
    std::istringstream words(text);
    std::string word;
    std::string line;
    while (words >> word) {
        if (!line.empty() && indent.size() + line.size() + 1 + word.size() > kWidth) {
            std::cout << indent << line << "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty())
        std::cout << indent << line << "\n";
}

void printText(const std::vector<Row>& rows) {
    std::string category;
    for (const Row& row : rows) {
        const Node* node = row.node;
        if (row.category != category) {
            category = row.category;
            std::cout << category << "\n";
        }
        std::cout << "  " << paramName(node) << " = " << row.value;
        if (node->unit != nullptr && node->unit[0] != '\0')
            std::cout << " " << latin1ToUtf8(node->unit);
        if (row.defaultValue != row.value)
            std::cout << " (default " << row.defaultValue << ")";
        if (node->type != GH5_NODE_ENUMERATION) {
            if (const std::string range = rangeText(node); !range.empty())
                std::cout << "  " << range;
        }
        std::cout << "  " << accessText(node->access) << "  \"" << latin1ToUtf8(node->name) << "\"\n";
        if (!row.description.empty() && row.description != paramName(node))
            printWrapped(row.description);
        if (node->type != GH5_NODE_ENUMERATION)
            continue;
        const auto& entries = node->kind.enumeration;
        for (int32_t i = 0; i < entries.entryCount; ++i) {
            const char* symbol = entries.symbolicNames != nullptr ? entries.symbolicNames[i] : nullptr;
            const char* display = entries.displayNames != nullptr ? entries.displayNames[i] : nullptr;
            std::cout << "      " << (symbol != nullptr ? symbol : "") << " = " << entries.values[i] << "  \""
                      << latin1ToUtf8(display) << "\"\n";
        }
    }
}

// ---- JSON ----

std::string jsonString(const std::string& utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

// The JSON form of a value as valueText printed it: numbers stay numbers, an enumeration gives
// its entry's symbol (a number when it has none), texts are unquoted and escaped again.
std::string jsonValue(const Node* node, const std::string& text, bool readable) {
    if (!readable || node->type == GH5_NODE_INTEGER_ARRAY)
        return "null";
    switch (node->type) {
    case GH5_NODE_STRING:
        return jsonString(text.size() >= 2 ? text.substr(1, text.size() - 2) : text);
    case GH5_NODE_ENUMERATION: {
        const auto open = text.rfind(" (");
        return open == std::string::npos ? text : jsonString(text.substr(0, open));
    }
    case GH5_NODE_DOUBLE:
        // JSON has no infinities or NaN.
        return text.find_first_of("ni") != std::string::npos ? "null" : text;
    default:
        return text;
    }
}

template <class T> std::string number(T value) {
    return std::to_string(value);
}

std::string numberDouble(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    const std::string out = text;
    return out.find_first_of("ni") != std::string::npos ? "null" : out;
}

// Limits by kind, as "key":value pairs after a comma.
std::string jsonLimits(const Node* node) {
    switch (node->type) {
    case GH5_NODE_INTEGER:
    case GH5_NODE_INTEGER32: {
        const auto& r = node->kind.integer;
        return ",\"minimum\":" + number(r.minimum) + ",\"maximum\":" + number(r.maximum) +
               ",\"increment\":" + number(r.increment);
    }
    case GH5_NODE_INTEGER64:
    case GH5_NODE_WIDE_INTEGER64: {
        const auto& r = node->kind.integer64;
        return ",\"minimum\":" + number(r.minimum) + ",\"maximum\":" + number(r.maximum) +
               ",\"increment\":" + number(r.increment);
    }
    case GH5_NODE_DOUBLE: {
        const auto& r = node->kind.real;
        return ",\"minimum\":" + numberDouble(r.minimum) + ",\"maximum\":" + numberDouble(r.maximum) +
               ",\"increment\":" + numberDouble(r.increment);
    }
    case GH5_NODE_INTEGER_ARRAY: {
        const auto& r = node->kind.integerArray;
        return ",\"elements\":" + number(r.elementCount) + ",\"minimum\":" + number(r.minimum) +
               ",\"maximum\":" + number(r.maximum);
    }
    case GH5_NODE_ENUMERATION: {
        const auto& entries = node->kind.enumeration;
        std::string out = ",\"entries\":[";
        for (int32_t i = 0; i < entries.entryCount; ++i) {
            const char* symbol = entries.symbolicNames != nullptr ? entries.symbolicNames[i] : nullptr;
            const char* display = entries.displayNames != nullptr ? entries.displayNames[i] : nullptr;
            out += std::string(i == 0 ? "" : ",") +
                   "{\"name\":" + (symbol != nullptr ? jsonString(symbol) : "null") +
                   ",\"value\":" + number(entries.values[i]) +
                   ",\"displayName\":" + jsonString(latin1ToUtf8(display)) + "}";
        }
        return out + "]";
    }
    default:
        return "";
    }
}

void printJson(const std::vector<Row>& rows) {
    std::cout << "{\"parameters\":[";
    bool first = true;
    for (const Row& row : rows) {
        const Node* node = row.node;
        std::cout << (first ? "\n" : ",\n") << "{\"name\":" << jsonString(paramName(node))
                  << ",\"displayName\":" << jsonString(latin1ToUtf8(node->name))
                  << ",\"description\":" << jsonString(row.description)
                  << ",\"category\":" << jsonString(row.category)
                  << ",\"type\":" << jsonString(kindName(node->type))
                  << ",\"access\":" << jsonString(accessText(node->access))
                  << ",\"unit\":" << jsonString(latin1ToUtf8(node->unit))
                  << ",\"value\":" << jsonValue(node, row.value, row.readable)
                  << ",\"default\":" << jsonValue(node, row.defaultValue, row.readable) << jsonLimits(node)
                  << "}";
        first = false;
    }
    std::cout << "\n]}\n";
}

int runParams(const ToolOptions& options, const Arguments& arguments) {
    // The defaults are what the fresh applet holds, read before --config changes anything.
    Session session(options, Session::Config::Later);
    const AppletParameters parameters(session.grabber());
    if (parameters.firstRoot() == nullptr)
        return fail("the applet publishes no parameter tree");
    std::map<const Node*, std::string> defaults;
    for (const Row& row : collect(parameters))
        defaults[row.node] = row.value;
    session.loadConfig();

    std::vector<Row> rows;
    for (Row& row : collect(parameters)) {
        row.defaultValue = defaults[row.node];
        if (!matches(arguments.pattern, paramName(row.node)) && !matches(arguments.pattern, row.node->name))
            continue;
        if (arguments.changed && row.value == row.defaultValue)
            continue;
        row.description = parameters.description(paramName(row.node));
        rows.push_back(std::move(row));
    }
    if (rows.empty() && !arguments.changed)
        return fail("no parameter matches " + arguments.pattern +
                    didYouMean(arguments.pattern, parameters.names()));
    if (arguments.json)
        printJson(rows);
    else
        printText(rows);
    return kExitOk;
}

const CommandRegistrar registrar{Command{
    "params", "list parameters: description, value and default, range, unit, access, entries",
    [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("pattern", arguments->pattern,
                       "part of a name or description (case ignored), or a pattern such as 'FG_GEN_*'");
        sub.add_flag("--json", arguments->json, "one JSON document instead of text");
        sub.add_flag("--changed", arguments->changed, "only parameters whose value is not the default");
        return std::function<int()>([&options, arguments] { return runParams(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
