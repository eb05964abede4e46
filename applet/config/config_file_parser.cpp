// The ".scf" configuration file parser.
#include "config/config_file_parser.h"

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
    index_.reset();
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
    index_.reset();
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
        for (std::size_t i = 0; i < lines.pieceCount(); ++i) {
            const std::string_view line = lines.piece(i);
            if (line.find(key) == std::string_view::npos) {
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

int32_t Fg_ConfigFileParser::parseKey(const char* section, const char* key, std::string& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseKey");
    if (section != nullptr && key != nullptr) {
        ConfigFileIndex& lines = index();
        if (const auto sectionLine = lines.findPieceContaining(section)) {
            const std::string_view keyText(key);
            if (const auto line = lines.findKeyLine(keyText, *sectionLine + 1)) {
                value.assign(valueText(line->substr(keyText.size())));
                return 0;
            }
        }
    }
    value.assign(kMissingText);
    return kConfigKeyMissing;
}

bool Fg_ConfigFileParser::lookupNumberText(const char* section, const char* key, std::string& text) {
    parseKey(section, key, text);
    return text.find(kMissingText) == std::string::npos;
}

int32_t Fg_ConfigFileParser::parseIntKey(const char* section, const char* key, int32_t& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseIntKey");
    std::string text;
    if (!lookupNumberText(section, key, text)) {
        return kConfigValueMissing;
    }
    return getIntValue(text.c_str(), value);
}

int32_t Fg_ConfigFileParser::parseIntKey(const char* section, const char* key, uint64_t& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseIntKey");
    std::string text;
    if (!lookupNumberText(section, key, text)) {
        return kConfigValueMissing;
    }
    return getIntValue(text.c_str(), value);
}

int32_t Fg_ConfigFileParser::parseDoubleKey(const char* section, const char* key, double& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseDoubleKey");
    std::string text;
    if (!lookupNumberText(section, key, text)) {
        return kConfigValueMissing;
    }
    return getDoubleValue(text.c_str(), value);
}

int32_t Fg_ConfigFileParser::parseIntKeyFromHeader(const char* key, int32_t& value) {
    TraceScope scope(log_, "Fg_ConfigFileParser::parseIntKeyFromHeader");
    return parseIntKey(kHeaderSection, key, value);
}

int32_t Fg_ConfigFileParser::parseKey(int32_t port, const char* key, std::string& value) {
    if (key == nullptr) {
        return kConfigValueMissing;
    }
    return parseKey(portSectionName(port).c_str(), key, value);
}

int32_t Fg_ConfigFileParser::parseIntKey(int32_t port, const char* key, int32_t& value) {
    if (key == nullptr) {
        return kConfigValueMissing;
    }
    return parseIntKey(portSectionName(port).c_str(), key, value);
}

int32_t Fg_ConfigFileParser::parseIntKey(int32_t port, const char* key, uint64_t& value) {
    if (key == nullptr) {
        return kConfigValueMissing;
    }
    return parseIntKey(portSectionName(port).c_str(), key, value);
}

int32_t Fg_ConfigFileParser::parseDoubleKey(int32_t port, const char* key, double& value) {
    if (key == nullptr) {
        return kConfigValueMissing;
    }
    return parseDoubleKey(portSectionName(port).c_str(), key, value);
}

std::string Fg_ConfigFileParser::portSectionName(int32_t port) {
    std::string name = "[Port ";
    // Unsigned arithmetic: any port gives some letter byte, never an overflow.
    name.push_back(static_cast<char>(static_cast<uint32_t>('A') + static_cast<uint32_t>(port)));
    name.push_back(']');
    return name;
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
