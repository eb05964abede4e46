// Reading text files the way the C library's fgets with a 256-byte buffer sees them: in line
// pieces of at most 255 characters, with Windows line ends read as text mode reads them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace kestrel {

// Longest piece one read gives: a 256-byte line buffer minus its terminating NUL. A longer line
// arrives as several pieces, each of which the file formats treat as a line of its own.
inline constexpr std::size_t kLinePieceMax = 255;

// Streams the line pieces of an open file from its current position, with bounded memory.
// "\r\n" reads as "\n", as in a text-mode stream on the platform the files come from, so files
// written there and here read alike; a lone '\r' stays.
class LinePieceReader {
public:
    // The stream is not owned and must outlive the reader.
    explicit LinePieceReader(std::FILE* stream);

    // The next piece, or nothing at the end of the file (or on a read error). A piece ends after
    // its '\n' or after kLinePieceMax characters. The text seen by the line tests stops at the
    // first NUL byte of a piece, as it does for C string functions. Valid until the next call.
    std::optional<std::string_view> next();

private:
    bool refill();

    std::FILE* stream_;
    std::unique_ptr<char[]> buffer_; // one read block and a carried '\r'
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool carriedReturn_ = false; // a '\r' that ended the last block, waiting for its '\n'
    bool endOfFile_ = false;
    std::array<char, kLinePieceMax> piece_{};
};

// Replaces every "\r\n" in text[0, size) by "\n" in place and gives the new size: how a
// text-mode stream reads the files of the platform they come from.
std::size_t foldWindowsLineEnds(char* text, std::size_t size);

// The token with index `index` (0 first) of a text split as strtok splits it: tokens are the
// maximal runs of characters that are not in `delimiters`, so neighbouring delimiters give no
// empty tokens. Nothing when the text has fewer tokens.
std::optional<std::string_view> nthToken(std::string_view text, std::string_view delimiters,
                                         std::size_t index);

// The part of a text before its first NUL byte: what C string functions see of it.
inline std::string_view cStringView(std::string_view text) {
    const std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

} // namespace kestrel
