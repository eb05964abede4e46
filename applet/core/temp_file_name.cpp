// Temporary coefficient file names: a base-62 rendering of the tick count plus a counter.
#include "core/temp_file_name.h"

#include <atomic>
#include <string_view>

#include "platform/platform.h"

namespace kestrel {

namespace {

constexpr std::string_view kBase62Digits = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kPlaceholderLength = 6;

// Process-wide and without a lock in spirit (concurrent callers may share a value, and the
// exclusive create sorts that out); atomic only so that such use is not a data race.
std::atomic<uint64_t> gTempNameCounter{0};

void writeBase62(std::string& text, std::size_t position, uint64_t value) {
    for (std::size_t i = 0; i < kPlaceholderLength; ++i) {
        text[position + i] = kBase62Digits[value % 62];
        value /= 62;
    }
}

} // namespace

uint64_t tempNameCounter() {
    return gTempNameCounter.load(std::memory_order_relaxed);
}

bool fillTemplateAndCreate(std::string& text, std::size_t suffixLength, uint64_t tickMs) {
    if (text.size() < suffixLength + kPlaceholderLength)
        return false;
    const std::size_t position = text.size() - suffixLength - kPlaceholderLength;
    if (std::string_view(text).substr(position, kPlaceholderLength) != "XXXXXX")
        return false;

    uint64_t value = tickMs + gTempNameCounter.load(std::memory_order_relaxed);
    gTempNameCounter.store(value, std::memory_order_relaxed);
    for (int attempt = 0; attempt < kTempFileAttempts; ++attempt) {
        writeBase62(text, position, value);
        if (platform::createFileExclusive(text.c_str()))
            return true;
        value = gTempNameCounter.fetch_add(kTempCounterStep, std::memory_order_relaxed) + kTempCounterStep;
    }
    text.clear();
    return false;
}

std::optional<std::string> makeTempFileName() {
    std::string name = platform::temporaryDirectory();
    if (name.empty() || name.size() > kTempPathBufferSize || name.size() >= kTempDirectoryLengthLimit)
        return std::nullopt;
    name += kTempFileTemplate;
    if (!fillTemplateAndCreate(name, kTempFileSuffixLength, platform::tickCountMs()))
        return std::nullopt;
    return name;
}

void removeTempFile(const std::string& path) {
    platform::removeFile(path.c_str());
}

} // namespace kestrel
