// In-memory index of a configuration file's line pieces.
#include "config/config_file_index.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "config/line_pieces.h"

namespace kestrel {
namespace {

// A configuration file is a few kilobytes: most are read whole with the first block.
constexpr std::size_t kFirstReadBytes = 16 * 1024;
// Zeroed bytes behind the text, so the scan may load whole words near its end.
constexpr std::size_t kScanSlack = sizeof(uint64_t);
// How far behind the last answer a lookup looks before it hashes its key: the keys a load pass
// skips (those only staged, or only applied) come in runs shorter than this.
constexpr std::size_t kGuesses = 8;

constexpr uint64_t kEveryByte = 0x0101010101010101u;
constexpr uint64_t kLowSevenBits = 0x7f7f7f7f7f7f7f7fu;

uint64_t loadWord(const char* text) {
    uint64_t word;
    std::memcpy(&word, text, sizeof word);
    return word;
}

// The top bit of every byte of `word` that is zero, and no other bit: exact in every byte, so
// the first byte marked is the first zero byte whatever the byte order.
constexpr uint64_t zeroBytes(uint64_t word) {
    return ~(((word & kLowSevenBits) + kLowSevenBits) | word | kLowSevenBits);
}

std::size_t firstMarkedByte(uint64_t marks) {
    if constexpr (std::endian::native == std::endian::little) {
        return static_cast<std::size_t>(std::countr_zero(marks)) / 8;
    } else {
        return static_cast<std::size_t>(std::countl_zero(marks)) / 8;
    }
}

// The offset of the first '=' in text[0, size), or size. Eight bytes a step, where memchr would
// cost a call for the few words before a key's end. Reads up to seven bytes past `size`, which
// must be there.
std::size_t findEquals(const char* text, std::size_t size) {
    for (std::size_t at = 0; at < size; at += sizeof(uint64_t)) {
        const uint64_t marks = zeroBytes(loadWord(text + at) ^ (kEveryByte * '='));
        if (marks != 0) {
            return std::min(at + firstMarkedByte(marks), size);
        }
    }
    return size;
}

// Whether two texts of `size` bytes are equal, compared a word at a time with the last word
// overlapping: lookups compare many keys of the same length that differ within a few bytes of
// their end, and a library call for each costs more than the comparison.
bool sameBytes(const char* a, const char* b, std::size_t size) {
    if (size < sizeof(uint64_t)) {
        return std::memcmp(a, b, size) == 0;
    }
    const std::size_t last = size - sizeof(uint64_t);
    if (loadWord(a + last) != loadWord(b + last)) {
        return false;
    }
    for (std::size_t at = 0; at < last; at += sizeof(uint64_t)) {
        if (loadWord(a + at) != loadWord(b + at)) {
            return false;
        }
    }
    return true;
}

uint64_t mixWord(uint64_t hash, uint64_t word) {
    constexpr uint64_t kMultiplier = 0x9e3779b97f4a7c15u;
    hash = (hash ^ word) * kMultiplier;
    return hash ^ (hash >> 32);
}

// Whole words only, the last one overlapping the one before it: a copy of a short tail into a
// zeroed word costs a library call and a stalled load, more than all the rest of the hash.
uint64_t hashKey(std::string_view key) {
    const char* text = key.data();
    std::size_t size = key.size();
    uint64_t hash = mixWord(0, size);
    if (size >= sizeof(uint64_t)) {
        for (; size > sizeof(uint64_t); text += sizeof(uint64_t), size -= sizeof(uint64_t)) {
            hash = mixWord(hash, loadWord(text));
        }
        return mixWord(hash, loadWord(key.data() + key.size() - sizeof(uint64_t)));
    }
    uint64_t tail = 0;
    for (std::size_t i = 0; i < size; ++i) {
        tail = tail << 8 | static_cast<unsigned char>(text[i]);
    }
    return mixWord(hash, tail);
}

} // namespace

ConfigFileIndex::ConfigFileIndex(std::FILE* stream) {
    std::size_t capacity = kFirstReadBytes;
    text_ = std::make_unique_for_overwrite<char[]>(capacity + kScanSlack);
    std::size_t held = 0;    // bytes read and folded, a '\r' waiting for its pair included
    std::size_t folded = 0;  // the bytes of those that are final
    std::size_t scanned = 0; // the start of the first piece not indexed yet
    for (bool atEnd = false; !atEnd;) {
        if (held == capacity) {
            capacity *= 2;
            auto larger = std::make_unique_for_overwrite<char[]>(capacity + kScanSlack);
            std::memcpy(larger.get(), text_.get(), held);
            text_ = std::move(larger);
        }
        const std::size_t want = capacity - held;
        const std::size_t got = std::fread(text_.get() + held, 1, want, stream);
        atEnd = got < want;
        held = folded + foldWindowsLineEnds(text_.get() + folded, held + got - folded);
        // A '\r' that ends what was read may be the first half of a pair that the next read
        // completes.
        folded = !atEnd && held > folded && text_[held - 1] == '\r' ? held - 1 : held;
        std::memset(text_.get() + held, 0, kScanSlack);
        if (!indexPieces(scanned, folded, atEnd)) {
            break; // beyond any configuration file; the rest stays unread
        }
    }
    buildKeyTable();
}

bool ConfigFileIndex::indexPieces(std::size_t& scanned, std::size_t folded, bool atEnd) {
    // Real files hold no NUL: one search of what was read spares them a search in every piece.
    const bool anyNul = std::memchr(text_.get() + scanned, '\0', folded - scanned) != nullptr;
    while (scanned < folded) {
        const char* start = text_.get() + scanned;
        const std::size_t limit = std::min(folded - scanned, kLinePieceMax);
        const void* newline = std::memchr(start, '\n', limit);
        std::size_t length = limit;
        if (newline != nullptr) {
            length = static_cast<std::size_t>(static_cast<const char*>(newline) - start) + 1;
        } else if (limit < kLinePieceMax && !atEnd) {
            return true; // the next read decides where the piece ends
        }
        std::size_t visible = length;
        if (anyNul) {
            if (const void* nul = std::memchr(start, '\0', length)) {
                visible = static_cast<std::size_t>(static_cast<const char*>(nul) - start);
            }
        }
        if (visibleBytes_ + visible > std::numeric_limits<uint32_t>::max()) {
            return false;
        }
        visibleBytes_ += visible;
        const std::size_t key = findEquals(start, visible);
        if (key < visible) {
            keys_.push_back(KeyEntry{static_cast<uint32_t>(pieces_.size()), 0});
        }
        pieces_.push_back(Piece{scanned, static_cast<uint16_t>(visible),
                                key < visible ? static_cast<uint16_t>(key) : kNoKey});
        scanned += length;
    }
    return true;
}

bool ConfigFileIndex::hasKey(const KeyEntry& entry, std::string_view key) const {
    const Piece& piece = pieces_[entry.piece];
    return piece.keyLength == key.size() && sameBytes(text_.get() + piece.offset, key.data(), key.size());
}

std::string_view ConfigFileIndex::keyOf(const KeyEntry& entry) const {
    const Piece& piece = pieces_[entry.piece];
    return std::string_view(text_.get() + piece.offset, piece.keyLength);
}

void ConfigFileIndex::buildKeyTable() {
    // At most half full, so a probe ends at an empty slot after a step or two.
    const std::size_t slotCount = std::bit_ceil(std::max<std::size_t>(16, keys_.size() * 2));
    slots_.assign(slotCount, kNone);
    const std::size_t mask = slotCount - 1;
    // Backwards, so that each key text's slot ends up holding its first entry.
    for (std::size_t i = keys_.size(); i-- > 0;) {
        KeyEntry& entry = keys_[i];
        const std::string_view key = keyOf(entry);
        const uint64_t hash = hashKey(key);
        entry.hash = static_cast<uint32_t>(hash);
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            const uint32_t held = slots_[slot];
            if (held == kNone) {
                slots_[slot] = static_cast<uint32_t>(i);
                break;
            }
            KeyEntry& later = keys_[held];
            if (later.hash == entry.hash && hasKey(later, key)) {
                entry.next = held;
                later.previous = static_cast<uint32_t>(i);
                slots_[slot] = static_cast<uint32_t>(i);
                break;
            }
        }
    }
}

