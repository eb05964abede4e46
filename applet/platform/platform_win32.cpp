// Win32 implementation of the platform layer: LoadLibraryA, critical sections and mutexes,
// GetTempPathA, the performance counter.
#include "platform/platform.h"

#if defined(_WIN32)

#include <algorithm>
#include <atomic>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace kestrel::platform {

const char* hostLibraryFileName() {
    return "grabhost5.dll";
}

std::optional<SharedLibrary> SharedLibrary::open(const char* fileName) {
    if (fileName == nullptr)
        return std::nullopt;
    // A library already in the process (the host that loaded us) is returned with one more
    // reference, as dlopen does.
    HMODULE module = LoadLibraryA(fileName);
    if (module == nullptr)
        return std::nullopt;
    return SharedLibrary(module);
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept : handle_(other.handle_) {
    other.handle_ = nullptr;
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr)
            FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr)
        FreeLibrary(static_cast<HMODULE>(handle_));
}

void* SharedLibrary::symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

namespace {
// Any address inside this module names it; GetModuleHandleEx then answers the applet DLL itself,
// not the executable that loaded it.
void moduleAnchor() {}
} // namespace

std::string moduleFileName() {
    HMODULE module = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&moduleAnchor), &module) == 0)
        return {};
    // A name that fills the buffer may have been cut; try again with a larger one.
    for (DWORD size = MAX_PATH + 1; size <= 32768; size *= 2) {
        std::vector<char> buffer(size);
        const DWORD length = GetModuleFileNameA(module, buffer.data(), size);
        if (length == 0)
            return {};
        if (length < size)
            return std::string(buffer.data(), length);
    }
    return {};
}

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

std::string temporaryDirectory() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length > MAX_PATH)
        return {};
    std::string directory(buffer, length);
    if (directory.back() != '\\' && directory.back() != '/')
        directory.push_back('\\');
    return directory;
}

bool createFileExclusive(const char* path) {
    // No sharing while it is open, and CREATE_NEW fails on an existing name: the exclusive
    // create. The default security of the caller leaves it to its owner.
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool removeFile(const char* path) {
    return DeleteFileA(path) != 0;
}

uint64_t monotonicNs() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    if (QueryPerformanceFrequency(&frequency) == 0 || frequency.QuadPart <= 0 ||
        QueryPerformanceCounter(&counter) == 0)
        return 0;
    const auto ticks = static_cast<uint64_t>(counter.QuadPart);
    const auto perSecond = static_cast<uint64_t>(frequency.QuadPart);
    // Whole seconds and the remainder apart, so that the product does not overflow.
    return ticks / perSecond * 1000000000ull + ticks % perSecond * 1000000000ull / perSecond;
}

uint64_t tickCountMs() {
    return GetTickCount64();
}

void sleepNs(uint64_t durationNs) {
    // Sleep counts whole milliseconds; round up so that the wait is never shorter.
    uint64_t remainingMs = (durationNs + 999999ull) / 1000000ull;
    while (remainingMs > 0) {
        const DWORD step = remainingMs >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(remainingMs);
        Sleep(step);
        remainingMs -= step;
    }
}

namespace {

bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The C runtime's strtod in the "C" locale: exact for decimal texts, also where they overflow or
// underflow, but without the hexadecimal, infinity and NaN forms.
double crtStrtodInCLocale(const char* text) {
    // Created once and never freed, for the whole process lifetime.
    static const _locale_t locale = _create_locale(LC_ALL, "C");
    if (locale == nullptr)
        return std::strtod(text, nullptr);
    return _strtod_l(text, nullptr, locale);
}

} // namespace

// msvcrt's strtod reads no "0x1p4", "inf" or "nan", which C99 runtimes and the POSIX build do:
// std::from_chars reads every form, in no locale, so a file reads the same on both systems. It
// takes no blanks, '+' or "0x" prefix; those are handled here as strtod handles them.
double strtodInCLocale(const char* text) {
    const char* p = text;
    while (isCSpace(*p))
        ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    if (*p == '+' || *p == '-')
        return 0.0;
    const char* const end = p + std::strlen(p);
    const bool hex = p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
    double value = 0.0;
    const std::from_chars_result read =
        hex ? std::from_chars(p + 2, end, value, std::chars_format::hex) : std::from_chars(p, end, value);
    if (read.ec == std::errc::invalid_argument)
        value = 0.0; // no number ("0x" alone reads as its 0)
    if (read.ec == std::errc::result_out_of_range) {
        if (!hex)
            return crtStrtodInCLocale(text);
        // Out of range with a binary exponent: a negative one made it too small, else too large.
        const char* exponent = std::find_if(p, read.ptr, [](char c) { return c == 'p' || c == 'P'; });
        value = exponent + 1 < read.ptr && exponent[1] == '-' ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

bool localTime(std::time_t time, std::tm& local) {
    return localtime_s(&local, &time) == 0;
}

// A critical section lets its owner enter again and leaves any other thread's leave undefined;
// the owner and depth kept beside it turn such a leave into a refusal, as on POSIX.
struct NativeSection::Native {
    CRITICAL_SECTION section;
    std::atomic<DWORD> owner{0};
    uint32_t depth = 0; // touched only by the owner
};

NativeSection::NativeSection() : native_(std::make_unique<Native>()) {
    InitializeCriticalSection(&native_->section);
}

NativeSection::~NativeSection() {
    DeleteCriticalSection(&native_->section);
}

void NativeSection::lock() {
    EnterCriticalSection(&native_->section);
    native_->owner.store(GetCurrentThreadId(), std::memory_order_relaxed);
    ++native_->depth;
}

bool NativeSection::tryLock() {
    if (TryEnterCriticalSection(&native_->section) == 0)
        return false;
    native_->owner.store(GetCurrentThreadId(), std::memory_order_relaxed);
    ++native_->depth;
    return true;
}

bool NativeSection::unlock() {
    if (native_->owner.load(std::memory_order_relaxed) != GetCurrentThreadId())
        return false;
    if (--native_->depth == 0)
        native_->owner.store(0, std::memory_order_relaxed);
    LeaveCriticalSection(&native_->section);
    return true;
}

struct NativeMutex::Native {
    HANDLE mutex = nullptr;
};

NativeMutex::NativeMutex() : native_(std::make_unique<Native>()) {
    // Unnamed and created unowned. Only exhausted system resources refuse one.
    native_->mutex = CreateMutexA(nullptr, FALSE, nullptr);
    if (native_->mutex == nullptr)
        throw std::bad_alloc();
}

NativeMutex::~NativeMutex() {
    if (native_->mutex != nullptr)
        CloseHandle(native_->mutex);
}

void NativeMutex::lock() {
    // An owner that ended without releasing hands the mutex on as abandoned: it is held all the
    // same.
    WaitForSingleObject(native_->mutex, INFINITE);
}

bool NativeMutex::tryLock() {
    const DWORD result = WaitForSingleObject(native_->mutex, 0);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

bool NativeMutex::unlock() {
    // ReleaseMutex refuses a thread that does not own the mutex.
    return ReleaseMutex(native_->mutex) != 0;
}

} // namespace kestrel::platform

#endif // _WIN32
