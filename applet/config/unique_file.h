// An owned C stream that closes itself.
#pragma once

#include <cstdio>
#include <memory>

namespace kestrel {

struct FileCloser {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};

using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file with fopen; null when it cannot be opened or the name is null.
inline UniqueFile openFile(const char* fileName, const char* mode) {
    return UniqueFile(fileName != nullptr ? std::fopen(fileName, mode) : nullptr);
}

// Flushes and closes a stream that was written to. True only when no earlier write on it failed
// (its error flag), the flush and the close succeeded: a full disk often shows only at the flush
// or the close. The stream is closed either way; false also for no stream.
inline bool closeWrittenFile(UniqueFile& file) {
    if (!file)
        return false;
    std::FILE* stream = file.release();
    const bool written = std::ferror(stream) == 0;
    const bool flushed = std::fflush(stream) == 0;
    const bool closed = std::fclose(stream) == 0;
    return written && flushed && closed;
}

}  // namespace kestrel
