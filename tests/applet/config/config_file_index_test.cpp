// The configuration file index against the line piece reader: the index cuts the file into pieces
// on its own, in read blocks of its own, and finds keys through a hash table and a guess, so its
// answers are held against a plain scan of the reader's pieces where the two can differ.
#include "config/config_file_index.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/line_pieces.h"

namespace kestrel {
namespace {

struct OpenFile {
    explicit OpenFile(const std::string& content) : stream(std::tmpfile()) {
        std::fwrite(content.data(), 1, content.size(), stream);
        std::rewind(stream);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() { std::fclose(stream); }
    std::FILE* stream;
};

// What the lookups see of each piece the reader gives: its text up to its first NUL.
std::vector<std::string> readerPieces(const std::string& content) {
    OpenFile file(content);
    std::vector<std::string> pieces;
    LinePieceReader reader(file.stream);
    while (const auto piece = reader.next())
        pieces.emplace_back(cStringView(*piece));
    return pieces;
}

std::optional<std::string_view> scanForKey(const std::vector<std::string>& pieces, const std::string& key,
                                           std::size_t firstPiece) {
    for (std::size_t i = firstPiece; i < pieces.size(); ++i) {
        const std::string& line = pieces[i];
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == '=')
            return line;
    }
    return std::nullopt;
}

// Lines without '=' up to `size` bytes: text before the index's read-block edges.
std::string filler(std::size_t size) {
    std::string text;
    while (text.size() < size)
        text += std::string(199, 'p') + "\n";
    text.resize(size);
    return text;
}

TEST(ConfigFileIndex, AnswersAsAScanOfTheReadersPieces) {
    std::vector<std::string> rows = {
        // The last key line has no line end.
        "a=1;\nb=2;\na=3;",
        // Keys shorter than, as long as and longer than a word, and the empty key.
        "=1;\nFG_X=1\nFG_WIDTH=8;\nFG_WIDTH_MAX=9;\nFG_X=2\n",
        // Keys of one length that differ in their last word, or only in a word before it.
        "FG_LONG_NAME_ONE=1\nFG_LONG_NAME_TWO=2\nFG_LONG_NAME_ONE=3\n",
        "abcdefghijklmnop_1=1\nabcdefgh_jklmnop_1=2\nabcdefghijklmnop_1=3\n",
        // '=' as the last character of a full piece, and as the first of a line's second piece.
        std::string(254, 'x') + "=\nk=1\n" + std::string(254, 'x') + "=2\n",
        std::string(255, 'y') + "=1\ny=2\n",
        // A NUL before the first '=' hides it; one behind it leaves the key.
        std::string("k\0=1\nk=2\nm=\0\n", 13),
        // A key holding '=' itself.
        "A=B=5;\nA=6;\nA=B=7\n",
        "a\r\nb=1\r\n\r",
    };
    // "\r\n" pairs and key lines across the edge of the index's first read block.
    for (std::size_t size = 16376; size <= 16385; ++size)
        rows.push_back(filler(size) + "\r\nKEY=1\r\n=2\nKEY=3");

    for (const std::string& content : rows) {
        const std::vector<std::string> pieces = readerPieces(content);
        OpenFile file(content);
        ConfigFileIndex index(file.stream);
        ASSERT_EQ(index.pieceCount(), pieces.size()) << content.substr(0, 40);
        for (std::size_t i = 0; i < pieces.size(); ++i)
            EXPECT_EQ(index.piece(i), pieces[i]) << content.substr(0, 40) << " piece " << i;

        std::vector<std::string> keys = {"A=B", "", "missing"};
        for (const std::string& piece : pieces) {
            const std::size_t equals = piece.find('=');
            if (equals != std::string::npos && equals > 0) {
                keys.push_back(piece.substr(0, equals));
                keys.push_back(piece.substr(0, equals - 1));
            }
        }
        // From the first piece on and back again: lookups in file order are guessed, the others
        // are hashed.
        for (std::size_t pass = 0; pass < 2; ++pass) {
            for (std::size_t step = 0; step <= pieces.size(); ++step) {
                const std::size_t first = pass == 0 ? step : pieces.size() - step;
                for (const std::string& key : keys)
                    EXPECT_EQ(index.findKeyLine(key, first), scanForKey(pieces, key, first))
                        << content.substr(0, 40) << " key '" << key << "' from " << first;
            }
        }
    }
}

} // namespace
} // namespace kestrel
