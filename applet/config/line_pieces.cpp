// Line pieces of text files, as fgets with a 256-byte buffer reads them.
#include "config/line_pieces.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace kestrel {
namespace {

constexpr std::size_t kReadBlockBytes = 64 * 1024;

} // namespace

LinePieceReader::LinePieceReader(std::FILE* stream)
    : stream_(stream), buffer_(std::make_unique_for_overwrite<char[]>(kReadBlockBytes + 1)) {}

bool LinePieceReader::refill() {
    if (endOfFile_ || stream_ == nullptr) {
        return false;
    }
    std::size_t filled = 0;
    if (carriedReturn_) {
        buffer_[filled++] = '\r';
        carriedReturn_ = false;
    }
    const std::size_t got = std::fread(buffer_.get() + filled, 1, kReadBlockBytes, stream_);
    if (got < kReadBlockBytes) {
        endOfFile_ = true;
    }
    filled += got;
    begin_ = 0;
    // A '\r' at the very end of the block may be the first half of a pair, so it waits for the
    // next block unless the file has ended.
    if (!endOfFile_ && filled > 0 && buffer_[filled - 1] == '\r') {
        carriedReturn_ = true;
        --filled;
    }
    end_ = foldWindowsLineEnds(buffer_.get(), filled);
    return end_ > 0 || carriedReturn_;
}

std::optional<std::string_view> LinePieceReader::next() {
    std::size_t length = 0;
    while (length < kLinePieceMax) {
        if (begin_ == end_ && !refill()) {
            break;
        }
        if (begin_ == end_) {
            continue; // only a carried '\r' so far
        }
        const std::size_t want = std::min(kLinePieceMax - length, end_ - begin_);
        const char* start = buffer_.get() + begin_;
        const void* newline = std::memchr(start, '\n', want);
        const std::size_t take = newline != nullptr
                                     ? static_cast<std::size_t>(static_cast<const char*>(newline) - start) + 1
                                     : want;
        std::memcpy(piece_.data() + length, start, take);
        length += take;
        begin_ += take;
        if (newline != nullptr) {
            break;
        }
    }
    if (length == 0) {
        return std::nullopt;
    }
    return std::string_view(piece_.data(), length);
}

std::size_t foldWindowsLineEnds(char* text, std::size_t size) {
    if (std::memchr(text, '\r', size) == nullptr) {
        return size;
    }
    std::size_t out = 0;
    for (std::size_t in = 0; in < size; ++in) {
        if (text[in] == '\r' && in + 1 < size && text[in + 1] == '\n') {
            continue;
        }
        text[out++] = text[in];
    }
    return out;
}

std::optional<std::string_view> nthToken(std::string_view text, std::string_view delimiters,
                                         std::size_t index) {
    std::size_t position = 0;
    for (std::size_t found = 0;; ++found) {
        const std::size_t start = text.find_first_not_of(delimiters, position);
        if (start == std::string_view::npos) {
            return std::nullopt;
        }
        std::size_t stop = text.find_first_of(delimiters, start);
        if (stop == std::string_view::npos) {
            stop = text.size();
        }
        if (found == index) {
            return text.substr(start, stop - start);
        }
        position = stop;
    }
}

} // namespace kestrel
