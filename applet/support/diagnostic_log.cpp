// The diagnostic log's line formats.
#include "support/diagnostic_log.h"

#include <cstdarg>
#include <ctime>

#include "core/number_text.h"
#include "platform/platform.h"

namespace kestrel {
namespace {

const char* orNull(const char* text) {
    return text != nullptr ? text : "(null)";
}

const std::string kRule = std::string(73, '-') + "\n";

} // namespace

DiagnosticLog::DiagnosticLog(std::FILE* stream) : stream_(stream) {}

DiagnosticLog::~DiagnosticLog() {
    logClose();
}

void DiagnosticLog::writeLine(const std::string& line) {
    if (!stream_) {
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stream_.get());
    std::fflush(stream_.get());
}

void DiagnosticLog::logTrace(const char* /*text*/) {}

void DiagnosticLog::logTraceDone() {}

void DiagnosticLog::logError(const char* text) {
    if (!stream_) {
        return;
    }
    writeLine(std::string("strataboardIV::Error >> ") + orNull(text) + ";\n");
}

void DiagnosticLog::logInfo(const char* text, int32_t value) {
    if (!stream_) {
        return;
    }
    writeLine(std::string("strataboardIV::Info >> ") + orNull(text) + " >> " +
              std::string(NumberText::ofInt(value).view()) + ";\n");
}

void DiagnosticLog::logErrorCode(const char* text, const char* detail, int32_t code) {
    if (!stream_) {
        return;
    }
    writeLine(std::string("strataboardIV::Error >> ") + orNull(text) + " >> " + orNull(detail) + " >> " +
              std::string(NumberText::ofInt(code).view()) + ";\n");
}

void DiagnosticLog::logErrorValue(const char* text, const char* detail, double value) {
    if (!stream_) {
        return;
    }
    writeLine(std::string("strataboardIV::Error >> ") + orNull(text) + " >> " + orNull(detail) + " >> " +
              std::string(NumberText::ofDouble(value).view()) + ";\n");
}

void DiagnosticLog::logPrintf(const char* format, ...) {
    if (!stream_ || format == nullptr) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stream_.get(), format, arguments);
    va_end(arguments);
}

void DiagnosticLog::logHeader() {
    writeLine(kRule);
    writeLine("Owner: Kestrel12 acquisition applet\n");
    writeLine("Contents: Log details for strataboard Dll\n");
    writeLine(timestampText());
    writeLine(kRule);
}

void DiagnosticLog::logClose() {
    if (!stream_) {
        return;
    }
    std::fflush(stream_.get());
    stream_.reset();
}

std::string DiagnosticLog::timestampText() {
    // asctime's own layout with its English names, built by hand: asctime itself is not
    // thread-safe and strftime would follow LC_TIME.
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!platform::localTime(now, local)) {
        return "??? ??? ?? ??:??:?? ????\n";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[local.tm_wday % 7],
                  kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  1900 + local.tm_year);
    return text;
}

} // namespace kestrel
