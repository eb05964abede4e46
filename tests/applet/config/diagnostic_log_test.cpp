// The diagnostic log's line formats and its closed-stream behaviour.
#include "support/diagnostic_log.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <regex>
#include <string>

#include "scratch_dir.h"

namespace kestrel {
namespace {

class DiagnosticLogLines : public test::ScratchDirTest {
protected:
    void SetUp() override {
        test::ScratchDirTest::SetUp();
        file_ = path("diagnostic.log");
        log_.emplace(std::fopen(file_.c_str(), "w"));
        ASSERT_TRUE(log_->isOpen());
    }
    // Every line is flushed at once, so the file shows it while the log is still open.
    std::string written() const { return readFile(file_); }

    std::string file_;
    std::optional<DiagnosticLog> log_;
};

// One call on an open log and the exact line it writes.
struct LineCase {
    const char* name;
    std::function<void(DiagnosticLog&)> write;
    const char* line;
};

const LineCase kLines[] = {
    {"ErrorNamesTheText", [](DiagnosticLog& log) { log.logError("Config File is Invalid"); },
     "strataboardIV::Error >> Config File is Invalid;\n"},
    {"InfoCarriesTextAndValue", [](DiagnosticLog& log) { log.logInfo("keys read", -42); },
     "strataboardIV::Info >> keys read >> -42;\n"},
    {"ErrorCodeCarriesTwoTextsAndTheCode",
     [](DiagnosticLog& log) { log.logErrorCode("parseKey", "FG_WIDTH", -8000); },
     "strataboardIV::Error >> parseKey >> FG_WIDTH >> -8000;\n"},
    {"ErrorValueWritesPointOneAsThreeCharacters",
     [](DiagnosticLog& log) { log.logErrorValue("gain", "value", 0.1); },
     "strataboardIV::Error >> gain >> value >> 0.1;\n"},
    {"ErrorValueWritesTenToTheTwentyInExponentForm",
     [](DiagnosticLog& log) { log.logErrorValue("gain", "value", 1e20); },
     "strataboardIV::Error >> gain >> value >> 1e+20;\n"},
    {"ErrorValueKeepsTwelveSignificantDigits",
     [](DiagnosticLog& log) { log.logErrorValue("a", "b", 2.0 / 3.0); },
     "strataboardIV::Error >> a >> b >> 0.666666666667;\n"},
    {"NullTextsAreWrittenAsNull", [](DiagnosticLog& log) { log.logErrorCode(nullptr, nullptr, 1); },
     "strataboardIV::Error >> (null) >> (null) >> 1;\n"},
    {"TraceWritesNothingEvenWithAnOpenStream",
     [](DiagnosticLog& log) {
         log.logTrace("Fg_ConfigFileParser::setSaveFile");
         log.logTraceDone();
     },
     ""},
};

class DiagnosticLogLine : public DiagnosticLogLines, public testing::WithParamInterface<LineCase> {};

TEST_P(DiagnosticLogLine, WritesExactlyTheLine) {
    GetParam().write(*log_);
    EXPECT_EQ(written(), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Lines, DiagnosticLogLine, testing::ValuesIn(kLines),
                         [](const auto& row) { return row.param.name; });

TEST_F(DiagnosticLogLines, PrintfWritesTheFormattedTextAsIs) {
    log_->logPrintf("%s=%d|", "width", 1024);
    log_->logClose();
    EXPECT_EQ(written(), "width=1024|");
}

TEST_F(DiagnosticLogLines, HeaderFramesOwnerContentsAndTimestampWithRules) {
    log_->logHeader();
    const std::string rule = std::string(73, '-') + "\n";
    const std::string text = written();
    const std::regex layout(rule +
                            "[^\n]+\nContents: Log details for strataboard Dll\n"
                            "[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\n" +
                            rule);
    EXPECT_TRUE(std::regex_match(text, layout)) << text;
}

TEST(DiagnosticLogStream, LogWithoutStreamDoesNothing) {
    DiagnosticLog log;
    EXPECT_FALSE(log.isOpen());
    log.logError("x");
    log.logHeader();
    log.logPrintf("%d", 1);
    log.logClose();
}

TEST(DiagnosticLogTimestamp, HasTheTwentyFiveCharacterAsctimeLayout) {
    const std::string stamp = DiagnosticLog::timestampText();
    ASSERT_EQ(stamp.size(), 25u) << stamp;
    const std::regex layout("(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                            "[ 1-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\n");
    EXPECT_TRUE(std::regex_match(stamp, layout)) << stamp;
}

} // namespace
} // namespace kestrel
