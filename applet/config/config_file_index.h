// A configuration file's line pieces held in memory and indexed by key, so that a load of about
// a hundred keys reads the file once instead of once per key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Answers the lookups of a configuration file exactly as a scan of its line pieces from the
// first one would (first match wins), from one read of the file.
class ConfigFileIndex {
public:
    // An index of no pieces: every lookup fails.
    ConfigFileIndex() = default;

    // Reads the stream from its current position to its end. A stream that cannot be read
    // (opened for writing only) gives no pieces.
    explicit ConfigFileIndex(std::FILE* stream);

    std::size_t pieceCount() const { return pieces_.size(); }

    // The piece's text up to its first NUL byte.
    std::string_view piece(std::size_t index) const;

    // The first piece that contains `text` anywhere.
    std::optional<std::size_t> findPieceContaining(std::string_view text);

    // The first piece at or after `firstPiece` that begins with `key` in its first column and has
    // '=' directly behind it.
    std::optional<std::string_view> findKeyLine(std::string_view key, std::size_t firstPiece) const;

private:
    struct Span {
        uint32_t offset;
        uint32_t length;
    };
    struct KeyEntry {
        std::size_t hash; // of the key text
        Span key;         // the text before the piece's first '='
        uint32_t piece;
    };

    std::string_view text(Span span) const {
        return std::string_view(text_).substr(span.offset, span.length);
    }
    void buildKeyIndex();

    std::string text_;
    std::vector<Span> pieces_;
    // Sorted by hash, then by piece: building and searching compare numbers, and only the entry
    // found has its text compared.
    std::vector<KeyEntry> keys_;
    // Sections are looked up once per key with the same few texts; their answers are kept.
    std::vector<std::pair<std::string, std::optional<std::size_t>>> containingCache_;
};

} // namespace kestrel
