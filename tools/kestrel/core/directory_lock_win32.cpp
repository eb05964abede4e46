// The folder lock as a hidden lock file in the folder, opened with no sharing: a second opener is
// refused until the holder closes it. The system deletes the file with its last handle, so a
// holder that dies releases the lock and leaves nothing behind.
#include "directory_lock.h"

#if defined(_WIN32)

#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace kestrel::tool {
namespace {

// Busy: another holder has the file open. Pending: it was just closed and its deletion is still
// pending; the same answer from a folder nobody may write lasts, so it ends the tries in time.
enum class Attempt { Locked, Busy, Pending, Impossible };

Attempt tryLock(const std::string& lockFile, HANDLE& handle) {
    handle = CreateFileA(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
        return Attempt::Locked;
    switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
        return Attempt::Busy;
    case ERROR_ACCESS_DENIED:
        return Attempt::Pending;
    default:
        return Attempt::Impossible;
    }
}

} // namespace

DirectoryLock::DirectoryLock(const std::string& file) {
    const std::filesystem::path parent = std::filesystem::path(file).parent_path();
    const std::string folder = parent.empty() ? "." : parent.string();
    const std::string lockFile = (std::filesystem::path(folder) / ".kestrel.lock").string();
    // Holders keep the lock for the moment a file is replaced; a longer wait is worth a word. A
    // folder where the lock file cannot be made is not locked (as on POSIX a folder that cannot
    // be opened).
    constexpr int kQuietTries = 200;
    HANDLE handle = INVALID_HANDLE_VALUE;
    Attempt attempt = Attempt::Busy;
    int pendingInARow = 0;
    bool told = false;
    for (int tries = 1;; ++tries) {
        attempt = tryLock(lockFile, handle);
        pendingInARow = attempt == Attempt::Pending ? pendingInARow + 1 : 0;
        if (attempt == Attempt::Locked || attempt == Attempt::Impossible || pendingInARow >= kQuietTries)
            break;
        if (tries >= kQuietTries && attempt == Attempt::Busy && !told) {
            std::cerr << "kestrel: waiting for another kestrel that is changing a file in " << folder << "\n";
            told = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (attempt == Attempt::Locked)
        native_ = reinterpret_cast<intptr_t>(handle);
}

DirectoryLock::~DirectoryLock() {
    if (native_ != -1)
        CloseHandle(reinterpret_cast<HANDLE>(native_));
}

} // namespace kestrel::tool

#endif // _WIN32
