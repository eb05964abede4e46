// The four words that switch an option on, as environment variables and "inspect.conf" use them.
#pragma once

#include <string_view>

namespace kestrel {

// True when text, with ASCII letters lower-cased, is exactly "yes", "true", "on" or "1".
// Blanks count: " on" and "on " are not true-words.
bool isTrueWord(std::string_view text);

// True when the environment variable is set and its value is a true-word; read on every call.
bool environmentSwitch(const char* variable);

} // namespace kestrel
