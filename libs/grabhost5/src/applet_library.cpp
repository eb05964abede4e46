// Finding, loading and binding applet libraries.
#include "applet_library.h"

#include "applet_loader.h"

#include <cstdlib>
#include <filesystem>
#include <new>
#include <system_error>

namespace kestrel::host {
namespace {

bool isRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

template <typename Fn> void bind(void* library, const char* name, Fn& slot) {
    slot = reinterpret_cast<Fn>(loader::exportOf(library, name));
}

} // namespace

std::vector<std::string> appletSearchPath() {
    std::vector<std::string> directories;
    const char* path = std::getenv("KESTREL_APPLET_PATH");
    if (path != nullptr && path[0] != '\0') {
        std::string entry;
        for (const char* c = path;; ++c) {
            if (*c == loader::searchPathSeparator() || *c == '\0') {
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
        directories.push_back(loader::hostDirectory());
    return directories;
}

std::string appletFileName(const std::string& name) {
    const std::string suffix = loader::librarySuffix();
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
    if (loader::namesDirectory(name)) {
        if (isRegularFile(name))
            file = name;
        detail = "applet file " + name;
    } else {
        const std::string fileName = appletFileName(name);
        detail = fileName + " looked for in";
        for (const std::string& directory : appletSearchPath()) {
            detail += " " + directory;
            const std::string candidate = loader::joinPath(directory, fileName);
            if (file.empty() && isRegularFile(candidate))
                file = candidate;
        }
    }
    if (file.empty())
        return GH5_ERR_APPLET_NOT_FOUND;

    std::string why;
    void* loaded = loader::open(file, why);
    if (loaded == nullptr) {
        detail = !why.empty() ? why : file + " could not be loaded";
        return GH5_ERR_APPLET_NOT_LOADED;
    }
    try {
        library.reset(new AppletLibrary(loaded, file));
    } catch (const std::bad_alloc&) {
        loader::close(loaded);
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

AppletLibrary::AppletLibrary(void* loaded, std::string file) : module_(loaded), file_(std::move(file)) {
    // An export the library lacks stays null; without Std_entry, Info or Fg_FreeGrabber the
    // library is refused as incomplete.
    Gh5AppletExports& e = exports_;
    bind(module_, "Std_entry", e.Std_entry);
    bind(module_, "Info", e.Info);
    bind(module_, "Fg_setParameterWithType", e.Fg_setParameterWithType);
    bind(module_, "Fg_getParameterWithType", e.Fg_getParameterWithType);
    bind(module_, "Fg_getParameterIdByName", e.Fg_getParameterIdByName);
    bind(module_, "Fg_getParameterName", e.Fg_getParameterName);
    bind(module_, "Fg_getParameterId", e.Fg_getParameterId);
    bind(module_, "Fg_getNrOfParameter", e.Fg_getNrOfParameter);
    bind(module_, "Fg_getEventMask", e.Fg_getEventMask);
    bind(module_, "Fg_getEventName", e.Fg_getEventName);
    bind(module_, "Fg_saveConfig", e.Fg_saveConfig);
    bind(module_, "Fg_loadConfig", e.Fg_loadConfig);
    bind(module_, "Fg_getParameterInfoXML", e.Fg_getParameterInfoXML);
    bind(module_, "Fg_getParameterInfo", e.Fg_getParameterInfo);
    bind(module_, "Fg_AllocShading", e.Fg_AllocShading);
    bind(module_, "Fg_FreeShading", e.Fg_FreeShading);
    bind(module_, "Shad_SetSubValueLine", e.Shad_SetSubValueLine);
    bind(module_, "Shad_SetMultValueLine", e.Shad_SetMultValueLine);
    bind(module_, "Shad_SetFixedPatternNoiseLine", e.Shad_SetFixedPatternNoiseLine);
    bind(module_, "Shad_GetMaxLine", e.Shad_GetMaxLine);
    bind(module_, "Shad_GetAccess", e.Shad_GetAccess);
    bind(module_, "Shad_FreeAccess", e.Shad_FreeAccess);
    bind(module_, "Shad_WriteActLine", e.Shad_WriteActLine);
    bind(module_, "Fg_getAppletId", e.Fg_getAppletId);
    bind(module_, "Fg_getStatusEx", e.Fg_getStatusEx);
    bind(module_, "Fg_AcquireEx", e.Fg_AcquireEx);
    bind(module_, "Fg_stopAcquireEx", e.Fg_stopAcquireEx);
    bind(module_, "Fg_getLastPicNumberEx", e.Fg_getLastPicNumberEx);
    bind(module_, "Fg_getLastPicNumberBlockingEx", e.Fg_getLastPicNumberBlockingEx);
    bind(module_, "Fg_getLastErrorNumber", e.Fg_getLastErrorNumber);
    bind(module_, "Fg_FreeGrabber", e.Fg_FreeGrabber);
}

AppletLibrary::~AppletLibrary() {
    loader::close(module_);
}

} // namespace kestrel::host
