// What a grab checks before it acquires: an output folder that holds one run only, and a buffer
// ring the machine's memory can hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrel::tool {

// Frame files an earlier run left in a folder (frame_<number>.tif or .png, and .part files).
struct EarlierFrames {
    uint64_t count = 0;
    std::string example; // the first of them by name
};

// Nothing when directory does not exist or holds no frame files.
std::optional<EarlierFrames> earlierFrames(const std::string& directory);
// The refusal of a grab into a folder with an earlier run's frames, saying what to do; "" when
// there are none.
std::string earlierRunRefusal(const std::string& directory);
// Removes the frame files of an earlier run (nothing else); "" or "cannot remove NAME: reason".
std::string removeEarlierFrames(const std::string& directory);

// Why a ring of buffers x frameBytes cannot be had ("" when it can): more than the host allows for
// one memory or more than half of the machine's physical memory (physicalBytes, 0 when unknown).
std::string ringMemoryProblem(uint64_t buffers, uint64_t frameBytes, uint64_t physicalBytes);
// The machine's physical memory in bytes, 0 when the system does not say.
uint64_t physicalMemoryBytes();

} // namespace kestrel::tool
