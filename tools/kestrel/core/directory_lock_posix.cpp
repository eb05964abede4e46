// The folder lock with flock(2) on the folder itself: no lock file is left behind, and a holder
// that dies releases it with its descriptor.
#include "directory_lock.h"

#if !defined(_WIN32)

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace kestrel::tool {

DirectoryLock::DirectoryLock(const std::string& file) {
    const std::filesystem::path parent = std::filesystem::path(file).parent_path();
    const std::string folder = parent.empty() ? "." : parent.string();
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    native_ = descriptor;
    // Holders keep the lock for the moment a file is replaced; a longer wait is worth a word.
    constexpr int kQuietTries = 200;
    for (int i = 0; i < kQuietTries; ++i) {
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::cerr << "kestrel: waiting for another kestrel that is changing a file in " << folder << "\n";
    while (::flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
    }
}

DirectoryLock::~DirectoryLock() {
    if (native_ >= 0)
        ::close(static_cast<int>(native_));
}

} // namespace kestrel::tool

#endif // !_WIN32
