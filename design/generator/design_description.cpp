// The readable design description: its model and its parser.
#include "design_description.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <set>
#include <string_view>

namespace kestrel::design {
namespace {

namespace format = designrt::format;

// The whole text as an unsigned decimal number, or nothing.
std::optional<uint64_t> decimal(std::string_view text) {
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

class LineReader {
public:
    LineReader(std::string_view line, std::string sourceName, int lineNumber)
        : rest_(line), sourceName_(std::move(sourceName)), lineNumber_(lineNumber) {}

    [[noreturn]] void fail(const std::string& message) const {
        throw DescriptionError(sourceName_ + ":" + std::to_string(lineNumber_) + ": " + message);
    }

    // The next blank-separated word; fails naming what was expected when the line has ended.
    std::string_view word(const char* what) {
        skipBlanks();
        const std::size_t end = rest_.find_first_of(" \t");
        const std::string_view w = rest_.substr(0, end);
        if (w.empty())
            fail(std::string("missing ") + what);
        rest_.remove_prefix(w.size());
        return w;
    }

    uint64_t number(const char* what, uint64_t min, uint64_t max) {
        const std::string_view w = word(what);
        const auto value = decimal(w);
        if (!value)
            fail(std::string(what) + " '" + std::string(w) + "' is not a decimal number");
        if (*value < min || *value > max)
            fail(std::string(what) + " " + std::to_string(*value) + " is outside " + std::to_string(min) +
                 " .. " + std::to_string(max));
        return *value;
    }

    // The rest of the line, without surrounding blanks: names may hold single inner blanks.
    std::string name() {
        skipBlanks();
        std::string_view n = rest_;
        while (!n.empty() && (n.back() == ' ' || n.back() == '\t'))
            n.remove_suffix(1);
        rest_ = {};
        if (n.empty())
            fail("missing name");
        if (n.size() > format::kMaxNameBytes)
            fail("name longer than " + std::to_string(format::kMaxNameBytes) + " bytes");
        if (!std::all_of(n.begin(), n.end(), [](char c) { return c >= 0x20 && c <= 0x7E; }))
            fail("name '" + std::string(n) + "' holds a character other than printable ASCII");
        if (n.find("  ") != std::string_view::npos)
            fail("name '" + std::string(n) + "' holds two blanks in a row");
        return std::string(n);
    }

    void end() {
        skipBlanks();
        if (!rest_.empty())
            fail("unexpected '" + std::string(rest_) + "' at the end of the line");
    }

private:
    void skipBlanks() {
        const std::size_t start = rest_.find_first_not_of(" \t");
        rest_.remove_prefix(start == std::string_view::npos ? rest_.size() : start);
    }

    std::string_view rest_;
    std::string sourceName_;
    int lineNumber_;
};

RegisterSpec parseRegister(LineReader& line) {
    RegisterSpec r;
    r.id = static_cast<uint32_t>(line.number("register id", 1, format::kMaxRegisterId));
    if (std::find(std::begin(kHostReservedIds), std::end(kHostReservedIds), r.id) !=
        std::end(kHostReservedIds))
        line.fail("register id " + std::to_string(r.id) + " is one of the host's own parameter ids");
    r.widthBits = static_cast<uint32_t>(line.number("width in bits", 1, format::kMaxWidthBits));

    const std::string_view access = line.word("access (rw or ro)");
    if (access != "rw" && access != "ro")
        line.fail("access '" + std::string(access) + "' is neither rw nor ro");
    r.writable = access == "rw";

    constexpr std::string_view kTablePrefix = "table:";
    const std::string_view kind = line.word("kind (value, table:<entries> or file)");
    if (kind == "value") {
        r.kind = format::RegisterKind::Value;
    } else if (kind == "file") {
        r.kind = format::RegisterKind::File;
    } else if (kind.starts_with(kTablePrefix)) {
        r.kind = format::RegisterKind::Table;
        const auto depth = decimal(kind.substr(kTablePrefix.size()));
        if (!depth || *depth == 0 || *depth > UINT32_MAX)
            line.fail("table kind '" + std::string(kind) +
                      "' needs a positive 32-bit entry count after 'table:'");
        r.depth = static_cast<uint32_t>(*depth);
    } else {
        line.fail("kind '" + std::string(kind) + "' is none of value, table:<entries>, file");
    }
    r.name = line.name();
    return r;
}

EventSpec parseEvent(LineReader& line) {
    EventSpec e;
    const std::string_view w = line.word("event kind");
    int32_t kind = 0;
    const auto [end, error] = std::from_chars(w.data(), w.data() + w.size(), kind);
    if (error != std::errc() || end != w.data() + w.size())
        line.fail("event kind '" + std::string(w) + "' is not a 32-bit number");
    e.kind = kind;
    e.name = line.name();
    return e;
}

// Checks what no single line can: uniqueness, limits of the whole image, required lines.
class DescriptionChecker {
public:
    explicit DescriptionChecker(std::string sourceName) : sourceName_(std::move(sourceName)) {}

    void registerSeen(const RegisterSpec& r, const LineReader& line) {
        if (!ids_.insert(r.id).second)
            line.fail("register id " + std::to_string(r.id) + " is used twice");
        if (!registerNames_.insert(r.name).second)
            line.fail("register name '" + r.name + "' is used twice");
        if (ids_.size() > format::kMaxRegisters)
            line.fail("more than " + std::to_string(format::kMaxRegisters) + " registers");
    }

    void eventSeen(const EventSpec& e, const LineReader& line) {
        if (!eventNames_.insert(e.name).second)
            line.fail("event name '" + e.name + "' is used twice");
        if (eventNames_.size() > format::kMaxEvents)
            line.fail("more than " + std::to_string(format::kMaxEvents) +
                      " events (one per bit of the event mask)");
    }

    void finish(const DesignDescription& d) const {
        if (d.designName.empty())
            throw DescriptionError(sourceName_ + ": missing 'design <name>' line");
        if (d.imageBytes == 0)
            throw DescriptionError(sourceName_ + ": missing 'image-bytes <n>' line");
    }

private:
    std::string sourceName_;
    std::set<uint32_t> ids_;
    std::set<std::string> registerNames_;
    std::set<std::string> eventNames_;
};

} // namespace

DesignDescription parseDescription(std::istream& in, const std::string& sourceName) {
    DesignDescription d;
    DescriptionChecker checker(sourceName);
    std::string text;
    int lineNumber = 0;
    while (std::getline(in, text)) {
        ++lineNumber;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        LineReader line(text, sourceName, lineNumber);
        const std::size_t first = text.find_first_not_of(" \t");
        if (first == std::string::npos || text[first] == '#')
            continue;

        const std::string_view keyword = line.word("keyword");
        if (keyword == "design") {
            if (!d.designName.empty())
                line.fail("second 'design' line");
            d.designName = line.name();
        } else if (keyword == "image-bytes") {
            if (d.imageBytes != 0)
                line.fail("second 'image-bytes' line");
            d.imageBytes = line.number("image length", format::kHeaderBytes, format::kMaxImageBytes);
            line.end();
        } else if (keyword == "register") {
            d.registers.push_back(parseRegister(line));
            checker.registerSeen(d.registers.back(), line);
        } else if (keyword == "event") {
            d.events.push_back(parseEvent(line));
            checker.eventSeen(d.events.back(), line);
        } else {
            line.fail("unknown keyword '" + std::string(keyword) + "'");
        }
    }
    if (in.bad())
        throw DescriptionError(sourceName + ": read error");
    checker.finish(d);
    return d;
}

} // namespace kestrel::design
