// Unique temporary files "coef-XXXXXX.tiff" for the shading coefficient upload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kestrel {

// The temporary directory must be shorter than this, so that the whole name fits the 260-character
// path buffer the name is built in.
inline constexpr std::size_t kTempDirectoryLengthLimit = 243;
inline constexpr std::size_t kTempPathBufferSize = 260;
inline constexpr const char* kTempFileTemplate = "coef-XXXXXX.tiff";
inline constexpr std::size_t kTempFileSuffixLength = 5; // ".tiff"
inline constexpr int kTempFileAttempts = 32767;
inline constexpr uint64_t kTempCounterStep = 7777;

// Replaces the six 'X' that stand right before the last `suffixLength` characters of `text` with
// base-62 digits of a value derived from `tickMs` and a process-wide counter, and creates that
// file exclusively (owner read/write) and closes it. Each attempt advances the counter, so two
// calls in the same millisecond give different names. False, with `text` emptied after the last
// attempt, when no file could be created; false with `text` unchanged when it has no "XXXXXX"
// at that place.
bool fillTemplateAndCreate(std::string& text, std::size_t suffixLength, uint64_t tickMs);

// The process-wide counter as it stands (each name made advances it).
uint64_t tempNameCounter();

// The full name of a new, empty file in the temporary directory, owned by the caller (remove it
// with removeTempFile). std::nullopt when the directory name is empty or too long, or no file
// could be created.
std::optional<std::string> makeTempFileName();

// Deletes a file made by makeTempFileName; a file already gone is not an error.
void removeTempFile(const std::string& path);

} // namespace kestrel
