// Shared pieces of the file-reader fuzzers: a scratch file per process and a plain reference
// reading of line pieces through the C library itself, to hold the readers' answers against.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace kestrel::fuzz {

// Stops the run with a message: libFuzzer keeps the input that got here.
#define FUZZ_CHECK(condition, what)                                                                          \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, __FILE__, __LINE__);               \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

// One file in the temporary folder for the whole run, removed at exit.
class ScratchFile {
public:
    explicit ScratchFile(const char* suffix) {
        // A memory file system when there is one: a disk one may write truncated-and-rewritten
        // files through at close, which would slow each run down to the disk's pace.
        const char* tmp = std::getenv("TMPDIR");
        std::string dir =
            tmp != nullptr && *tmp != '\0' ? tmp : (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        path_ = dir + "/kestrel-fuzz-XXXXXX" + suffix;
        const int fd = mkstemps(path_.data(), static_cast<int>(std::strlen(suffix)));
        FUZZ_CHECK(fd >= 0, "scratch file not created");
        close(fd);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile() { std::remove(path_.c_str()); }

    const char* path() const { return path_.c_str(); }

    void write(std::string_view content) const {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        FUZZ_CHECK(file != nullptr, "scratch file not opened");
        std::fwrite(content.data(), 1, content.size(), file);
        std::fclose(file);
    }

private:
    std::string path_;
};

// "\r\n" as a text-mode stream on the files' home platform reads it: "\n".
inline std::string foldWindowsLineEnds(std::string_view raw) {
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
            continue;
        }
        text.push_back(raw[i]);
    }
    return text;
}

// The C strings fgets with a 256-byte buffer returns, one per call, for the given text.
inline std::vector<std::string> fgetsPieces(const std::string& text) {
    std::vector<std::string> pieces;
    if (text.empty()) {
        return pieces;
    }
    std::FILE* stream = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    FUZZ_CHECK(stream != nullptr, "fmemopen failed");
    char line[256];
    while (std::fgets(line, sizeof line, stream) != nullptr) {
        pieces.emplace_back(line); // as C string functions see it: up to the first NUL
    }
    std::fclose(stream);
    return pieces;
}

// The token of a strtok split with the given index (0 first), or nothing.
inline bool strtokToken(const std::string& text, const char* delimiters, int index, std::string& token) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    char* state = nullptr;
    char* part = strtok_r(copy.data(), delimiters, &state);
    for (int i = 0; i < index && part != nullptr; ++i) {
        part = strtok_r(nullptr, delimiters, &state);
    }
    if (part == nullptr) {
        return false;
    }
    token = part;
    return true;
}

} // namespace kestrel::fuzz
