// Edit distance between names, ignoring case, to suggest what the user meant.
#include "suggest.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace kestrel::tool {
namespace {

constexpr std::size_t kMaxSuggestions = 3;

std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const bool same = std::toupper(static_cast<unsigned char>(a[i - 1])) ==
                              std::toupper(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

std::vector<std::string> closestNames(const std::string& typed, const std::vector<std::string>& candidates) {
    // A third of the name may be wrong, and at least two characters of a short one.
    const std::size_t allowed = std::max<std::size_t>(2, typed.size() / 3);
    std::vector<std::pair<std::size_t, std::string>> near;
    for (const std::string& candidate : candidates)
        if (const std::size_t distance = editDistance(typed, candidate); distance <= allowed)
            near.emplace_back(distance, candidate);
    std::stable_sort(near.begin(), near.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (const auto& [distance, name] : near)
        if (names.size() < kMaxSuggestions && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    return names;
}

std::string didYouMean(const std::string& typed, const std::vector<std::string>& candidates) {
    const std::vector<std::string> names = closestNames(typed, candidates);
    if (names.empty())
        return "";
    std::string text = "; did you mean ";
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text + "?";
}

} // namespace kestrel::tool
