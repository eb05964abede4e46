// Frame copies shared over a worker pool.
#include "pipeline/parallel_copy.h"

#include <algorithm>
#include <cstring>

namespace kestrel::board {

namespace {

// Below this a copy stays on the caller; above it, pieces of at least this size go to the pool.
constexpr size_t kMinPieceBytes = size_t{1} << 20;
// A few pieces per thread, taken as threads come free, so a thread another program holds up does
// not hold up the copy.
constexpr size_t kPiecesPerThread = 4;
// Pieces are whole cache lines apart, so with an aligned destination no two threads write one.
constexpr size_t kCacheLineBytes = 64;

} // namespace

void ParallelCopy::copy(std::byte* to, const std::byte* from, size_t bytes) {
    const size_t pieces = std::min(size_t{pool_.threadCount()} * kPiecesPerThread, bytes / kMinPieceBytes);
    if (pieces < 2) {
        if (bytes > 0)
            std::memcpy(to, from, bytes);
        return;
    }
    const auto edge = [&](size_t piece) {
        return piece == pieces ? bytes : bytes / pieces * piece / kCacheLineBytes * kCacheLineBytes;
    };
    pool_.run(unsigned(pieces), [&](unsigned piece, unsigned) {
        const size_t start = edge(piece);
        std::memcpy(to + start, from + start, edge(piece + 1) - start);
    });
}

} // namespace kestrel::board
