// The applet property store read from "inspect.conf": byte-string keys "section::key" to values.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/locks.h"

namespace kestrel {

// Every read and write holds the store's recursive mutex, so one thread may call back into the
// store while it reads a file. Keys are case-sensitive.
class InspectSettings {
public:
    InspectSettings() = default;
    InspectSettings(const InspectSettings&) = delete;
    InspectSettings& operator=(const InspectSettings&) = delete;

    // Sets key to value. A key without "::", or whose first "::" is at its start or its very end,
    // is refused (false) and the store is unchanged.
    bool set(const std::string& key, const std::string& value);

    std::optional<std::string> get(const std::string& key) const;
    bool contains(const std::string& key) const;

    // The entries of one section in key order, as (key without "section::", value).
    std::vector<std::pair<std::string, std::string>> section(std::string_view name) const;

    std::size_t size() const;

    // Adds the entries of an "inspect.conf" file to the store. Everything from the first '#' on is
    // a comment; lines are trimmed and empty ones skipped; "[name]" starts a section; other lines
    // are split at their first '=' into trimmed key and value (lines without '=' are skipped)
    // and stored as section + "::" + key. Entries before the first section line have an empty
    // section, so the store refuses them. Returns false when the file cannot be opened, which
    // leaves the store as it was and is not an error for the applet; so does one that opens but
    // cannot be read (a directory).
    bool readFile(const std::string& path);

    // The same parsing over text already in memory.
    void readText(std::string_view text);

private:
    void readLine(std::string_view line, std::string& section);

    mutable quil::templates::platform::RecursiveMutex mutex_;
    std::map<std::string, std::string> entries_;
};

} // namespace kestrel
