// A text log with fixed line formats that survives a crash of the host: every line is flushed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace kestrel {

// Writes error and information lines to a C stream handed over by its creator. With no stream
// (never given one, or closed) every operation does nothing. Write errors are ignored. No lock:
// lines of threads sharing a log may interleave.
class DiagnosticLog {
public:
    // Takes ownership of `stream` (may be null): logClose() or the destructor closes it.
    explicit DiagnosticLog(std::FILE* stream = nullptr);
    DiagnosticLog(const DiagnosticLog&) = delete;
    DiagnosticLog& operator=(const DiagnosticLog&) = delete;
    ~DiagnosticLog();

    bool isOpen() const { return stream_ != nullptr; }

    // Entry and exit traces (method names such as "Fg_ConfigFileParser::setSaveFile"); this
    // build keeps no trace, so neither writes anything.
    void logTrace(const char* text);
    void logTraceDone();

    // "strataboardIV::Error >> <text>;"
    void logError(const char* text);
    // "strataboardIV::Info >> <text> >> <value>;"
    void logInfo(const char* text, int32_t value);
    // "strataboardIV::Error >> <text> >> <detail> >> <code>;"
    void logErrorCode(const char* text, const char* detail, int32_t code);
    // "strataboardIV::Error >> <text> >> <detail> >> <value as %.12g>;"
    void logErrorValue(const char* text, const char* detail, double value);
    // printf-style text as given, not flushed.
    void logPrintf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A banner: a rule of 73 '-', the owner line, the contents line, the local time, the rule.
    void logHeader();
    // Flushes and closes the stream; afterwards the log writes nothing. A second close does nothing.
    void logClose();

    // The current local time as asctime writes it: "Www Mmm dd hh:mm:ss yyyy\n", in English
    // whatever the locale.
    static std::string timestampText();

private:
    struct StreamCloser {
        void operator()(std::FILE* stream) const { std::fclose(stream); }
    };

    void writeLine(const std::string& line);

    std::unique_ptr<std::FILE, StreamCloser> stream_;
};

} // namespace kestrel
