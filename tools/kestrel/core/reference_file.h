// A reference image of the shading correction as the applet reads it: the applet takes TIFF only,
// so a PNG reference is handed to it as a TIFF copy with the same samples.
#pragma once

#include "file_checks.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kestrel::tool {

class ReferenceFile {
public:
    // path as the user gave it. A PNG is copied to keptAs when that is not empty (where a
    // configuration file will find it later), else to a temporary file removed with the object.
    // Throws std::runtime_error naming the file when a PNG cannot be read or its copy written.
    ReferenceFile(const std::string& path, const std::string& keptAs);

    // The file the applet is to read: the user's TIFF, or the copy of the PNG.
    const std::string& appletPath() const { return appletPath_; }
    bool converted() const { return converted_; }
    // Geometry and depth as read here; 0 when the file cannot be read here (the applet then says
    // why when it tries).
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t bits() const { return bits_; }

private:
    void copyPng(const std::string& path, const std::string& to);

    std::string appletPath_;
    bool converted_ = false;
    int32_t width_ = 0, height_ = 0, bits_ = 0;
    std::unique_ptr<TemporaryFile> temporary_;
};

} // namespace kestrel::tool
