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

} // namespace kestrel
