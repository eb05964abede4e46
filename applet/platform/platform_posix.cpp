// POSIX implementation of the platform layer: dlopen, pthreads, CLOCK_MONOTONIC.
#include "platform/platform.h"

#if !defined(_WIN32)

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <locale.h>
#include <pthread.h>
#include <unistd.h>

namespace kestrel::platform {

const char* hostLibraryFileName() {
    return "libgrabhost5.so";
}

std::optional<SharedLibrary> SharedLibrary::open(const char* fileName) {
    if (fileName == nullptr)
        return std::nullopt;
    void* handle = dlopen(fileName, RTLD_NOW);
    if (handle == nullptr)
        return std::nullopt;
    return SharedLibrary(handle);
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept : handle_(other.handle_) {
    other.handle_ = nullptr;
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr)
            dlclose(handle_);
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr)
        dlclose(handle_);
}

void* SharedLibrary::symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr)
        return nullptr;
    return dlsym(handle_, name);
}

namespace {
// Any address inside this module identifies it to dladdr without taking a reference.
void moduleAnchor() {}
} // namespace

std::string moduleFileName() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&moduleAnchor), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return info.dli_fname;
}

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

std::string temporaryDirectory() {
    std::string directory = "/tmp";
    if (const char* value = std::getenv("TMPDIR"); value != nullptr && value[0] != '\0')
        directory = value;
    if (directory.back() != '/')
        directory.push_back('/');
    return directory;
}

bool createFileExclusive(const char* path) {
    const int fd = ::open(path, O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool removeFile(const char* path) {
    return ::unlink(path) == 0;
}

uint64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000ull + static_cast<uint64_t>(now.tv_nsec);
}

uint64_t tickCountMs() {
    return monotonicNs() / 1000000ull;
}

void sleepNs(uint64_t durationNs) {
    timespec remaining{static_cast<time_t>(durationNs / 1000000000ull),
                       static_cast<long>(durationNs % 1000000000ull)};
    // A signal cuts nanosleep short; carry on with what is left.
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

double strtodInCLocale(const char* text) {
    // Created once and never freed: uselocale-free conversions for the whole process lifetime.
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return std::strtod(text, nullptr);
    return strtod_l(text, nullptr, locale);
}

bool localTime(std::time_t time, std::tm& local) {
    return localtime_r(&time, &local) != nullptr;
}

namespace {

// Both lock kinds are the same recursive pthread mutex here; only Windows tells them apart.
void initRecursive(pthread_mutex_t& mutex) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

} // namespace

struct NativeSection::Native {
    pthread_mutex_t mutex;
};

NativeSection::NativeSection() : native_(std::make_unique<Native>()) {
    initRecursive(native_->mutex);
}

NativeSection::~NativeSection() {
    pthread_mutex_destroy(&native_->mutex);
}

void NativeSection::lock() {
    pthread_mutex_lock(&native_->mutex);
}

bool NativeSection::tryLock() {
    return pthread_mutex_trylock(&native_->mutex) == 0;
}

bool NativeSection::unlock() {
    return pthread_mutex_unlock(&native_->mutex) == 0;
}

struct NativeMutex::Native {
    pthread_mutex_t mutex;
};

NativeMutex::NativeMutex() : native_(std::make_unique<Native>()) {
    initRecursive(native_->mutex);
}

NativeMutex::~NativeMutex() {
    pthread_mutex_destroy(&native_->mutex);
}

void NativeMutex::lock() {
    pthread_mutex_lock(&native_->mutex);
}

bool NativeMutex::tryLock() {
    return pthread_mutex_trylock(&native_->mutex) == 0;
}

bool NativeMutex::unlock() {
    return pthread_mutex_unlock(&native_->mutex) == 0;
}

} // namespace kestrel::platform

#endif // !_WIN32
