// Geometry and depth of an image file the tool hands on (camera images, shading references).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrel::tool {

struct ImageHeader {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bits = 0;
    bool png = false;
};

// A PNG is read from its header through libpng, anything else through libregiort; nothing when
// neither can read it.
std::optional<ImageHeader> readImageHeader(const std::string& path);

} // namespace kestrel::tool
