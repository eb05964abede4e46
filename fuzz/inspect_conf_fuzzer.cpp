// Feeds arbitrary bytes as an "inspect.conf" file to the applet property store. Every stored key
// has a section, "::" and a name; names and values carry no blanks at their ends, no comment and
// no line break; reading the same text from a file with Windows line ends gives the same store;
// and each section lists exactly the keys stored under it.
//
// The store is walked once, through the section listings of the text read from memory; the store
// read from the file is then held against that walk key by key, which with an equal size is the
// same as comparing the whole stores.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "params/inspect_settings.h"

namespace kestrel::fuzz {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::map<std::string, std::string> entriesOf(const InspectSettings& store, const std::string& text) {
    // The store offers no walk over all entries; every key of the text is a candidate, found
    // again by the section listing of each section the text names (each listed once).
    std::map<std::string, std::string> entries;
    std::set<std::string_view> listed;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        line = line.substr(0, line.find('#'));
        const std::size_t first = line.find_first_not_of(kBlanks);
        if (first != std::string_view::npos) {
            line = line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
            if (line.size() >= 2 && line.front() == '[' && line.back() == ']' &&
                listed.insert(line.substr(1, line.size() - 2)).second)
                for (const auto& [key, value] : store.section(line.substr(1, line.size() - 2)))
                    entries[std::string(line.substr(1, line.size() - 2)) + "::" + key] = value;
        }
        start = end + 1;
    }
    return entries;
}

// The section is what stood between the brackets, blanks and all; the name and the value are trimmed.
void checkEntry(const std::string& key, const std::string& value) {
    const std::size_t separator = key.find("::");
    FUZZ_CHECK(separator != std::string::npos && separator != 0 && separator + 2 != key.size(),
               "a key without section or name");
    FUZZ_CHECK(key.find_first_of("#\n") == std::string::npos &&
                   value.find_first_of("#\n") == std::string::npos,
               "comment or line break kept");
    FUZZ_CHECK(kBlanks.find(key.back()) == std::string_view::npos, "blanks kept after a name");
    if (!value.empty())
        FUZZ_CHECK(kBlanks.find(value.front()) == std::string_view::npos &&
                       kBlanks.find(value.back()) == std::string_view::npos,
                   "blanks kept around a value");
}

} // namespace
} // namespace kestrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel;
    using namespace kestrel::fuzz;
    static const ScratchFile file(".conf");
    const std::string text(reinterpret_cast<const char*>(data), size);

    InspectSettings fromText;
    fromText.readText(text);
    const auto entries = entriesOf(fromText, text);
    FUZZ_CHECK(entries.size() == fromText.size(), "a stored key under no section line of the text");
    for (const auto& [key, value] : entries) {
        checkEntry(key, value);
        FUZZ_CHECK(fromText.get(key) == value && fromText.contains(key), "listed key not found");
    }

    std::string windows;
    windows.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\n')
            windows += '\r';
        windows += c;
    }
    file.write(windows);
    InspectSettings fromFile;
    FUZZ_CHECK(fromFile.readFile(file.path()), "written file not read");
    FUZZ_CHECK(fromFile.size() == fromText.size(), "file with Windows line ends and text reading differ");
    for (const auto& [key, value] : entries)
        FUZZ_CHECK(fromFile.get(key) == value, "file with Windows line ends and text reading differ");
    return 0;
}
