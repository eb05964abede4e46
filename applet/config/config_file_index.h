// A configuration file's line pieces held in memory and indexed by key, so that a load of about
// a hundred keys reads the file once instead of once per key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
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
    std::optional<std::string_view> findKeyLine(std::string_view key, std::size_t firstPiece);

private:
    static constexpr uint32_t kNone = UINT32_MAX;

    struct Piece {
        std::size_t offset; // in text_
        uint16_t length;    // up to the piece's first NUL
        uint16_t keyLength; // the text before its first '=', or kNoKey
    };
    static constexpr uint16_t kNoKey = UINT16_MAX;

    // One piece with a key; the entries of one key text are chained in piece order.
    struct KeyEntry {
        uint32_t piece;
        uint32_t hash; // low bits of the key text's hash
        uint32_t previous = kNone;
        uint32_t next = kNone;
    };

    bool indexPieces(std::size_t& scanned, std::size_t folded, bool atEnd);
    void buildKeyTable();
    std::string_view keyOf(const KeyEntry& entry) const;
    bool hasKey(const KeyEntry& entry, std::string_view key) const;
    uint32_t findKeyEntry(std::string_view key) const;

    std::unique_ptr<char[]> text_; // the file with "\r\n" read as "\n", and zeroed slack behind
    std::size_t visibleBytes_ = 0; // the lengths of the pieces so far, added up
    std::vector<Piece> pieces_;
    std::vector<KeyEntry> keys_; // in piece order
    // Open addressing over the key texts: the first entry of each, or kNone.
    std::vector<uint32_t> slots_;
    // A load asks for its keys in file order, so the answer is mostly a few entries behind the
    // last one: looking there first spares most lookups the hash of their key.
    std::size_t nextGuess_ = 0;
    // Sections are looked up once per key with the same few texts; their answers are kept.
    std::vector<std::pair<std::string, std::optional<std::size_t>>> containingCache_;
    std::size_t lastContaining_ = 0;
};

} // namespace kestrel
