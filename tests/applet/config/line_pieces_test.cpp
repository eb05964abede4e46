// Line pieces as fgets with a 256-byte buffer reads them, and strtok-style tokens.
#include "config/line_pieces.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kestrel {
namespace {

// Every piece of a text, read through a real stream.
std::vector<std::string> piecesOf(const std::string& content) {
    std::FILE* stream = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), stream);
    std::rewind(stream);
    std::vector<std::string> pieces;
    LinePieceReader reader(stream);
    while (const auto piece = reader.next()) {
        pieces.emplace_back(*piece);
    }
    std::fclose(stream);
    return pieces;
}

// Pieces end after their line feed or at 255 characters; "\r\n" reads as "\n", a lone '\r' stays.
TEST(LinePieceReader, PiecesAsFgetsReadsThem) {
    using Pieces = std::vector<std::string>;
    const std::string x255(255, 'x');
    const struct {
        std::string content;
        Pieces pieces;
    } rows[] = {
        {"a=1;\n\nb", {"a=1;\n", "\n", "b"}},
        {std::string(600, 'x') + "\n", {x255, x255, std::string(90, 'x') + "\n"}},
        {x255 + "\nz\n", {x255, "\n", "z\n"}},
        {"a\r\nb\rc\r\n\r", {"a\n", "b\rc\n", "\r"}},
        {"", {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(piecesOf(row.content), row.pieces) << row.content.substr(0, 20);
}

TEST(LinePieceReader, LineEndSplitAcrossReadBlocksIsStillFolded) {
    // The reader works in 64 KiB blocks; put a "\r\n" pair on the boundary.
    std::string content;
    while (content.size() < 65535 - 3) {
        content += "ab\n";
    }
    content.resize(65535, 'q');
    content += "\r\nend\n";
    const auto pieces = piecesOf(content);
    ASSERT_GE(pieces.size(), 2u);
    EXPECT_EQ(pieces[pieces.size() - 2].back(), '\n');
    EXPECT_EQ(pieces[pieces.size() - 2].find('\r'), std::string::npos);
    EXPECT_EQ(pieces.back(), "end\n");
}

TEST(LinePieceReader, NulBytesStayInThePieceButEndItsCStringView) {
    const std::string content("ab\0cd\n", 6);
    const auto pieces = piecesOf(content);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], content);
    EXPECT_EQ(cStringView(pieces[0]), "ab");
}

TEST(NthToken, SkipsNeighbouringDelimitersAsStrtokDoes) {
    EXPECT_EQ(nthToken("Typ='Kestrel12';\n", "='", 1), "Kestrel12");
    EXPECT_EQ(nthToken("Typ='Kestrel12';\n", "='", 2), ";\n");
    EXPECT_EQ(nthToken(",0,5", ",", 1), "5");
    EXPECT_EQ(nthToken("0,,7;", ",", 1), "7;");
    EXPECT_EQ(nthToken("0,", ",", 1), std::nullopt);
    EXPECT_EQ(nthToken("", ",", 0), std::nullopt);
    EXPECT_EQ(nthToken("abc", ",", 0), "abc");
}

} // namespace
} // namespace kestrel
