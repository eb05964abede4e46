// Image files the application shows the virtual camera instead of its built-in scene.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::host {

// A sequence of grey images of one size at 16-bit full scale, in file order.
struct CameraImageSequence {
    uint32_t widthPixels = 0;
    uint32_t heightLines = 0;
    std::vector<uint16_t> samples; // image after image, rows packed
};

// Reads TIFF (through libregiort) or PNG files of 8 or 16 bits. An 8-bit sample v becomes
// v x 257, so that white stays white at any depth. PNG colour images are turned grey with the
// format's own weights. Returns GH5_OK, or GH5_ERR_BAD_IMAGE_FILE with `problem` naming the file
// and what is wrong with it (unreadable, not an image, another size than the first).
int32_t readCameraImages(const std::vector<std::string>& paths, CameraImageSequence& sequence,
                         std::string& problem);

} // namespace kestrel::host
