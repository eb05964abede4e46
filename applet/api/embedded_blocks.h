// The design image and the icon that the library carries in its data (see embedded_blocks.S).
#pragma once

#include <cstdint>

extern "C" {
__attribute__((visibility("hidden"))) extern const unsigned char kestrel_embedded_design_image[];
__attribute__((visibility("hidden"))) extern const unsigned char kestrel_embedded_icon[];
}

namespace kestrel {

// Byte lengths of the two blocks, as the properties query reports them.
inline constexpr uint64_t kEmbeddedDesignImageSize = 2113379;
inline constexpr uint64_t kEmbeddedIconSize = 2992;

// The image version passed when an external image file is opened.
inline constexpr int32_t kDesignImageFileVersion = 2626;
// Open flags of the design runtime for both image sources.
inline constexpr int32_t kDesignImageOpenFlags = 1;

} // namespace kestrel
