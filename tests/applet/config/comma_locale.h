// A locale whose decimal point is ',', for the tests that show files and logs keep '.'.
#pragma once

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "test_system.h"

namespace kestrel::test {

inline bool decimalPointIsComma() {
    return std::strcmp(std::localeconv()->decimal_point, ",") == 0;
}

// Switches `category` to a comma-decimal locale: an installed one, else the one the build compiled
// into its own tree (KESTREL_TEST_LOCALE_DIR). False, with "C" again, when none can be had.
inline bool useCommaLocale(int category) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(category, name) != nullptr && decimalPointIsComma())
            return true;
    setEnvironment("LOCPATH", KESTREL_TEST_LOCALE_DIR);
    if (std::setlocale(category, "de_DE.UTF-8") != nullptr && decimalPointIsComma())
        return true;
    std::setlocale(category, "C");
    return false;
}

} // namespace kestrel::test
