// Reading a configuration file back against the applet that loaded it.
#include "configuration_check.h"

#include "config_file.h"
#include "config_text.h"
#include "file_checks.h"
#include "tool_errors.h"

#include "kestrel12.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel::tool {
namespace {

constexpr int32_t kWritable = 2;

// Each key of the "[Port A]" section with the value the applet read for it, at the line it read
// it from: a key written twice counts once, a value cut at ', ; or = counts as cut.
std::vector<std::pair<std::string, std::string>> portKeys(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const ConfigText text(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    std::vector<std::pair<std::string, std::string>> keys;
    const auto& pieces = text.pieces();
    for (std::size_t i = text.findPiece(kConfigPortSection).value_or(pieces.size()) + 1; i < pieces.size();
         ++i) {
        const std::string_view line = pieces[i].text;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0)
            continue;
        const std::string key(line.substr(0, equals));
        const auto found = text.find(kConfigPortSection, key);
        if (!found || found->piece != i)
            continue;
        std::string value(found->value);
        while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
            value.pop_back();
        keys.emplace_back(key, value);
    }
    return keys;
}

// Keys a load keeps without their setter; the LUT type and the final shading apply use them.
bool stagedOnly(int32_t id) {
    constexpr int32_t kStagedOnly[] = {KESTREL12_STAGED_ONLY_PARAMETERS};
    return std::find(std::begin(kStagedOnly), std::end(kStagedOnly), id) != std::end(kStagedOnly);
}

// Whether a number (or entry name) lies within the feature's published limits.
bool withinRange(const Node* feature, const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    const bool number = end != text.c_str() && *end == '\0';
    switch (feature->type) {
    case GH5_NODE_INTEGER:
    case GH5_NODE_INTEGER32:
        return number && value >= double(feature->kind.integer.minimum) &&
               value <= double(feature->kind.integer.maximum);
    case GH5_NODE_DOUBLE:
        return number && value >= feature->kind.real.minimum && value <= feature->kind.real.maximum;
    case GH5_NODE_ENUMERATION: {
        const auto& entries = feature->kind.enumeration;
        for (int32_t i = 0; i < entries.entryCount; ++i)
            if ((number && value == double(entries.values[i])) ||
                (entries.symbolicNames != nullptr && entries.symbolicNames[i] != nullptr &&
                 text == entries.symbolicNames[i]))
                return true;
        return false;
    }
    default:
        return true;
    }
}

// The tree gives every text that names a file its file-name filter; the kept ones name files the
// load reads (reference images, a LUT file).
const char* fileFilter(const Node* feature) {
    return feature != nullptr && feature->type == GH5_NODE_STRING ? feature->kind.string.filter : nullptr;
}

bool namesLutFile(const char* filter) {
    return std::string_view(filter).find(".lut") != std::string_view::npos;
}

} // namespace

int reportConfigurationProblems(const AppletParameters& parameters, const std::string& file,
                                bool asWarnings) {
    int problems = 0;
    std::vector<std::string> passedOver;
    const auto report = [&](const std::string& message) {
        std::cerr << "kestrel: " << (asWarnings ? "warning: " : "") << file << ": " << message << "\n";
        ++problems;
    };
    for (const auto& [key, text] : portKeys(file)) {
        const Node* feature = parameters.findFeature(key);
        if (const char* filter = fileFilter(feature)) {
            if (text.empty())
                continue;
            const std::string reason = namesLutFile(filter) ? lutFileProblem(text) : whyNotReadable(text);
            if (!reason.empty())
                report(key + ": " + text + ": " + reason +
                       " (relative names are taken from the current directory, " +
                       std::filesystem::current_path().string() + ")");
            continue;
        }
        const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), key.c_str());
        // Staged fields read back what the file says even where the board refused it, so each
        // writable value is set again: its setter's code is the answer. An entry given by name is
        // taken here.
        if (id < 0 || feature == nullptr || (feature->access & kWritable) == 0 ||
            feature->type == GH5_NODE_STRING || feature->type == GH5_NODE_INTEGER_ARRAY)
            continue;
        if (stagedOnly(id)) {
            // Setting these again would redo the LUT or the shading apply with other results.
            if (!withinRange(feature, text))
                report(key + "=" + text + " is outside the allowed range " + rangeText(feature));
            continue;
        }
        std::string why;
        const int32_t code = parameters.setFromText(feature, id, text, &why);
        // A text that is no number is named where the file is read, with what the applet makes of it.
        if (code != 0 && code != AppletParameters::kParseError) {
            // A value in range refused as no valid argument at all is refused for the state the
            // file itself sets (the legacy trigger switched on refuses the area trigger's
            // settings), which the load does on purpose: named once below, not a fault of the file.
            if (code == KESTREL12_ERR_INVALID_ARGUMENT && withinRange(feature, text)) {
                passedOver.push_back(key);
                continue;
            }
            const std::string range = rangeText(feature);
            report(key + "=" + text + " refused: " + codeText(code) +
                   (range.empty() ? "" : "; allowed " + range));
        }
    }
    if (!passedOver.empty()) {
        std::string names;
        for (const std::string& key : passedOver)
            names += (names.empty() ? "" : ", ") + key;
        std::cerr << "kestrel: note: " << file << ": " << passedOver.size()
                  << " settings are not applied in the state the file sets, which refuses them; the applet "
                     "keeps its own values of "
                  << names << "\n";
    }
    return problems;
}

} // namespace kestrel::tool
