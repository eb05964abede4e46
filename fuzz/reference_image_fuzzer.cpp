// Feeds arbitrary bytes as an image file to the two readers users hand image files to: the
// shading references (image-file library, then the automatic correction over what it read) and
// the virtual camera's images (PNG reader, or the image-file library for anything else). Either
// reader accepts and gives a consistent image, or refuses cleanly; the image-file library and
// the camera agree on what a TIFF file holds.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "boardhw.h"
#include "camera_images.h"
#include "core/error_codes.h"
#include "correction/automatic_shading.h"
#include "correction/reference_image.h"
#include "fuzz_support.h"
#include "grabhost5.h"
#include "regiort.h"

namespace kestrel::fuzz {
namespace {

constexpr std::size_t kCoefficientSide = 4096;

// Reads the file as a shading reference and runs the correction over it as black and as gray
// image. The coefficient images are kept for the whole run: each input only writes its own corner.
bool readAsReference(const char* path, int32_t& width, int32_t& height, int32_t& bits) {
    static std::vector<uint16_t> offsets(kCoefficientSide * kCoefficientSide);
    static std::vector<uint16_t> gains(kCoefficientSide * kCoefficientSide);
    try {
        const ReferenceImage image(path);
        FUZZ_CHECK(image.exists() && image.width() > 0 && image.height() > 0, "empty reference image");
        FUZZ_CHECK(image.bits() == 8 || image.bits() == 16, "reference depth");
        width = image.width();
        height = image.height();
        bits = image.bits();
        const ReferenceImage none;
        computeOffsets(image, image, 0, true, offsets.data());
        for (const GainCorrectionMode mode : {GainCorrectionMode::MaxValue, GainCorrectionMode::MeanValue}) {
            const double target = gainTarget(none, image, mode, 4095.0);
            FUZZ_CHECK(target >= 0.0 && target <= 1.0, "gain target outside the grey range");
            computeGains(image, image, target, gains.data());
            computeGains(none, image, target, gains.data());
        }
        return true;
    } catch (int32_t code) {
        FUZZ_CHECK(code == kErrFileRead, "reference refused with another code than a read failure");
        return false;
    }
}

// Whether a PNG header claims an image the camera could show but of more than 65,536 pixels. Such
// an image is allocated whole before its data runs out: seconds per input, for no code a smaller
// one misses. Sides beyond the camera's stay in, since those must be refused before anything is
// allocated. The width and height follow the signature and the IHDR chunk's length and type.
bool largePngTheCameraCouldShow(const uint8_t* data, size_t size) {
    if (size < 24)
        return false;
    const auto word = [data](size_t at) {
        return uint32_t{data[at]} << 24 | uint32_t{data[at + 1]} << 16 | uint32_t{data[at + 2]} << 8 |
               data[at + 3];
    };
    const uint32_t width = word(16), height = word(20);
    return width <= BOARD_MAX_CAMERA_SIDE && height <= BOARD_MAX_CAMERA_SIDE &&
           uint64_t{width} * height > (uint64_t{1} << 16);
}

} // namespace
} // namespace kestrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel;
    using namespace kestrel::fuzz;
    static const ScratchFile file(".tiff");
    constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    const bool png = size >= 8 && std::equal(data, data + 8, kPngSignature);
    if (png && largePngTheCameraCouldShow(data, size))
        return -1;
    file.write(std::string_view(reinterpret_cast<const char*>(data), size));

    int32_t width = 0, height = 0, bits = 0;
    const bool reference = readAsReference(file.path(), width, height, bits);

    host::CameraImageSequence sequence;
    std::string problem;
    const int32_t camera = host::readCameraImages({file.path()}, sequence, problem);
    FUZZ_CHECK(camera == GH5_OK || camera == GH5_ERR_BAD_IMAGE_FILE,
               "camera images refused with another code");
    if (camera == GH5_OK) {
        FUZZ_CHECK(sequence.widthPixels > 0 && sequence.heightLines > 0, "empty camera image");
        FUZZ_CHECK(sequence.samples.size() == std::size_t{sequence.widthPixels} * sequence.heightLines,
                   "camera samples do not fill the image");
        FUZZ_CHECK(sequence.widthPixels <= BOARD_MAX_CAMERA_SIDE &&
                       sequence.heightLines <= BOARD_MAX_CAMERA_SIDE,
                   "camera image larger than the camera shows");
    } else {
        FUZZ_CHECK(!problem.empty(), "camera refusal without a reason");
    }

    if (!png) {
        // Anything but PNG goes through the image-file library on both sides; the camera shows
        // no more than its largest image.
        const bool fits = width <= static_cast<int32_t>(BOARD_MAX_CAMERA_SIDE) &&
                          height <= static_cast<int32_t>(BOARD_MAX_CAMERA_SIDE);
        FUZZ_CHECK((reference && fits) == (camera == GH5_OK), "camera and shading disagree on a TIFF file");
        if (camera == GH5_OK)
            FUZZ_CHECK(sequence.widthPixels == static_cast<uint32_t>(width) &&
                           sequence.heightLines == static_cast<uint32_t>(height),
                       "camera and shading read other sizes");
    }
    return 0;
}
