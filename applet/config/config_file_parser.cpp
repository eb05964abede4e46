// The ".scf" configuration file parser.
#include "config/config_file_parser.h"

#include <array>
#include <cstring>
#include <string_view>

#include "config/line_pieces.h"
#include "config/text_numbers.h"
#include "support/diagnostic_log.h"

namespace kestrel {
namespace {

// The header section is recognised with its line end, so that a value that merely contains the
// text cannot open it.
constexpr const char* kHeaderSection = "[Kamerasektion]\n";
constexpr std::string_view kMissingText = "Error";

// Entry trace of a method, and its matching exit trace.
class TraceScope {
public:
    TraceScope(DiagnosticLog* log, const char* method) : log_(log) {
        if (log_ != nullptr) {
            log_->logTrace(method);
        }
    }
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;
    ~TraceScope() {
        if (log_ != nullptr) {
            log_->logTraceDone();
        }
    }

private:
    DiagnosticLog* log_;
};

bool isValueSeparator(char c) {
    return c == '=' || c == ';' || c == '\'';
}

// The value text of a key line, starting at the '=' behind the key. The separators are tested
// directly: find_first_of would search the separator set once for every byte of the line.
std::string_view valueText(std::string_view behindKey) {
    std::size_t start = 0;
    while (start < behindKey.size() && isValueSeparator(behindKey[start])) {
        ++start;
    }
    if (start == behindKey.size() || behindKey[start] == '\r' || behindKey[start] == '\n') {
        return {};
    }
    std::size_t stop = start + 1;
    while (stop < behindKey.size() && !isValueSeparator(behindKey[stop])) {
        ++stop;
    }
    return behindKey.substr(start, stop - start);
}

// "[Port A]" for port 0 and so on, built where it is used: the port lookups need it once per key,
// and a string for each would cost more than the lookup itself.
class PortSection {
public:
    explicit PortSection(int32_t port) {
        // Unsigned arithmetic: any port gives some letter byte, never an overflow.
        text_[kLetter] = static_cast<char>(static_cast<uint32_t>('A') + static_cast<uint32_t>(port));
    }
    std::string_view view() const { return std::string_view(text_.data(), text_.size()); }

private:
    static constexpr std::size_t kLetter = 6;
    std::array<char, 8> text_{'[', 'P', 'o', 'r', 't', ' ', '?', ']'};
};

// The value text of `key` in the section opened by `sectionLine`; false when either is missing.
bool valueBehind(ConfigFileIndex& lines, std::optional<std::size_t> sectionLine, std::string_view key,
                 std::string_view& value) {
    if (!sectionLine) {
        return false;
    }
    const auto line = lines.findKeyLine(key, *sectionLine + 1);
    if (!line) {
        return false;
    }
    value = valueText(line->substr(key.size()));
    return true;
}

int32_t textResult(bool found, std::string_view text, std::string& value) {
    if (!found) {
        value.assign(kMissingText);
        return kConfigKeyMissing;
    }
    value.assign(text);
    return 0;
}

// A value text the typed lookups convert: one that was found and does not hold "Error".
bool isNumberText(bool found, std::string_view text) {
    return found && text.find(kMissingText) == std::string_view::npos;
}

// The numbers are read from the file's own text; value texts hold no NUL (a piece's text ends
// at its first), so they read as the C strings of the same bytes would.
int32_t intResult(bool found, std::string_view text, int32_t& value) {
    if (!isNumberText(found, text)) {
        return kConfigValueMissing;
    }
    value = atoiValue(text);
    return 0;
}

int32_t intResult(bool found, std::string_view text, uint64_t& value) {
    if (!isNumberText(found, text)) {
        return kConfigValueMissing;
    }
    value = unsignedDecimalValue(text);
    return 0;
}

int32_t doubleResult(bool found, std::string_view text, double& value) {
    if (!isNumberText(found, text)) {
        return kConfigValueMissing;
    }
    // strtod reads C strings; a value text lies within one piece, so it fits.
    std::array<char, kLinePieceMax + 1> terminated;
    terminated[text.copy(terminated.data(), text.size())] = '\0';
    value = atofValue(terminated.data());
    return 0;
}

} // namespace

Fg_ConfigFileParser::Fg_ConfigFileParser(DiagnosticLog* log, const char* fileName, bool readOnly)
    : log_(log) {
    TraceScope scope(log_, "Fg_ConfigFileParser::Fg_ConfigFileParser");
    if (!checkFileType(fileName)) {
        return;
    }
    if (readOnly) {
        // Opening for reading is the existence check itself: one open instead of two.
        file_ = openFile(fileName, "r");
        trace(file_ ? "Config File exist" : "Config File don't exist");
        return;
    }
    if (!checkFileExist(fileName)) {
        return;
    }
    file_ = openFile(fileName, "r+");
    writable_ = file_ != nullptr;
    if (!file_) {
        logError("Config File: fopen failed");
    }
}

Fg_ConfigFileParser::~Fg_ConfigFileParser() {
    if (file_) {
        std::fflush(file_.get());
    }
}

void Fg_ConfigFileParser::trace(const char* text) const {
    if (log_ != nullptr) {
        log_->logTrace(text);
    }
}

void Fg_ConfigFileParser::logError(const char* text) const {
    if (log_ != nullptr) {
        log_->logError(text);
    }
}

bool Fg_ConfigFileParser::setSaveFile(const char* fileName) {
    TraceScope scope(log_, "Fg_ConfigFileParser::setSaveFile");
    file_.reset();
    writable_ = false;
    forgetFile();
    if (!checkFileType(fileName)) {
        logError("Config File is Invalid");
        return false;
    }
    file_ = openFile(fileName, "w");
    if (!file_) {
        logError("Config File: fopen failed");
        return false;
    }
    writable_ = true;
    trace("Config File is valid");
    return true;
}

bool Fg_ConfigFileParser::checkFileType(const char* fileName) const {
    TraceScope scope(log_, "Fg_ConfigFileParser::checkFileType");
    const bool ok = fileName != nullptr && std::strstr(fileName, ".scf") != nullptr;
    trace(ok ? "File type ok" : "File type not ok");
    return ok;
}

bool Fg_ConfigFileParser::checkFileExist(const char* fileName) const {
    TraceScope scope(log_, "Fg_ConfigFileParser::checkFileExist");
    const bool exists = openFile(fileName, "r") != nullptr;
    trace(exists ? "Config File exist" : "Config File don't exist");
    return exists;
}

void Fg_ConfigFileParser::writeText(std::string_view text) {
    if (!file_) {
        return;
    }
    if (!writable_) {
        return;
    }
    forgetFile();
    // Stream errors are not reported: the save's result speaks only of creating the file.
    std::fwrite(text.data(), 1, text.size(), file_.get());
    std::fflush(file_.get());
}

void Fg_ConfigFileParser::writeKeyLine(const char* key, std::string_view before, std::string_view text,
                                       std::string_view after) {
    if (key == nullptr) {
        return;
    }
    line_.assign(key);
    line_.append(before).append(text).append(after);
    writeText(line_);
}

void Fg_ConfigFileParser::writeConfigFileHeader() {
    TraceScope scope(log_, "Fg_ConfigFileParser::writeConfigFileHeader");
    writeText("[Kamerasektion]\n\nConfigFileVersion=2.0;\n");
}

void Fg_ConfigFileParser::writePortHeader(int32_t port) {
    TraceScope scope(log_, "Fg_ConfigFileParser::writePortHeader");
    line_.assign("\n");
    line_.append(portSectionName(port)).append("\n");
    writeText(line_);
}

void Fg_ConfigFileParser::writeConfigFile(const char* key, const char* text) {
    TraceScope scope(log_, "Fg_ConfigFileParser::writeConfigFile");
    if (text != nullptr) {
        writeKeyLine(key, "='", text, "';\n");
    }
}

void Fg_ConfigFileParser::writeConfigFileValue(const char* key, const char* text) {
    TraceScope scope(log_, "Fg_ConfigFileParser::writeConfigFileValue");
    if (text != nullptr) {
        writeKeyLine(key, "=", text, ";\n");
    }
}

void Fg_ConfigFileParser::writeConfigFileIntKey(const char* key, int32_t value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::writeConfigFileIntKey");
    writeKeyLine(key, "=", NumberText::ofInt(value).view(), ";\n");
}

void Fg_ConfigFileParser::writeConfigFileUInt64Key(const char* key, uint64_t value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::writeConfigFileUInt64Key");
    writeKeyLine(key, "=", NumberText::ofUInt64(value).view(), ";\n");
}

void Fg_ConfigFileParser::wrtiteConfigFileDoubleKey(const char* key, double value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::wrtiteConfigFileDoubleKey");
    writeKeyLine(key, "=", NumberText::ofDouble(value).view(), ";\n");
}

ConfigFileIndex& Fg_ConfigFileParser::index() {
    if (index_) {
        return *index_;
    }
    if (!file_) {
        return index_.emplace();
    }
    std::FILE* stream = file_.get();
    if (!writable_) {
        // A read-only stream is read once, from its fresh start: no seeks needed.
        return index_.emplace(stream);
    }
    // Read the whole file from its start without moving the place later writes go to.
    std::fflush(stream);
    const long position = std::ftell(stream);
    std::rewind(stream);
    index_.emplace(stream);
    std::clearerr(stream);
    if (position >= 0) {
        std::fseek(stream, position, SEEK_SET);
    }
    return *index_;
}

int32_t Fg_ConfigFileParser::parseKeyFromLine(const char* key, std::string& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseKeyFromLine");
    if (key != nullptr) {
        ConfigFileIndex& lines = index();
        const std::string_view keyText(key);
        for (std::size_t i = 0; i < lines.pieceCount(); ++i) {
            const std::string_view line = lines.piece(i);
            if (line.find(keyText) == std::string_view::npos) {
                continue;
            }
            // Only the first line holding the key counts, even when it has no value part.
            if (const auto part = nthToken(line, "='", 1)) {
                value.assign(*part);
                return 0;
            }
            break;
        }
    }
    value.assign(kMissingText);
    return kConfigKeyMissing;
}

void Fg_ConfigFileParser::forgetFile() {
    index_.reset();
    portSection_.reset();
}

std::optional<std::size_t> Fg_ConfigFileParser::portSectionLine(ConfigFileIndex& lines, int32_t port) {
    if (!portSection_ || portSection_->port != port) {
        portSection_ = PortSectionLine{port, lines.findPieceContaining(PortSection(port).view())};
    }
    return portSection_->line;
}

bool Fg_ConfigFileParser::findValue(const char* section, const char* key, std::string_view& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseKey");
    if (section == nullptr || key == nullptr) {
        return false;
    }
    ConfigFileIndex& lines = index();
    return valueBehind(lines, lines.findPieceContaining(section), key, value);
}

bool Fg_ConfigFileParser::findPortValue(int32_t port, std::string_view key, std::string_view& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseKey");
    ConfigFileIndex& lines = index();
    return valueBehind(lines, portSectionLine(lines, port), key, value);
}

int32_t Fg_ConfigFileParser::parseKey(const char* section, const char* key, std::string& value) {
    std::string_view text;
    const bool found = findValue(section, key, text);
    return textResult(found, text, value);
}

int32_t Fg_ConfigFileParser::parseIntKey(const char* section, const char* key, int32_t& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseIntKey");
    std::string_view text;
    const bool found = findValue(section, key, text);
    return intResult(found, text, value);
}

int32_t Fg_ConfigFileParser::parseIntKey(const char* section, const char* key, uint64_t& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseIntKey");
    std::string_view text;
    const bool found = findValue(section, key, text);
    return intResult(found, text, value);
}

int32_t Fg_ConfigFileParser::parseDoubleKey(const char* section, const char* key, double& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseDoubleKey");
    std::string_view text;
    const bool found = findValue(section, key, text);
    return doubleResult(found, text, value);
}

int32_t Fg_ConfigFileParser::parseIntKeyFromHeader(const char* key, int32_t& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseIntKeyFromHeader");
    return parseIntKey(kHeaderSection, key, value);
}

int32_t Fg_ConfigFileParser::parseKey(int32_t port, const char* key, std::string& value) {
    if (key == nullptr) {
        return kConfigValueMissing;
    }
    return parseKey(port, std::string_view(key), value);
}

int32_t Fg_ConfigFileParser::parseIntKey(int32_t port, const char* key, int32_t& value) {
    if (key == nullptr) {
        return kConfigValueMissing;
    }
    return parseIntKey(port, std::string_view(key), value);
}

int32_t Fg_ConfigFileParser::parseIntKey(int32_t port, const char* key, uint64_t& value) {
    if (key == nullptr) {
        return kConfigValueMissing;
    }
    TraceScope scope(log_, "Fg_ConfigFileParser::parseIntKey");
    std::string_view text;
    const bool found = findPortValue(port, key, text);
    return intResult(found, text, value);
}

int32_t Fg_ConfigFileParser::parseDoubleKey(int32_t port, const char* key, double& value) {
    if (key == nullptr) {
        return kConfigValueMissing;
    }
    return parseDoubleKey(port, std::string_view(key), value);
}

int32_t Fg_ConfigFileParser::parseKey(int32_t port, std::string_view key, std::string& value) {
    std::string_view text;
    const bool found = findPortValue(port, key, text);
    return textResult(found, text, value);
}

int32_t Fg_ConfigFileParser::parseIntKey(int32_t port, std::string_view key, int32_t& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseIntKey");
    std::string_view text;
    const bool found = findPortValue(port, key, text);
    return intResult(found, text, value);
}

int32_t Fg_ConfigFileParser::parseDoubleKey(int32_t port, std::string_view key, double& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseDoubleKey");
    std::string_view text;
    const bool found = findPortValue(port, key, text);
    return doubleResult(found, text, value);
}

std::string Fg_ConfigFileParser::portSectionName(int32_t port) {
    return std::string(PortSection(port).view());
}

int32_t Fg_ConfigFileParser::getIntValue(const char* text, int32_t& value) {
    value = text != nullptr ? atoiValue(text) : 0;
    return 0;
}

int32_t Fg_ConfigFileParser::getIntValue(const char* text, uint64_t& value) {
    value = text != nullptr ? unsignedDecimalValue(text) : 0;
    return 0;
}

int32_t Fg_ConfigFileParser::getDoubleValue(const char* text, double& value) {
    value = atofValue(text);
    return 0;
}

} // namespace kestrel
