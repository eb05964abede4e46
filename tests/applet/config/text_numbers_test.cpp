// Number texts: the C library's reading rules and printf's %.12g, independent of the locale; line
// pieces as fgets with a 256-byte buffer reads them, and strtok-style tokens.
#include "config/text_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "config/line_pieces.h"
#include "test_system.h"

namespace kestrel {
namespace {

// Blanks, signs, every 32- and 64-bit edge and the texts that hold no number or only a part of one.
const char* const kIntegerTexts[][5] = {
    {"0", "-42", "+7", "\t\v\f\r 12", " \n5"},
    {"12abc", "abc", "", "-", "+-1"},
    {" - 1", "3.9", "1e3", "0x1F", "-99999999999999999999999"},
    {"2147483647", "2147483648", "-2147483648", "-2147483649", "4294967295"},
    {"4294967296", "9223372036854775807", "9223372036854775808", "-9223372036854775809",
     "18446744073709551616"},
};

TEST(TextNumbers, IntegersMatchAtoiAndStrtoull) {
    if (test::onWindows())
        GTEST_SKIP() << "msvcrt's atoi and strtoull answer otherwise than glibc's on overflowing texts";
    for (const auto& row : kIntegerTexts)
        for (const char* text : row) {
            EXPECT_EQ(atoiValue(text), std::atoi(text)) << '"' << text << '"';
            EXPECT_EQ(unsignedDecimalValue(text), std::strtoull(text, nullptr, 10)) << '"' << text << '"';
        }
    EXPECT_EQ(atoiValue("4294967295"), -1);
    EXPECT_EQ(atoiValue(std::string_view("12345", 2)), 12);
}

TEST(TextNumbers, AtofReadsEveryCForm) {
    EXPECT_EQ(atofValue("0.1"), 0.1);
    EXPECT_EQ(atofValue(" -2.5e3;"), -2500.0);
    EXPECT_EQ(atofValue("0x1p4"), 16.0);
    EXPECT_TRUE(std::isinf(atofValue("inf")));
    EXPECT_TRUE(std::isnan(atofValue("nan")));
    EXPECT_EQ(atofValue("abc"), 0.0);
    EXPECT_EQ(atofValue("1,5"), 1.0);
    EXPECT_EQ(atofValue(nullptr), 0.0);
}

TEST(TextNumbers, WrittenAsPrintfWithPrecisionTwelveAndDecimals) {
    if (test::onWindows())
        GTEST_SKIP() << "mingw's printf writes -NaN as \"nan\", glibc's (and the applet) as \"-nan\"";
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const double values[][5] = {
        {0.0, -0.0, 0.1, 2.0 / 3.0, 62.5e6},
        {1e20, -1e20, 1e-5, 1e-4, -123.456},
        {123456789012.0, 1234567890123.0, 999999999999.5, 0.000123456789012345, 5e-324},
        {1.7976931348623157e308, kInf, -kInf, kNaN, -kNaN}};
    for (const auto& row : values)
        for (const double value : row) {
            char text[64];
            std::snprintf(text, sizeof text, "%.*g", 12, value);
            EXPECT_EQ(NumberText::ofDouble(value).view(), text) << value;
        }
    EXPECT_EQ(NumberText::ofInt(-2147483647 - 1).view(), "-2147483648");
    EXPECT_EQ(NumberText::ofInt(0).view(), "0");
    EXPECT_EQ(NumberText::ofUInt64(18446744073709551615ull).view(), "18446744073709551615");
}

std::vector<std::string> piecesOf(const std::string& content) {
    std::FILE* stream = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), stream);
    std::rewind(stream);
    std::vector<std::string> pieces;
    LinePieceReader reader(stream);
    while (const auto piece = reader.next())
        pieces.emplace_back(*piece);
    std::fclose(stream);
    return pieces;
}

// Pieces end after their line feed or at 255 characters; "\r\n" reads as "\n", a lone '\r' stays,
// also where the pair straddles the reader's 64 KiB blocks.
TEST(LinePieceReader, PiecesAsFgetsReadsThem) {
    const std::string x255(255, 'x');
    std::string straddling;
    while (straddling.size() < 65535 - 3)
        straddling += "ab\n";
    straddling.resize(65535, 'q');
    const struct {
        std::string content;
        std::vector<std::string> lastPieces;
    } rows[] = {
        {"a=1;\n\nb", {"a=1;\n", "\n", "b"}},
        {std::string(600, 'x') + "\n", {x255, x255, std::string(90, 'x') + "\n"}},
        {x255 + "\nz\n", {x255, "\n", "z\n"}},
        {"a\r\nb\rc\r\n\r", {"a\n", "b\rc\n", "\r"}},
        {"", {}},
        {straddling + "\r\nend\n", {std::string(65535 - 65532, 'q') + "\n", "end\n"}},
        {std::string("ab\0cd\n", 6), {std::string("ab\0cd\n", 6)}},
    };
    for (const auto& row : rows) {
        const auto pieces = piecesOf(row.content);
        ASSERT_GE(pieces.size(), row.lastPieces.size());
        EXPECT_EQ(std::vector(pieces.end() - row.lastPieces.size(), pieces.end()), row.lastPieces)
            << row.content.substr(0, 20);
    }
    EXPECT_EQ(piecesOf("a\nb\n").size(), 2u);
    EXPECT_EQ(cStringView(std::string("ab\0cd\n", 6)), "ab");
}

TEST(NthToken, SkipsNeighbouringDelimitersAsStrtokDoes) {
    EXPECT_EQ(nthToken("Typ='Kestrel12';\n", "='", 1), "Kestrel12");
    EXPECT_EQ(nthToken("Typ='Kestrel12';\n", "='", 2), ";\n");
    EXPECT_EQ(nthToken(",0,5", ",", 1), "5");
    EXPECT_EQ(nthToken("0,,7;", ",", 1), "7;");
    EXPECT_EQ(nthToken("0,", ",", 1), std::nullopt);
    EXPECT_EQ(nthToken("", ",", 0), std::nullopt);
    EXPECT_EQ(nthToken("abc", ",", 0), "abc");
}

} // namespace
} // namespace kestrel
