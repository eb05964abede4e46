// Number texts of the configuration and LUT files.
#include "config/text_numbers.h"

#include <charconv>
#include <limits>

#include "platform/platform.h"

namespace kestrel {
namespace {

bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

struct SignedDigits {
    bool negative = false;
    bool anyDigit = false;
    bool overflow = false;
    uint64_t magnitude = 0;
};

// The common front of strtol and strtoull: white space, one sign, decimal digits. The magnitude
// is exact up to UINT64_MAX; beyond it only the overflow flag is kept.
SignedDigits scanSignedDigits(std::string_view text) {
    SignedDigits result;
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        result.negative = text[i] == '-';
        ++i;
    }
    std::size_t end = i;
    while (end < text.size() && isDigit(text[end])) {
        ++end;
    }
    result.anyDigit = end > i;
    // Nineteen digits stay below 10^19 < UINT64_MAX: the value of a file's usual numbers needs
    // no test for overflow at each digit.
    if (end - i <= 19) {
        for (; i < end; ++i) {
            result.magnitude = result.magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
        }
        return result;
    }
    for (; i < end; ++i) {
        const uint64_t digit = static_cast<uint64_t>(text[i] - '0');
        if (result.magnitude > (std::numeric_limits<uint64_t>::max() - digit) / 10) {
            result.overflow = true;
        } else if (!result.overflow) {
            result.magnitude = result.magnitude * 10 + digit;
        }
    }
    return result;
}

} // namespace

int32_t atoiValue(std::string_view text) {
    const SignedDigits digits = scanSignedDigits(text);
    // strtol's long is 64 bits here: it saturates there, and atoi keeps the low 32 bits.
    constexpr uint64_t kLongMaxMagnitude = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    uint64_t bits;
    if (digits.negative) {
        const bool saturated = digits.overflow || digits.magnitude > kLongMaxMagnitude + 1;
        bits = saturated ? kLongMaxMagnitude + 1 : (~digits.magnitude + 1);
    } else {
        const bool saturated = digits.overflow || digits.magnitude > kLongMaxMagnitude;
        bits = saturated ? kLongMaxMagnitude : digits.magnitude;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(bits));
}

uint64_t unsignedDecimalValue(std::string_view text) {
    const SignedDigits digits = scanSignedDigits(text);
    if (!digits.anyDigit) {
        return 0;
    }
    if (digits.overflow) {
        return std::numeric_limits<uint64_t>::max();
    }
    return digits.negative ? ~digits.magnitude + 1 : digits.magnitude;
}

double atofValue(const char* text) {
    if (text == nullptr) {
        return 0.0;
    }
    return platform::strtodInCLocale(text);
}

} // namespace kestrel
