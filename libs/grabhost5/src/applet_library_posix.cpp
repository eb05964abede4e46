// Applet libraries through the POSIX dynamic loader: dlopen, and dladdr for where a symbol lives.
#include "applet_loader.h"

#if !defined(_WIN32)

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>

namespace kestrel::host::loader {

std::string hostDirectory() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&hostDirectory), &info) == 0 || info.dli_fname == nullptr)
        return ".";
    // The loader may name the library through a RUNPATH such as "bin/../lib"; the real path makes
    // messages and comparisons plain.
    char* resolved = ::realpath(info.dli_fname, nullptr);
    const std::string path = resolved != nullptr ? resolved : info.dli_fname;
    std::free(resolved);
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

const char* librarySuffix() {
    return ".so";
}

char searchPathSeparator() {
    return ':';
}

bool namesDirectory(const std::string& name) {
    return name.find('/') != std::string::npos;
}

std::string joinPath(const std::string& directory, const std::string& file) {
    return directory + "/" + file;
}

void* open(const std::string& file, std::string& why) {
    ::dlerror();
    void* module = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* text = ::dlerror();
        why = text != nullptr ? text : "";
    }
    return module;
}

void close(void* module) {
    ::dlclose(module);
}

// dlsym on a module handle also searches the module's dependencies; an export the applet lacks
// must stay null rather than bind a namesake in some library the applet links.
void* exportOf(void* module, const char* name) {
    link_map* own = nullptr;
    if (::dlinfo(module, RTLD_DI_LINKMAP, &own) != 0)
        return nullptr;
    void* address = ::dlsym(module, name);
    Dl_info info{};
    link_map* owner = nullptr;
    if (address != nullptr &&
        (::dladdr1(address, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 || owner != own))
        return nullptr;
    return address;
}

} // namespace kestrel::host::loader

#endif // !_WIN32
