// Writing and reading LUT files.
#include "correction/lut_file.h"

#include <array>
#include <charconv>
#include <optional>
#include <string>

#include "config/line_pieces.h"
#include "config/text_numbers.h"
#include "core/error_codes.h"
#include "core/unique_file.h"

namespace kestrel {
namespace {

constexpr std::array<std::string_view, 4> kKeys = {"id", "nrOfElements", "format", "number"};

void appendKeyLine(std::string& text, std::string_view key, int32_t value) {
    text.append(key).append("=").append(NumberText::ofInt(value).view()).append(";\n");
}

// The key values of the file, each from the first line that holds the key's name anywhere (the
// part behind its '=' or '\'', read by atoi); 0 for a key no line holds. One pass for all four.
std::array<int32_t, kKeys.size()> readKeys(std::FILE* stream) {
    std::array<int32_t, kKeys.size()> values{};
    std::array<bool, kKeys.size()> found{};
    std::size_t remaining = kKeys.size();
    LinePieceReader reader(stream);
    while (remaining > 0) {
        const auto piece = reader.next();
        if (!piece) {
            break;
        }
        const std::string_view line = cStringView(*piece);
        for (std::size_t i = 0; i < kKeys.size(); ++i) {
            if (found[i] || line.find(kKeys[i]) == std::string_view::npos) {
                continue;
            }
            found[i] = true;
            --remaining;
            const auto part = nthToken(line, "='", 1);
            values[i] = part ? atoiValue(*part) : 0;
        }
    }
    return values;
}

// The text an entry's line must hold: its index in decimal followed by ','.
std::string_view indexText(uint32_t index, std::array<char, 16>& buffer) {
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size() - 1, index);
    *end = ',';
    return std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.data()) + 1);
}

void readValues(std::FILE* stream, std::string_view section, std::vector<uint32_t>& values) {
    LinePieceReader reader(stream);
    std::optional<std::string_view> piece;
    while ((piece = reader.next()) && cStringView(*piece).find(section) == std::string_view::npos) {
    }
    // Entries fill strictly in index order, one candidate line each: a line is used only when it
    // holds the next expected index (as a substring, so "1," is also found in "11,"), and a
    // line that does not hold it is passed over for good.
    std::array<char, 16> buffer{};
    uint32_t next = 0;
    std::string_view wanted = indexText(next, buffer);
    for (; piece && next < values.size(); piece = reader.next()) {
        const std::string_view line = cStringView(*piece);
        if (line.find(wanted) == std::string_view::npos) {
            continue;
        }
        const auto part = nthToken(line, ",", 1);
        values[next] = static_cast<uint32_t>(part ? atoiValue(*part) : 0);
        ++next;
        wanted = indexText(next, buffer);
    }
}

} // namespace

int32_t writeLutFile(const char* path, const LutRecord& record) {
    if (record.values.size() < record.nrOfElements) {
        return kErrInvalidArgument;
    }
    UniqueFile file = openFile(path, "w");
    if (!file) {
        return kErrGeneric;
    }
    std::string text = "# Lut data file v1.1\n\n\n\n[gray]\n\n";
    // Numbers are written as signed decimals, so values above INT32_MAX appear negative and
    // read back with the same bits.
    appendKeyLine(text, kKeys[0], static_cast<int32_t>(record.id));
    appendKeyLine(text, kKeys[1], static_cast<int32_t>(record.nrOfElements));
    appendKeyLine(text, kKeys[2], static_cast<int32_t>(record.format));
    appendKeyLine(text, kKeys[3], record.number);
    text.reserve(text.size() + static_cast<std::size_t>(record.nrOfElements) * 12);
    for (uint32_t k = 0; k < record.nrOfElements; ++k) {
        text.append(NumberText::ofInt(static_cast<int32_t>(k)).view())
            .append(",")
            .append(NumberText::ofInt(static_cast<int32_t>(record.values[k])).view())
            .append(";\n");
    }
    std::fwrite(text.data(), 1, text.size(), file.get());
    return kOk;
}

int32_t readLutFile(const char* path, LutRecord& record, std::string_view section) {
    record.values = std::vector<uint32_t>();
    UniqueFile file = openFile(path, "r");
    if (!file) {
        return kErrGeneric;
    }
    const auto keys = readKeys(file.get());
    record.id = static_cast<uint32_t>(keys[0]);
    record.nrOfElements = static_cast<uint32_t>(keys[1]);
    record.format = static_cast<uint32_t>(keys[2]);
    record.number = static_cast<uint8_t>(keys[3]);
    if (record.nrOfElements > kLutFileMaxElements) {
        return kErrOutOfRange;
    }
    record.values.assign(record.nrOfElements, 0);
    std::rewind(file.get());
    readValues(file.get(), section, record.values);
    return kOk;
}

} // namespace kestrel
