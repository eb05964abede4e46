// Reading the images shown to the virtual camera.
#include "camera_images.h"

#include "boardhw.h"
#include "grabhost5.h"
#include "regiort.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace kestrel::host {
namespace {

struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint16_t> samples;
};

bool fitsCamera(const Image& image) {
    return image.width <= BOARD_MAX_CAMERA_SIDE && image.height <= BOARD_MAX_CAMERA_SIDE;
}

enum class FileKind { Unopenable, Png, Other };

// Looks at the first bytes once: PNG has a signature of its own, anything else goes to libtiff.
FileKind kindOf(const std::string& path) {
    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return FileKind::Unopenable;
    png_byte signature[8] = {};
    const bool png = std::fread(signature, 1, sizeof signature, file.get()) == sizeof signature &&
                     png_sig_cmp(signature, 0, sizeof signature) == 0;
    return png ? FileKind::Png : FileKind::Other;
}

// libpng's simplified reader: no longjmp, and it converts any colour type to grey for us. It
// treats 8-bit files as sRGB and 16-bit files as linear, so each is read in its own depth to keep
// the stored values as they are.
bool readPng(const std::string& path, Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0)
        return false;
    const bool sixteenBit = (png.format & PNG_FORMAT_FLAG_LINEAR) != 0;
    png.format = sixteenBit ? PNG_FORMAT_LINEAR_Y : PNG_FORMAT_GRAY;
    image.width = png.width;
    image.height = png.height;
    // The header alone may claim a million pixels a side: nothing is allocated for an image the
    // camera could not show anyway.
    if (!fitsCamera(image)) {
        png_image_free(&png);
        return false;
    }
    const size_t pixels = size_t{png.width} * png.height;
    bool ok = false;
    if (sixteenBit) {
        image.samples.resize(pixels);
        ok = png_image_finish_read(&png, nullptr, image.samples.data(), 0, nullptr) != 0;
    } else {
        std::vector<uint8_t> bytes(pixels);
        ok = png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr) != 0;
        image.samples.resize(pixels);
        for (size_t i = 0; i < pixels; ++i)
            image.samples[i] = static_cast<uint16_t>(bytes[i] * 257u);
    }
    png_image_free(&png);
    return ok && pixels > 0;
}

bool readTiff(const std::string& path, Image& image) {
    void* samples = nullptr;
    int32_t width = 0, height = 0, bits = 0, perPixel = 0;
    if (ImageFile_Read(path.c_str(), &samples, &width, &height, &bits, &perPixel) == 0)
        return false;
    std::unique_ptr<void, decltype(&ImageFile_Release)> owned(samples, &ImageFile_Release);
    image.width = static_cast<uint32_t>(width);
    image.height = static_cast<uint32_t>(height);
    if (!fitsCamera(image))
        return false;
    const size_t pixels = size_t{image.width} * image.height;
    image.samples.resize(pixels);
    if (bits == 16) {
        std::memcpy(image.samples.data(), samples, pixels * sizeof(uint16_t));
    } else {
        const auto* bytes = static_cast<const uint8_t*>(samples);
        for (size_t i = 0; i < pixels; ++i)
            image.samples[i] = static_cast<uint16_t>(bytes[i] * 257u);
    }
    return true;
}

} // namespace

int32_t readCameraImages(const std::vector<std::string>& paths, CameraImageSequence& sequence,
                         std::string& problem) {
    if (paths.empty()) {
        problem = "no image files given";
        return GH5_ERR_INVALID_ARGUMENT;
    }
    CameraImageSequence read;
    for (const std::string& path : paths) {
        Image image;
        const FileKind kind = kindOf(path);
        if (kind == FileKind::Unopenable) {
            problem = path + ": cannot be opened";
            return GH5_ERR_BAD_IMAGE_FILE;
        }
        const bool ok = kind == FileKind::Png ? readPng(path, image) : readTiff(path, image);
        if (!fitsCamera(image)) {
            problem = path + ": " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                      ", more than the camera's " + std::to_string(BOARD_MAX_CAMERA_SIDE) + " pixels a side";
            return GH5_ERR_BAD_IMAGE_FILE;
        }
        if (!ok) {
            problem = path + ": not a readable grey or colour PNG, or grey TIFF, of 8 or 16 bits";
            return GH5_ERR_BAD_IMAGE_FILE;
        }
        if (read.samples.empty()) {
            read.widthPixels = image.width;
            read.heightLines = image.height;
        } else if (image.width != read.widthPixels || image.height != read.heightLines) {
            problem = path + ": " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                      ", but the first image is " + std::to_string(read.widthPixels) + " x " +
                      std::to_string(read.heightLines);
            return GH5_ERR_BAD_IMAGE_FILE;
        }
        read.samples.insert(read.samples.end(), image.samples.begin(), image.samples.end());
    }
    sequence = std::move(read);
    return GH5_OK;
}

} // namespace kestrel::host
