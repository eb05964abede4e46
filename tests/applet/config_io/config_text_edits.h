// Edits of a saved configuration text, for tests that load a changed copy.
#pragma once

#include <cstddef>
#include <string>

namespace kestrel::test {

// The text without the first line (after the first) that begins with `key=`.
inline std::string withoutKey(const std::string& text, const std::string& key) {
    const std::size_t at = text.find('\n' + key + "=");
    if (at == std::string::npos)
        return text;
    const std::size_t end = text.find('\n', at + 1);
    return text.substr(0, at) + (end == std::string::npos ? "\n" : text.substr(end));
}

// The text with the value of the first line `key=...;` replaced.
inline std::string withValue(const std::string& text, const std::string& key, const std::string& value) {
    const std::string start = '\n' + key + "=";
    const std::size_t at = text.find(start);
    if (at == std::string::npos)
        return text;
    const std::size_t end = text.find(';', at);
    return text.substr(0, at + start.size()) + value + text.substr(end);
}

} // namespace kestrel::test
