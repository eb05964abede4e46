// Finding, loading and binding applet libraries.
#include "applet_library.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cstdlib>
#include <new>

namespace kestrel::host {
namespace {

std::string directoryOfThisLibrary() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&directoryOfThisLibrary), &info) == 0 ||
        info.dli_fname == nullptr)
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

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// dlsym on a module handle also searches the module's dependencies; an export the applet lacks
// must stay null rather than bind a namesake in some library the applet links.
template <typename Fn> void bind(void* module, const link_map* own, const char* name, Fn& slot) {
    void* address = ::dlsym(module, name);
    Dl_info info{};
    link_map* owner = nullptr;
    if (address != nullptr &&
        (::dladdr1(address, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 || owner != own))
        address = nullptr;
    slot = reinterpret_cast<Fn>(address);
}

} // namespace

std::vector<std::string> appletSearchPath() {
    std::vector<std::string> directories;
    const char* path = std::getenv("KESTREL_APPLET_PATH");
    if (path != nullptr && path[0] != '\0') {
        std::string entry;
        for (const char* c = path;; ++c) {
            if (*c == ':' || *c == '\0') {
                if (!entry.empty())
                    directories.push_back(entry);
                entry.clear();
                if (*c == '\0')
                    break;
            } else {
                entry += *c;
            }
        }
    }
    if (directories.empty())
        directories.push_back(directoryOfThisLibrary());
    return directories;
}

std::string appletFileName(const std::string& name) {
    const std::string suffix = ".so";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        return name;
    return name + suffix;
}

int32_t AppletLibrary::load(const std::string& name, std::shared_ptr<AppletLibrary>& library,
                            std::string& detail) {
    if (name.empty()) {
        detail = "no applet name given";
        return GH5_ERR_INVALID_ARGUMENT;
    }
    std::string file;
    if (name.find('/') != std::string::npos) {
        if (isRegularFile(name))
            file = name;
        detail = "applet file " + name;
    } else {
        const std::string fileName = appletFileName(name);
        detail = fileName + " looked for in";
        for (const std::string& directory : appletSearchPath()) {
            detail += " " + directory;
            const std::string candidate = directory + "/" + fileName;
            if (file.empty() && isRegularFile(candidate))
                file = candidate;
        }
    }
    if (file.empty())
        return GH5_ERR_APPLET_NOT_FOUND;

    ::dlerror();
    void* module = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* why = ::dlerror();
        detail = why != nullptr ? why : file + " could not be loaded";
        return GH5_ERR_APPLET_NOT_LOADED;
    }
    try {
        library.reset(new AppletLibrary(module, file));
    } catch (const std::bad_alloc&) {
        ::dlclose(module);
        return GH5_ERR_OUT_OF_MEMORY;
    }
    const Gh5AppletExports& e = library->exports();
    if (e.Std_entry == nullptr || e.Info == nullptr || e.Fg_FreeGrabber == nullptr) {
        detail = file + " lacks Std_entry, Info or Fg_FreeGrabber";
        library.reset();
        return GH5_ERR_APPLET_INCOMPLETE;
    }
    detail = file;
    return GH5_OK;
}

AppletLibrary::AppletLibrary(void* module, std::string file) : module_(module), file_(std::move(file)) {
    Gh5AppletExports& e = exports_;
    link_map* own = nullptr;
    if (::dlinfo(module_, RTLD_DI_LINKMAP, &own) != 0)
        return; // every export stays null: the library is refused as incomplete
    bind(module_, own, "Std_entry", e.Std_entry);
    bind(module_, own, "Info", e.Info);
    bind(module_, own, "Fg_setParameterWithType", e.Fg_setParameterWithType);
    bind(module_, own, "Fg_getParameterWithType", e.Fg_getParameterWithType);
    bind(module_, own, "Fg_getParameterIdByName", e.Fg_getParameterIdByName);
    bind(module_, own, "Fg_getParameterName", e.Fg_getParameterName);
    bind(module_, own, "Fg_getParameterId", e.Fg_getParameterId);
    bind(module_, own, "Fg_getNrOfParameter", e.Fg_getNrOfParameter);
    bind(module_, own, "Fg_getEventMask", e.Fg_getEventMask);
    bind(module_, own, "Fg_getEventName", e.Fg_getEventName);
    bind(module_, own, "Fg_saveConfig", e.Fg_saveConfig);
    bind(module_, own, "Fg_loadConfig", e.Fg_loadConfig);
    bind(module_, own, "Fg_getParameterInfoXML", e.Fg_getParameterInfoXML);
    bind(module_, own, "Fg_getParameterInfo", e.Fg_getParameterInfo);
    bind(module_, own, "Fg_AllocShading", e.Fg_AllocShading);
    bind(module_, own, "Fg_FreeShading", e.Fg_FreeShading);
    bind(module_, own, "Shad_SetSubValueLine", e.Shad_SetSubValueLine);
    bind(module_, own, "Shad_SetMultValueLine", e.Shad_SetMultValueLine);
    bind(module_, own, "Shad_SetFixedPatternNoiseLine", e.Shad_SetFixedPatternNoiseLine);
    bind(module_, own, "Shad_GetMaxLine", e.Shad_GetMaxLine);
    bind(module_, own, "Shad_GetAccess", e.Shad_GetAccess);
    bind(module_, own, "Shad_FreeAccess", e.Shad_FreeAccess);
    bind(module_, own, "Shad_WriteActLine", e.Shad_WriteActLine);
    bind(module_, own, "Fg_getAppletId", e.Fg_getAppletId);
    bind(module_, own, "Fg_getStatusEx", e.Fg_getStatusEx);
    bind(module_, own, "Fg_AcquireEx", e.Fg_AcquireEx);
    bind(module_, own, "Fg_stopAcquireEx", e.Fg_stopAcquireEx);
    bind(module_, own, "Fg_getLastPicNumberEx", e.Fg_getLastPicNumberEx);
    bind(module_, own, "Fg_getLastPicNumberBlockingEx", e.Fg_getLastPicNumberBlockingEx);
    bind(module_, own, "Fg_getLastErrorNumber", e.Fg_getLastErrorNumber);
    bind(module_, own, "Fg_FreeGrabber", e.Fg_FreeGrabber);
}

AppletLibrary::~AppletLibrary() {
    ::dlclose(module_);
}

} // namespace kestrel::host
