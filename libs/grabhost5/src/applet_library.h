// A loaded applet library: where it was found, its module, and the table of its exports.
#pragma once

#include "grabhost5.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestrel::host {

// The directories searched for applet libraries: KESTREL_APPLET_PATH (':'-separated, on Windows
// ';'-separated; empty entries skipped) or, when unset or empty, the directory of the host library.
std::vector<std::string> appletSearchPath();
// The file name for an applet name: "Kestrel12" -> "Kestrel12.so" (".dll" on Windows); a name
// that already ends in the suffix stays.
std::string appletFileName(const std::string& name);

// Owns one reference of the loader; unloading happens when the object goes.
class AppletLibrary {
public:
    // Finds and loads the library. Codes: GH5_ERR_INVALID_ARGUMENT, GH5_ERR_APPLET_NOT_FOUND,
    // GH5_ERR_APPLET_NOT_LOADED, GH5_ERR_APPLET_INCOMPLETE (no Std_entry, Info or
    // Fg_FreeGrabber), GH5_ERR_OUT_OF_MEMORY; detail says what was tried.
    static int32_t load(const std::string& name, std::shared_ptr<AppletLibrary>& library,
                        std::string& detail);

    AppletLibrary(const AppletLibrary&) = delete;
    AppletLibrary& operator=(const AppletLibrary&) = delete;
    ~AppletLibrary();

    const Gh5AppletExports& exports() const { return exports_; }
    const std::string& file() const { return file_; }

private:
    AppletLibrary(void* module, std::string file);

    void* module_;
    std::string file_;
    Gh5AppletExports exports_{};
};

} // namespace kestrel::host
