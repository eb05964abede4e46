// Output folder and ring checks of a grab.
#include "grab_plan.h"

#include "grabhost5.h"

#include <algorithm>
#include <filesystem>
#include <regex>
#include <system_error>

namespace kestrel::tool {
namespace {

bool isFrameFile(const std::filesystem::path& name) {
    static const std::regex pattern("frame_[0-9]+\\.(tif|png)(\\.part)?");
    return std::regex_match(name.filename().string(), pattern);
}

std::string mebibytes(uint64_t bytes) {
    return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB";
}

} // namespace

std::optional<EarlierFrames> earlierFrames(const std::string& directory) {
    std::error_code error;
    EarlierFrames found;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        if (!isFrameFile(it->path()))
            continue;
        ++found.count;
        const std::string name = it->path().filename().string();
        if (found.example.empty() || name < found.example)
            found.example = name;
    }
    if (found.count == 0)
        return std::nullopt;
    return found;
}

std::string earlierRunRefusal(const std::string& directory) {
    const auto earlier = earlierFrames(directory);
    if (!earlier)
        return "";
    return directory + " holds " + std::to_string(earlier->count) + " frame files of an earlier run (" +
           earlier->example +
           " ...); a folder holds one run: choose another -o, or --replace to remove "
           "them first";
}

std::string removeEarlierFrames(const std::string& directory) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        if (!isFrameFile(it->path()))
            continue;
        std::error_code removing;
        if (!std::filesystem::remove(it->path(), removing) || removing)
            return "cannot remove " + it->path().string() + ": " + removing.message();
    }
    return error ? "cannot list " + directory + ": " + error.message() : "";
}

std::string ringMemoryProblem(uint64_t buffers, uint64_t frameBytes, uint64_t physicalBytes) {
    if (frameBytes > GH5_MAX_BUFFER_BYTES)
        return "a frame of " + mebibytes(frameBytes) + " is more than a buffer holds (" +
               mebibytes(GH5_MAX_BUFFER_BYTES) + ")";
    const uint64_t ring = buffers * frameBytes;
    const uint64_t limit = physicalBytes != 0 ? std::min<uint64_t>(GH5_MAX_MEMORY_BYTES, physicalBytes / 2)
                                              : GH5_MAX_MEMORY_BYTES;
    if (ring <= limit)
        return "";
    return std::to_string(buffers) + " buffers of " + mebibytes(frameBytes) + " take " + mebibytes(ring) +
           ", more than the " + mebibytes(limit) +
           (limit == GH5_MAX_MEMORY_BYTES ? " one acquisition memory holds"
                                          : " of half the machine's memory") +
           "; at most " + std::to_string(std::max<uint64_t>(limit / frameBytes, 1)) + " buffers fit";
}
} // namespace kestrel::tool
