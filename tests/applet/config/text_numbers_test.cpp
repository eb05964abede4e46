// Number texts: the C library's reading rules and printf's %.12g, independent of the locale.
#include "config/text_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

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

TEST(AtoiValue, MatchesTheCLibrary) {
    for (const auto& row : kIntegerTexts)
        for (const char* text : row)
            EXPECT_EQ(atoiValue(text), std::atoi(text)) << '"' << text << '"';
}

TEST(AtoiValue, ReadsUnsignedAllOnesAsMinusOneAndStopsAtTheEndOfTheView) {
    EXPECT_EQ(atoiValue("4294967295"), -1);
    EXPECT_EQ(atoiValue(std::string_view("12345", 2)), 12);
}

TEST(UnsignedDecimalValue, MatchesStrtoull) {
    for (const auto& row : kIntegerTexts)
        for (const char* text : row)
            EXPECT_EQ(unsignedDecimalValue(text), std::strtoull(text, nullptr, 10)) << '"' << text << '"';
}

TEST(AtofValue, ReadsEveryCForm) {
    EXPECT_EQ(atofValue("0.1"), 0.1);
    EXPECT_EQ(atofValue(" -2.5e3;"), -2500.0);
    EXPECT_EQ(atofValue("0x1p4"), 16.0);
    EXPECT_TRUE(std::isinf(atofValue("inf")));
    EXPECT_TRUE(std::isnan(atofValue("nan")));
    EXPECT_EQ(atofValue("abc"), 0.0);
    EXPECT_EQ(atofValue("1,5"), 1.0);
    EXPECT_EQ(atofValue(nullptr), 0.0);
}

std::string printfG12(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", 12, value);
    return text;
}

TEST(NumberTextOfDouble, MatchesPrintfWithPrecisionTwelve) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const double values[][5] = {
        {0.0, -0.0, 0.1, 2.0 / 3.0, 62.5e6},
        {1e20, -1e20, 1e-5, 1e-4, -123.456},
        {123456789012.0, 1234567890123.0, 999999999999.5, 0.000123456789012345, 5e-324},
        {1.7976931348623157e308, kInf, -kInf, kNaN, -kNaN}};
    for (const auto& row : values)
        for (const double value : row)
            EXPECT_EQ(NumberText::ofDouble(value).view(), printfG12(value)) << value;
}

TEST(NumberTextOfIntegers, WritesDecimals) {
    EXPECT_EQ(NumberText::ofInt(-2147483647 - 1).view(), "-2147483648");
    EXPECT_EQ(NumberText::ofInt(0).view(), "0");
    EXPECT_EQ(NumberText::ofUInt64(18446744073709551615ull).view(), "18446744073709551615");
}

} // namespace
} // namespace kestrel
