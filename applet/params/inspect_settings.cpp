// Reading and querying the "inspect.conf" property store.
#include "params/inspect_settings.h"

#include <cstdio>

namespace kestrel {
namespace {

using quil::templates::platform::RecursiveMutexGuard;

constexpr std::string_view kSectionSeparator = "::";
constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

std::string_view trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(kWhiteSpace);
    return text.substr(first, last - first + 1);
}

} // namespace

bool InspectSettings::set(const std::string& key, const std::string& value) {
    const std::size_t separator = key.find(kSectionSeparator);
    if (separator == std::string::npos || separator == 0 ||
        separator + kSectionSeparator.size() == key.size())
        return false;
    RecursiveMutexGuard guard(mutex_);
    entries_[key] = value;
    return true;
}

std::optional<std::string> InspectSettings::get(const std::string& key) const {
    RecursiveMutexGuard guard(mutex_);
    const auto it = entries_.find(key);
    if (it == entries_.end())
        return std::nullopt;
    return it->second;
}

bool InspectSettings::contains(const std::string& key) const {
    RecursiveMutexGuard guard(mutex_);
    return entries_.count(key) != 0;
}

std::vector<std::pair<std::string, std::string>> InspectSettings::section(std::string_view name) const {
    std::string prefix(name);
    prefix += kSectionSeparator;
    std::vector<std::pair<std::string, std::string>> result;
    RecursiveMutexGuard guard(mutex_);
    for (auto it = entries_.lower_bound(prefix);
         it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
        result.emplace_back(it->first.substr(prefix.size()), it->second);
    return result;
}

std::size_t InspectSettings::size() const {
    RecursiveMutexGuard guard(mutex_);
    return entries_.size();
}

bool InspectSettings::readFile(const std::string& path) {
    // A C stream: a file stream throws from its read when the name opens but cannot be read (a
    // directory), and that would fail the applet's creation over a file it may ignore.
    RecursiveMutexGuard guard(mutex_);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    const bool unreadable = std::ferror(file) != 0;
    std::fclose(file);
    if (unreadable)
        return false;
    readText(text);
    return true;
}

void InspectSettings::readText(std::string_view text) {
    RecursiveMutexGuard guard(mutex_);
    std::string section;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        readLine(text.substr(0, end), section);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

void InspectSettings::readLine(std::string_view line, std::string& section) {
    line = trim(line.substr(0, line.find('#')));
    if (line.empty())
        return;
    if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
        section = std::string(line.substr(1, line.size() - 2));
        return;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return;
    std::string key = section;
    key += kSectionSeparator;
    key += trim(line.substr(0, equals));
    set(key, std::string(trim(line.substr(equals + 1))));
}

} // namespace kestrel
