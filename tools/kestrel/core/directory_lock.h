// An exclusive advisory lock on a folder, held while a command replaces a file in it: two
// commands that change one configuration file take turns instead of one undoing the other.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel::tool {

class DirectoryLock {
public:
    // Blocks until the folder holding `file` is locked; says on stderr when it waits for another
    // holder. A folder that cannot be opened to lock it is not locked (the caller still sees
    // changes made meanwhile by comparing the file's content).
    explicit DirectoryLock(const std::string& file);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

private:
    // The folder's descriptor on POSIX, the lock file's HANDLE on Windows; -1 when not locked.
    intptr_t native_ = -1;
};

} // namespace kestrel::tool
