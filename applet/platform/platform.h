// The operating-system services the applet needs, behind one small interface; the only file set
// that knows which system it runs on (platform_posix.cpp and platform_win32.cpp implement it).
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

namespace kestrel::platform {

// File name of the host SDK library as the dynamic loader knows it.
const char* hostLibraryFileName();

// A loaded shared library. Holds one reference; closing drops it, so a library that was already
// in the process (the host that loaded us) stays loaded.
class SharedLibrary {
public:
    // Loads `fileName` with immediate binding; std::nullopt when the loader refuses.
    static std::optional<SharedLibrary> open(const char* fileName);

    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    ~SharedLibrary();

    // Address of the exported symbol `name`, or null when the library has none.
    void* symbol(const char* name) const;

private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;
};

// Full path of the file this code was loaded from (the applet library, or the executable the
// core is linked into); empty when the loader cannot tell.
std::string moduleFileName();

// Value of an environment variable; std::nullopt when it is not set (an empty value is set).
std::optional<std::string> environmentValue(const char* name);

// Directory for temporary files, always ending in a separator: on POSIX $TMPDIR when it is set
// and non-empty, else "/tmp/"; on Windows what GetTempPathA answers.
std::string temporaryDirectory();

// Creates `path` only if it does not exist yet, readable and writable by the owner alone, and
// closes it again. False when the file exists or cannot be created.
bool createFileExclusive(const char* path);

// Deletes a file; false when it could not be removed.
bool removeFile(const char* path);

// Milliseconds of a clock that never jumps; wraps as a 64-bit count.
uint64_t tickCountMs();

// Nanoseconds of the same monotonic clock, for precise waits.
uint64_t monotonicNs();

// Suspends the calling thread for at least `durationNs` nanoseconds.
void sleepNs(uint64_t durationNs);

// strtod in the "C" locale, whatever the process's locale is: numbers in files always use '.'.
double strtodInCLocale(const char* text);

// The local time of `time`, from any thread; false when the system cannot convert it.
bool localTime(std::time_t time, std::tm& local);

// A section the owning thread may enter again, for one process (the object lock builds on it):
// a critical section on Windows, a recursive pthread mutex on POSIX.
class NativeSection {
public:
    NativeSection();
    ~NativeSection();
    NativeSection(const NativeSection&) = delete;
    NativeSection& operator=(const NativeSection&) = delete;

    void lock();
    bool tryLock();
    // False (and nothing changes) when the calling thread does not hold the section.
    bool unlock();

private:
    struct Native;
    std::unique_ptr<Native> native_;
};

// A mutex the owning thread may take again (the recursive mutex builds on it): an unnamed Win32
// mutex on Windows, a recursive pthread mutex on POSIX.
class NativeMutex {
public:
    NativeMutex();
    ~NativeMutex();
    NativeMutex(const NativeMutex&) = delete;
    NativeMutex& operator=(const NativeMutex&) = delete;

    void lock();
    bool tryLock();
    // False (and nothing changes) when the calling thread does not own the mutex.
    bool unlock();

private:
    struct Native;
    std::unique_ptr<Native> native_;
};

} // namespace kestrel::platform
