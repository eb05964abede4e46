// True-word test shared by the environment switches and the design-access settings.
#include "params/true_words.h"

#include <array>
#include <cstdlib>

namespace kestrel {

bool isTrueWord(std::string_view text) {
    static constexpr std::array<std::string_view, 4> kTrueWords{"yes", "true", "on", "1"};
    for (std::string_view word : kTrueWords) {
        if (word.size() != text.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < word.size() && same; ++i) {
            char c = text[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            same = c == word[i];
        }
        if (same)
            return true;
    }
    return false;
}

bool environmentSwitch(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && isTrueWord(value);
}

} // namespace kestrel
