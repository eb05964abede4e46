// Writing and reading ".scf" configuration files: a header section, port sections and one
// "key=value;" line per setting, looked up by section and key.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/config_file_index.h"
#include "core/unique_file.h"

namespace kestrel {

class DiagnosticLog;

// Result of a text lookup whose key is missing; the value then reads "Error".
inline constexpr int32_t kConfigKeyMissing = -8000;
// Result of a typed lookup whose key is missing (or whose value text contains "Error").
inline constexpr int32_t kConfigValueMissing = -1;

// One configuration file, for one save or one load. Keys, sections and file names are
// NUL-terminated 8-bit strings; a null one is never found and never written.
//
// Lookups answer as a rescan of the file from its first line would: the file is read in line
// pieces of at most 255 characters (a longer line is several lines), the first line holding the
// section text anywhere opens the section, and the first later line that begins with the key
// directly followed by '=' gives the value (later section lines do not end the search). The file
// is read once and indexed; a write makes the next lookup read it again.
//
// Every written line is flushed to the file at once, so a reader (or a crash) in the middle of a
// save sees each line written so far. Write errors of the stream are ignored, as callers of a
// save expect: its result speaks only of creating the file.
class Fg_ConfigFileParser {
public:
    // Opens `fileName` only when checkFileType() and checkFileExist() pass: mode "r" when
    // `readOnly`, else "r+"; otherwise the parser has no stream. `log` is not owned, may be null
    // (then the parser writes no messages) and must outlive the parser.
    Fg_ConfigFileParser(DiagnosticLog* log, const char* fileName, bool readOnly);
    Fg_ConfigFileParser(const Fg_ConfigFileParser&) = delete;
    Fg_ConfigFileParser& operator=(const Fg_ConfigFileParser&) = delete;
    // Flushes and closes the stream.
    ~Fg_ConfigFileParser();

    bool hasStream() const { return file_ != nullptr; }

    // Closes any open stream, then creates or empties `fileName` (mode "w"). False, with no
    // stream, when the name fails checkFileType() or the file cannot be created.
    bool setSaveFile(const char* fileName);
    // True when the name is not null and contains ".scf" anywhere (case-sensitive).
    bool checkFileType(const char* fileName) const;
    // True when the file opens for reading; it is closed again at once.
    bool checkFileExist(const char* fileName) const;

    // "[Kamerasektion]", an empty line, "ConfigFileVersion=2.0;".
    void writeConfigFileHeader();
    // An empty line and portSectionName(port).
    void writePortHeader(int32_t port);
    // "key='text';" with the text unchanged (no escaping).
    void writeConfigFile(const char* key, const char* text);
    // "key=text;"
    void writeConfigFileValue(const char* key, const char* text);
    // "key=<%d>;" An unsigned 32-bit field goes through this signed form: 4294967295 is
    // written as -1 and reads back with the same bits.
    void writeConfigFileIntKey(const char* key, int32_t value);
    // "key=<unsigned decimal>;"
    void writeConfigFileUInt64Key(const char* key, uint64_t value);
    // "key=<%.12g>;" with '.' as decimal point whatever the locale. (The name keeps its
    // historical spelling: callers know it by it.)
    void wrtiteConfigFileDoubleKey(const char* key, double value);

    // The first line holding `key` anywhere, split at '=' and '\'' (neighbouring separators
    // giving no empty parts): the second part, unchanged ("Typ=Kestrel12;" gives "Kestrel12;"
    // and its line end). 0, or kConfigKeyMissing with "Error" in `value` when no line holds the
    // key or the line has no second part.
    int32_t parseKeyFromLine(const char* key, std::string& value);

    // The value of `key` in the section found by `section`: the text behind the '=' with leading
    // '=', ';' and '\'' skipped, up to the next of them or the end of the line piece (a line end
    // included when no ';' precedes it); empty when it starts at the end, a '\r' or a '\n'.
    // 0, or kConfigKeyMissing with "Error" in `value`.
    int32_t parseKey(const char* section, const char* key, std::string& value);
    // parseKey, then the text by atoi rules (getIntValue): 0, or kConfigValueMissing when the
    // lookup fails or the value text contains "Error" (`value` is then unchanged). A value
    // that is no number reads as 0 and is no error.
    int32_t parseIntKey(const char* section, const char* key, int32_t& value);
    int32_t parseIntKey(const char* section, const char* key, uint64_t& value);
    // The same for a double (atof rules, '.' as decimal point whatever the locale).
    int32_t parseDoubleKey(const char* section, const char* key, double& value);
    // parseIntKey in the header section ("[Kamerasektion]" followed by its line end).
    int32_t parseIntKeyFromHeader(const char* key, int32_t& value);

    // The same lookups in the section portSectionName(port); kConfigValueMissing (-1), with
    // `value` unchanged, when `key` is null.
    int32_t parseKey(int32_t port, const char* key, std::string& value);
    int32_t parseIntKey(int32_t port, const char* key, int32_t& value);
    int32_t parseIntKey(int32_t port, const char* key, uint64_t& value);
    int32_t parseDoubleKey(int32_t port, const char* key, double& value);
    // The same with a key whose length the caller knows already.
    int32_t parseKey(int32_t port, std::string_view key, std::string& value);
    int32_t parseIntKey(int32_t port, std::string_view key, int32_t& value);
    int32_t parseDoubleKey(int32_t port, std::string_view key, double& value);

    // "[Port A]" for port 0, "[Port B]" for port 1, and so on.
    static std::string portSectionName(int32_t port);

    // Text to number conversions of the typed lookups; they always succeed (result 0). A null
    // or non-numeric text gives 0.
    static int32_t getIntValue(const char* text, int32_t& value);
    static int32_t getIntValue(const char* text, uint64_t& value);
    static int32_t getDoubleValue(const char* text, double& value);

private:
    void trace(const char* text) const;
    void logError(const char* text) const;
    void writeKeyLine(const char* key, std::string_view before, std::string_view text,
                      std::string_view after);
    void writeText(std::string_view text);
    ConfigFileIndex& index();
    // Drops the file as last read, and what was found in it.
    void forgetFile();
    // The piece that opens port `port`'s section: a load asks for one port's keys in a row, so
    // the section is searched once, not once per key.
    std::optional<std::size_t> portSectionLine(ConfigFileIndex& lines, int32_t port);
    // The lookup of parseKey, traced as parseKey: false when the key is missing (or the section or
    // the key is null). The text is valid until the next write.
    bool findValue(const char* section, const char* key, std::string_view& value);
    bool findPortValue(int32_t port, std::string_view key, std::string_view& value);

    struct PortSectionLine {
        int32_t port;
        std::optional<std::size_t> line;
    };

    UniqueFile file_;
    bool writable_ = false; // opened "r+" or "w"; a read-only stream ignores writes
    DiagnosticLog* log_;
    std::optional<ConfigFileIndex> index_;       // the file as last read; reset by every write
    std::optional<PortSectionLine> portSection_; // the last port section found in index_
    std::string line_;                           // reused for each written line
};

} // namespace kestrel
