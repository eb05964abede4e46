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

const char* const kIntegerTexts[] = {"0",
                                     "42",
                                     "-42",
                                     "+7",
                                     "  \t\n\v\f\r12",
                                     "12abc",
                                     "abc",
                                     "",
                                     "-",
                                     "+",
                                     "+-1",
                                     " - 1",
                                     "007",
                                     "2147483647",
                                     "2147483648",
                                     "-2147483648",
                                     "-2147483649",
                                     "4294967295",
                                     "4294967296",
                                     "4294967297",
                                     "9223372036854775807",
                                     "9223372036854775808",
                                     "-9223372036854775808",
                                     "-9223372036854775809",
                                     "18446744073709551615",
                                     "18446744073709551616",
                                     "99999999999999999999999",
                                     "-99999999999999999999999",
                                     "3.9",
                                     "1e3",
                                     "0x1F",
                                     ";5"};

TEST(AtoiValue, MatchesTheCLibrary) {
    for (const char* text : kIntegerTexts) {
        EXPECT_EQ(atoiValue(text), std::atoi(text)) << '"' << text << '"';
    }
}

TEST(AtoiValue, ReadsUnsignedAllOnesAsMinusOne) {
    EXPECT_EQ(atoiValue("4294967295"), -1);
}

TEST(AtoiValue, StopsAtTheEndOfTheView) {
    EXPECT_EQ(atoiValue(std::string_view("12345", 2)), 12);
}

TEST(UnsignedDecimalValue, MatchesStrtoull) {
    for (const char* text : kIntegerTexts) {
        EXPECT_EQ(unsignedDecimalValue(text), std::strtoull(text, nullptr, 10)) << '"' << text << '"';
    }
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
    const double values[] = {0.0,
                             -0.0,
                             0.1,
                             1.0 / 3.0,
                             2.0 / 3.0,
                             1e20,
                             -1e20,
                             1e-5,
                             1e-4,
                             123456789012.0,
                             1234567890123.0,
                             999999999999.5,
                             0.000123456789012345,
                             62.5e6,
                             48e-3,
                             5e-324,
                             1.7976931348623157e308,
                             -123.456,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             -std::numeric_limits<double>::quiet_NaN()};
    for (const double value : values) {
        EXPECT_EQ(NumberText::ofDouble(value).view(), printfG12(value)) << value;
    }
}

TEST(NumberTextOfDouble, WritesExampleValues) {
    EXPECT_EQ(NumberText::ofDouble(0.1).view(), "0.1");
    EXPECT_EQ(NumberText::ofDouble(1e20).view(), "1e+20");
    EXPECT_EQ(NumberText::ofDouble(1.0 / 3.0).view(), "0.333333333333");
}

TEST(NumberTextOfIntegers, WritesDecimals) {
    EXPECT_EQ(NumberText::ofInt(-2147483647 - 1).view(), "-2147483648");
    EXPECT_EQ(NumberText::ofInt(0).view(), "0");
    EXPECT_EQ(NumberText::ofUInt64(18446744073709551615ull).view(), "18446744073709551615");
}

} // namespace
} // namespace kestrel
