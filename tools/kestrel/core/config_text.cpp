// Reading a configuration file's text as the applet does, and naming what it would read wrong.
#include "config_text.h"

#include "suggest.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace kestrel::tool {
namespace {

constexpr std::string_view kValueSeparators = "=;'";

// The value behind a key's '=' as the applet cuts it.
std::string_view valueText(std::string_view behindKey) {
    const std::size_t start = behindKey.find_first_not_of(kValueSeparators);
    if (start == std::string_view::npos)
        return {};
    std::string_view value = behindKey.substr(start);
    value = value.substr(0, value.find_first_of(kValueSeparators));
    if (value.front() == '\r' || value.front() == '\n')
        return {};
    return value;
}

// The part with index `index` of text split at any of delimiters, empty parts skipped.
std::optional<std::string_view> nthPart(std::string_view text, std::string_view delimiters,
                                        std::size_t index) {
    std::size_t at = 0;
    for (std::size_t part = 0;; ++part) {
        at = text.find_first_not_of(delimiters, at);
        if (at == std::string_view::npos)
            return std::nullopt;
        const std::size_t end = std::min(text.find_first_of(delimiters, at), text.size());
        if (part == index)
            return text.substr(at, end - at);
        at = end;
    }
}

std::string_view withoutLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Line ends and other control characters made visible, for quoting a value in a message.
std::string shown(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

bool isIdentifier(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// Why a number key's value is not the number it looks like to its writer, or "".
std::string numberProblem(std::string_view value, ConfigValueKind kind) {
    const std::string text(value);
    if (text.find("Error") != std::string::npos)
        return "holds \"Error\", which the applet takes for a missing key";
    if (text.empty())
        return "has no value; the applet reads 0";
    char* end = nullptr;
    errno = 0;
    if (kind == ConfigValueKind::Integer) {
        const long long number = std::strtoll(text.c_str(), &end, 10);
        const bool whole = end != text.c_str() && *end == '\0' && text.front() != ' ' && text.front() != '\t';
        if (!whole)
            return "is no whole number; the applet reads " + std::to_string(std::atoi(text.c_str()));
        // An unsigned 32-bit field is written as its signed bits; both spellings read back alike.
        if (errno == ERANGE || number < -2147483648LL || number > 4294967295LL)
            return "does not fit in 32 bits";
        return "";
    }
    (void)std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || text.front() == ' ' || text.front() == '\t') {
        char shownNumber[32];
        std::snprintf(shownNumber, sizeof shownNumber, "%.12g", std::atof(text.c_str()));
        return std::string("is no number; the applet reads ") + shownNumber;
    }
    return "";
}

} // namespace

ConfigText::ConfigText(std::string_view content) {
    text_.reserve(content.size());
    for (std::size_t i = 0; i < content.size(); ++i)
        if (!(content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n'))
            text_ += content[i];
    int line = 1;
    bool startsLine = true;
    for (std::size_t at = 0; at < text_.size();) {
        const std::size_t newline = text_.find('\n', at);
        const std::size_t end = std::min(
            {newline == std::string::npos ? text_.size() : newline + 1, at + kConfigPieceMax, text_.size()});
        std::string_view piece = std::string_view(text_).substr(at, end - at);
        const bool endsLine = piece.back() == '\n';
        piece = piece.substr(0, piece.find('\0'));
        pieces_.push_back({piece, line, startsLine});
        startsLine = endsLine;
        if (endsLine)
            ++line;
        at = end;
    }
}

std::optional<std::size_t> ConfigText::findPiece(std::string_view text) const {
    for (std::size_t i = 0; i < pieces_.size(); ++i)
        if (pieces_[i].text.find(text) != std::string_view::npos)
            return i;
    return std::nullopt;
}

std::optional<ConfigText::Found> ConfigText::find(std::string_view section, std::string_view key) const {
    const auto sectionPiece = findPiece(section);
    if (!sectionPiece)
        return std::nullopt;
    for (std::size_t i = *sectionPiece + 1; i < pieces_.size(); ++i) {
        const std::string_view piece = pieces_[i].text;
        if (piece.size() > key.size() && piece.compare(0, key.size(), key) == 0 && piece[key.size()] == '=')
            return Found{i, valueText(piece.substr(key.size()))};
    }
    return std::nullopt;
}

std::optional<std::string> ConfigText::headerWord(std::string_view key) const {
    const auto piece = findPiece(key);
    if (!piece)
        return std::nullopt;
    const auto part = nthPart(pieces_[*piece].text, "='", 1);
    return part ? std::optional<std::string>(*part) : std::nullopt;
}

std::vector<ConfigFinding> configurationFindings(const ConfigText& file, const ConfigLayout& layout) {
    std::vector<ConfigFinding> findings;
    const auto& pieces = file.pieces();
    for (const char* word : {"Hersteller", "Typ"})
        if (!file.headerWord(word))
            findings.push_back(
                {0, std::string("no ") + word + "='...' line: the applet loads only a file with one", true});
    if (const auto typ = file.headerWord("Typ"); typ && *typ != layout.typ)
        findings.push_back({pieces[*file.findPiece("Typ")].line,
                            "Typ reads as '" + shown(*typ) + "', not '" + layout.typ +
                                "': the applet loads only its own configurations (Typ='" + layout.typ + "';)",
                            true});
    if (const auto port = file.find(kConfigHeaderSection, "AktivePort");
        !port || port->value.find("Error") != std::string_view::npos)
        findings.push_back(
            {0, "no AktivePort=0; line below [Kamerasektion]: the applet loads only a file with one", true});
    const auto portPiece = file.findPiece(kConfigPortSection);
    if (!portPiece) {
        findings.push_back(
            {0, std::string("no ") + kConfigPortSection + " section: the applet reads every setting from it",
             true});
        return findings;
    }

    std::map<std::string, ConfigValueKind, std::less<>> kinds(layout.keys.begin(), layout.keys.end());
    std::vector<std::string> names;
    for (const auto& [key, kind] : layout.keys)
        names.push_back(key);
    std::map<std::string, int, std::less<>> firstLine;
    const auto report = [&](int line, std::string message, bool failsLoad = false) {
        findings.push_back({line, std::move(message), failsLoad});
    };
    for (std::size_t i = *portPiece + 1; i < pieces.size(); ++i) {
        const ConfigText::Piece& piece = pieces[i];
        const std::string_view text = withoutLineEnd(piece.text);
        if (!piece.startsLine)
            continue;
        if (i + 1 < pieces.size() && !pieces[i + 1].startsLine)
            report(piece.line, "the line is longer than " + std::to_string(kConfigPieceMax) +
                                   " characters; the applet reads the rest as a line of its own");
        if (trimmed(text).empty() || text.front() == '[')
            continue;
        const std::size_t equals = text.find('=');
        const std::string_view written = trimmed(text.substr(0, equals));
        const auto kind = kinds.find(written);
        if (equals == std::string_view::npos || kind == kinds.end()) {
            const std::string name(written);
            report(piece.line,
                   isIdentifier(written)
                       ? name + " is no setting of a " + layout.typ +
                             " configuration; the applet passes over it" + didYouMean(name, names)
                       : "\"" + shown(text) + "\" is no KEY=VALUE line; the applet passes over it");
            continue;
        }
        const std::string key(written);
        if (text.substr(0, equals) != written || (equals + 1 < text.size() && text[equals + 1] == ' ')) {
            // Unless the key is written properly elsewhere, the applet misses it and refuses the file.
            report(piece.line,
                   "blanks around \"=\" in \"" + shown(text) +
                       "\": the applet reads a key only from KEY=VALUE written together",
                   text.substr(0, equals) != written && !file.find(kConfigPortSection, key));
            if (text.substr(0, equals) != written)
                continue;
        }
        if (const auto seen = firstLine.find(key); seen != firstLine.end()) {
            report(piece.line, key + " is written again (first on line " + std::to_string(seen->second) +
                                   "); the applet reads only the first");
            continue;
        }
        firstLine.emplace(key, piece.line);
        const auto found = file.find(kConfigPortSection, key);
        if (!found || found->piece != i)
            continue; // read from an earlier line piece, reported there
        const std::string_view value = withoutLineEnd(found->value);
        const std::string_view behind = text.substr(equals + 1);
        const std::string plain(value);
        const bool whole = behind == plain || behind == plain + ";" || behind == "'" + plain + "'" ||
                           behind == "'" + plain + "';";
        if (!whole) {
            report(piece.line, "the applet reads " + key + " as '" + shown(value) + "' from \"" +
                                   shown(behind) + "\": a value ends at the first ', ; or =");
            continue;
        }
        if (kind->second != ConfigValueKind::Text)
            if (const std::string problem = numberProblem(value, kind->second); !problem.empty())
                report(piece.line, key + "=" + shown(value) + " " + problem,
                       problem.find("Error") != std::string::npos);
    }
    for (const auto& [key, kind] : layout.keys)
        if (!file.find(kConfigPortSection, key))
            report(0,
                   "no " + key + "= line: a complete configuration holds all " +
                       std::to_string(layout.keys.size()) + " settings, and the applet loads no other",
                   true);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const ConfigFinding& a, const ConfigFinding& b) { return a.line < b.line; });
    return findings;
}

std::optional<std::string> mergeSettings(const ConfigText& base, const ConfigText& ours,
                                         const ConfigText& theirs, const ConfigLayout& layout,
                                         std::string* conflict) {
    struct Setting {
        std::string_view value;  // as the applet reads it
        std::string_view behind; // the line's text behind "KEY=", into the file's text
    };
    const auto settingIn = [](const ConfigText& text, const std::string& key) -> std::optional<Setting> {
        const auto found = text.find(kConfigPortSection, key);
        if (!found)
            return std::nullopt;
        return Setting{withoutLineEnd(found->value),
                       withoutLineEnd(text.pieces()[found->piece].text.substr(key.size() + 1))};
    };
    const auto same = [](const std::optional<Setting>& a, const std::optional<Setting>& b) {
        return a.has_value() == b.has_value() && (!a || a->value == b->value);
    };
    std::vector<std::pair<std::string_view, std::string_view>> replacements; // in theirs, from ours
    for (const auto& [key, kind] : layout.keys) {
        const auto was = settingIn(base, key);
        const auto mine = settingIn(ours, key);
        const auto other = settingIn(theirs, key);
        if (same(mine, was) || same(mine, other))
            continue;
        if (!same(other, was) || !other || !mine) {
            const auto shownValue = [](const std::optional<Setting>& s) {
                return s ? shown(s->value) : std::string("missing");
            };
            *conflict =
                key + " (this command: " + shownValue(mine) + ", the other: " + shownValue(other) + ")";
            return std::nullopt;
        }
        replacements.emplace_back(other->behind, mine->behind);
    }
    std::string merged = theirs.text();
    std::sort(replacements.begin(), replacements.end(),
              [](const auto& a, const auto& b) { return a.first.data() > b.first.data(); });
    for (const auto& [place, text] : replacements)
        merged.replace(std::size_t(place.data() - theirs.text().data()), place.size(), text);
    return merged;
}

std::string whyNotStorable(const std::string& key, const std::string& text) {
    for (const char c : text) {
        if (c == '\'' || c == ';' || c == '=')
            return std::string("holds \"") + c + "\", where a value in a configuration file ends";
        if (c == '\n' || c == '\r')
            return "holds a line break, where a value in a configuration file ends";
    }
    // "KEY='" and the value must fit in the piece the applet reads at once.
    const std::size_t most = kConfigPieceMax - std::min(kConfigPieceMax, key.size() + 2);
    if (text.size() > most)
        return "is " + std::to_string(text.size()) + " characters long; a configuration line keeps at most " +
               std::to_string(most) + " of them behind " + key;
    return "";
}

} // namespace kestrel::tool