uint32_t ConfigFileIndex::findKeyEntry(std::string_view key) const {
    if (keys_.empty()) {
        return kNone;
    }
    const uint64_t hash = hashKey(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const uint32_t held = slots_[slot];
        if (held == kNone || (keys_[held].hash == static_cast<uint32_t>(hash) && hasKey(keys_[held], key))) {
            return held;
        }
    }
}

std::string_view ConfigFileIndex::piece(std::size_t index) const {
    const Piece& found = pieces_[index];
    return std::string_view(text_.get() + found.offset, found.length);
}

std::optional<std::size_t> ConfigFileIndex::findPieceContaining(std::string_view needle) {
    if (lastContaining_ < containingCache_.size() && containingCache_[lastContaining_].first == needle) {
        return containingCache_[lastContaining_].second;
    }
    for (std::size_t i = 0; i < containingCache_.size(); ++i) {
        if (containingCache_[i].first == needle) {
            lastContaining_ = i;
            return containingCache_[i].second;
        }
    }
    std::optional<std::size_t> answer;
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
        if (piece(i).find(needle) != std::string_view::npos) {
            answer = i;
            break;
        }
    }
    lastContaining_ = containingCache_.size();
    containingCache_.emplace_back(std::string(needle), answer);
    return answer;
}

std::optional<std::string_view> ConfigFileIndex::findKeyLine(std::string_view key, std::size_t firstPiece) {
    // A key matches a piece when it is the text before the piece's first '='. Any entry of the
    // key's text leads along its chain to the first one at or after firstPiece.
    uint32_t found = kNone;
    const std::size_t guessEnd = std::min(keys_.size(), nextGuess_ + kGuesses);
    for (std::size_t i = nextGuess_; i < guessEnd; ++i) {
        if (hasKey(keys_[i], key)) {
            found = static_cast<uint32_t>(i);
            break;
        }
    }
    if (found == kNone) {
        found = findKeyEntry(key);
    }
    while (found != kNone && keys_[found].piece < firstPiece) {
        found = keys_[found].next;
    }
    if (found == kNone) {
        // The text before a first '=' holds no '=', so a key holding one is in no entry: scan.
        if (key.find('=') != std::string_view::npos) {
            for (std::size_t i = firstPiece; i < pieces_.size(); ++i) {
                const std::string_view line = piece(i);
                if (line.size() > key.size() && line.substr(0, key.size()) == key &&
                    line[key.size()] == '=') {
                    return line;
                }
            }
        }
        return std::nullopt;
    }
    while (keys_[found].previous != kNone && keys_[keys_[found].previous].piece >= firstPiece) {
        found = keys_[found].previous;
    }
    nextGuess_ = found + 1;
    return piece(keys_[found].piece);
}

} // namespace kestrel
