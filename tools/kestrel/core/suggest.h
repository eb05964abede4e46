// "Did you mean" for names the user mistyped: commands, parameters, events.
#pragma once

#include <string>
#include <vector>

namespace kestrel::tool {

// The candidates closest to typed (case ignored, a few edits at most), best first; empty when
// none is close enough to be a likely typo.
std::vector<std::string> closestNames(const std::string& typed, const std::vector<std::string>& candidates);

// "; did you mean FG_WIDTH?" (or "FG_WIDTH or FG_HEIGHT"), or "" when nothing is close.
std::string didYouMean(const std::string& typed, const std::vector<std::string>& candidates);

} // namespace kestrel::tool
