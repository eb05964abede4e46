// In-memory index of a configuration file's line pieces.
#include "config/config_file_index.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "config/line_pieces.h"

namespace kestrel {

ConfigFileIndex::ConfigFileIndex(std::FILE* stream) {
    LinePieceReader reader(stream);
    while (const auto piece = reader.next()) {
        const std::string_view visible = cStringView(*piece);
        if (text_.size() + visible.size() > std::numeric_limits<uint32_t>::max()) {
            break; // beyond any configuration file; the rest stays unread
        }
        pieces_.push_back(Span{static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(visible.size())});
        text_.append(visible);
    }
    buildKeyIndex();
}

void ConfigFileIndex::buildKeyIndex() {
    keys_.reserve(pieces_.size());
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
        const std::string_view line = piece(i);
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            keys_.push_back(KeyEntry{std::hash<std::string_view>{}(line.substr(0, equals)),
                                     Span{pieces_[i].offset, static_cast<uint32_t>(equals)},
                                     static_cast<uint32_t>(i)});
        }
    }
    std::sort(keys_.begin(), keys_.end(), [](const KeyEntry& a, const KeyEntry& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.piece < b.piece;
    });
}

std::string_view ConfigFileIndex::piece(std::size_t index) const {
    return text(pieces_[index]);
}

std::optional<std::size_t> ConfigFileIndex::findPieceContaining(std::string_view needle) {
    for (const auto& [cached, answer] : containingCache_) {
        if (cached == needle) {
            return answer;
        }
    }
    std::optional<std::size_t> answer;
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
        if (piece(i).find(needle) != std::string_view::npos) {
            answer = i;
            break;
        }
    }
    containingCache_.emplace_back(std::string(needle), answer);
    return answer;
}

std::optional<std::string_view> ConfigFileIndex::findKeyLine(std::string_view key,
                                                             std::size_t firstPiece) const {
    if (key.find('=') != std::string_view::npos) {
        // A key holding '=' itself never equals the text before a piece's first '=': scan.
        for (std::size_t i = firstPiece; i < pieces_.size(); ++i) {
            const std::string_view line = piece(i);
            if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=') {
                return line;
            }
        }
        return std::nullopt;
    }
    // A key without '=' matches a piece exactly when it is the text before the piece's first '='.
    // Entries of one hash are in piece order, so the first of them holding the key is the first
    // piece at or after firstPiece that does.
    const std::size_t hash = std::hash<std::string_view>{}(key);
    auto found = std::lower_bound(keys_.begin(), keys_.end(), std::pair{hash, firstPiece},
                                  [](const KeyEntry& entry, const auto& wanted) {
                                      return entry.hash != wanted.first ? entry.hash < wanted.first
                                                                        : entry.piece < wanted.second;
                                  });
    for (; found != keys_.end() && found->hash == hash; ++found) {
        if (text(found->key) == key) {
            return piece(found->piece);
        }
    }
    return std::nullopt;
}

} // namespace kestrel
