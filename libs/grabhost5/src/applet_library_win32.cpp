// Applet libraries through the Windows loader: LoadLibraryExW from the applet's own folder,
// GetProcAddress, FreeLibrary.
#include "applet_loader.h"

#if defined(_WIN32)

#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace kestrel::host::loader {
namespace {

// The system's message for a loader error, without its trailing line end.
std::string systemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : message;
}

// Paths are narrow strings in the process's code page everywhere else in the host.
std::wstring widened(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length) - 1);
    return wide;
}

} // namespace

std::string hostDirectory() {
    HMODULE self = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&hostDirectory), &self) == 0)
        return ".";
    for (DWORD size = MAX_PATH + 1; size <= 32768; size *= 2) {
        std::vector<char> buffer(size);
        const DWORD length = GetModuleFileNameA(self, buffer.data(), size);
        if (length == 0)
            return ".";
        if (length < size) {
            const std::string path(buffer.data(), length);
            const std::size_t separator = path.find_last_of("\\/");
            return separator == std::string::npos ? "." : path.substr(0, separator);
        }
    }
    return ".";
}

const char* librarySuffix() {
    return ".dll";
}

char searchPathSeparator() {
    return ';';
}

bool namesDirectory(const std::string& name) {
    return name.find_first_of("/\\") != std::string::npos;
}

std::string joinPath(const std::string& directory, const std::string& file) {
    if (!directory.empty() && (directory.back() == '\\' || directory.back() == '/'))
        return directory + file;
    return directory + "\\" + file;
}

void* open(const std::string& file, std::string& why) {
    // The applet's own imports (designrt.dll, boardhw.dll, ...) resolve in its folder first, as
    // RUNPATH $ORIGIN does on Linux; that search wants a full path with backslashes.
    const std::wstring wide = widened(file);
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(length, L'\0');
    if (length == 0 || GetFullPathNameW(wide.c_str(), length, full.data(), nullptr) == 0) {
        why = file + ": " + systemMessage(GetLastError());
        return nullptr;
    }
    full.resize(length - 1);
    for (wchar_t& c : full)
        if (c == L'/')
            c = L'\\';
    // No dialog box for a library that cannot be loaded: the caller reports it.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryExW(full.c_str(), nullptr,
                                    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    const DWORD error = GetLastError();
    SetErrorMode(previousMode);
    if (module == nullptr)
        why = file + ": " + systemMessage(error);
    return module;
}

void close(void* module) {
    FreeLibrary(static_cast<HMODULE>(module));
}

// GetProcAddress reads the module's own export table alone, so a namesake in a library it
// imports is never found.
void* exportOf(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

} // namespace kestrel::host::loader

#endif // _WIN32
