// Number texts of the configuration and LUT files: C-library reading rules, always with '.' as
// decimal point whatever the process locale says (writing is core/number_text.h).
#pragma once

#include <cstdint>
#include <string_view>

#include "core/number_text.h"

namespace kestrel {

// The value C `atoi` gives for a text: leading white space skipped, an optional sign, decimal
// digits up to the first other character, 0 when there are none. Out-of-range texts follow the
// platform's atoi, which is strtol saturated to 64 bits and then cut to the low 32 bits, so
// "4294967295" reads as -1 (the same bits as the unsigned value it names).
int32_t atoiValue(std::string_view text);

// The value of an unsigned decimal text by strtoull rules: white space, an optional sign (a minus
// negates modulo 2^64), digits; saturates at UINT64_MAX; 0 when there are no digits.
uint64_t unsignedDecimalValue(std::string_view text);

// The value C `atof` gives for a NUL-terminated text in the "C" locale (decimal, hexadecimal,
// inf and nan forms); 0.0 for a null pointer or a text without a number.
double atofValue(const char* text);

} // namespace kestrel
