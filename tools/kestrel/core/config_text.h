// A configuration file's text read the way the applet reads it, and what in it the applet would
// read otherwise than its writer meant. Everything the tool checks or translates in a
// configuration goes through this one reader, so the tool never sees a value the applet does not.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::tool {

// The longest line piece the applet reads at once; a longer line reads as several lines.
inline constexpr std::size_t kConfigPieceMax = 255;
inline constexpr const char* kConfigHeaderSection = "[Kamerasektion]\n";
inline constexpr const char* kConfigPortSection = "[Port A]";

// The text of a file as line pieces: "\r\n" read as "\n", pieces of at most kConfigPieceMax
// characters ending after their '\n', each seen up to its first NUL byte.
class ConfigText {
public:
    explicit ConfigText(std::string_view content);
    ConfigText(const ConfigText&) = delete;
    ConfigText& operator=(const ConfigText&) = delete;

    struct Piece {
        std::string_view text; // into the folded text
        int line;              // 1-based line of the file it belongs to
        bool startsLine;       // the first piece of its line
    };
    const std::vector<Piece>& pieces() const { return pieces_; }
    // The folded text every piece and value points into.
    const std::string& text() const { return text_; }

    struct Found {
        std::size_t piece;
        std::string_view value; // into text(); empty when the value is
    };
    // Where the applet reads key in section: the first piece holding section anywhere opens it,
    // the first later piece starting with key and '=' gives the value, cut at the first '=', ';'
    // or '\'' behind leading ones.
    std::optional<Found> find(std::string_view section, std::string_view key) const;
    // A header word as the applet checks it: the first piece holding key anywhere, split at '='
    // and '\''; its second part.
    std::optional<std::string> headerWord(std::string_view key) const;
    // The first piece holding text anywhere.
    std::optional<std::size_t> findPiece(std::string_view text) const;

private:
    std::string text_;
    std::vector<Piece> pieces_;
};

// The kinds of value a saved key has, as the applet converts its text.
enum class ConfigValueKind { Integer, Real, Text };

using ConfigLayoutKey = std::pair<std::string, ConfigValueKind>;

// What a complete configuration of one applet holds: the header's "Typ" and every port key.
struct ConfigLayout {
    std::string typ;
    std::vector<ConfigLayoutKey> keys;
};

// One thing the applet reads otherwise than the file's writer meant, or that makes the load fail.
struct ConfigFinding {
    int line; // 0 for the file as a whole
    std::string message;
    bool failsLoad; // the applet refuses the whole file for it
};

// Everything in content that a load by an applet of this layout fails on or reads otherwise
// than written: a missing header word or key, another applet's Typ, blanks around '=', a key
// written twice, a value that is no number, a value cut at ', ; or =, a line longer than a
// piece, a key the applet does not keep. In the order of the file.
std::vector<ConfigFinding> configurationFindings(const ConfigText& content, const ConfigLayout& layout);

// The settings of `theirs` with every key that `ours` changed from `base` set to ours: two
// commands that changed one file at once keep both changes. Nothing, with the key and both
// values in *conflict, when both changed one key to different values. A key missing from one of
// the texts counts as a change.
std::optional<std::string> mergeSettings(const ConfigText& base, const ConfigText& ours,
                                         const ConfigText& theirs, const ConfigLayout& layout,
                                         std::string* conflict);

// Why text cannot be kept as key's value in a configuration file and read back the same
// (the character or the length that stops it), or "" when it can.
std::string whyNotStorable(const std::string& key, const std::string& text);

} // namespace kestrel::tool
