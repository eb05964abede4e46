// kestrel grab: acquires N frames with the applet on the board and writes them as PNG or TIFF
// files, after an optional configuration file and NAME=VALUE settings.
#include "command.h"
#include "config_file.h"
#include "file_checks.h"
#include "parameter_view.h"

#include "boardhw.h"

#include "grabhost5.hpp"
#include "regiort.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace kestrel::tool {
namespace {

struct Arguments {
    int64_t frames = 8;
    std::string directory = "frames";
    std::string format = "png";
    std::string configuration;
    std::vector<std::string> settings;
    std::vector<std::string> images;
    bool simulatedClock = false;
    int timeoutSeconds = 10;
};

// Bytes of all buffers together at most; larger grabs reuse a ring of fewer buffers.
constexpr uint64_t kRingBytesLimit = uint64_t{1} << 30;
// Frame numbers and file names keep their order up to here; more is a typing error.
constexpr int64_t kMaxFrames = 1'000'000'000;
constexpr int kMaxTimeoutSeconds = 86'400;

// libpng reports errors through longjmp; this writer keeps that to one function.
bool writePng(const std::string& path, const void* pixels, uint32_t width, uint32_t height, int bits) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, bits, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, 1); // speed over size: frames arrive in real time
        png_write_info(png, info);
        if (bits == 16)
            png_set_swap(png); // PNG stores big-endian samples; ours are in host (little) order
        const auto* rows = static_cast<const png_byte*>(pixels);
        const size_t stride = size_t{width} * (bits / 8);
        for (uint32_t y = 0; y < height; ++y)
            png_write_row(png, rows + y * stride);
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        std::remove(path.c_str());
    return ok;
}

// "" or why the frame could not be written (the OS reason where there is one).
std::string writeFrame(const Arguments& arguments, const std::string& path, const void* pixels,
                       uint32_t width, uint32_t height, int bits) {
    errno = 0;
    const bool written = arguments.format == "tiff" ? ImageFile_Write(path.c_str(), pixels, int32_t(width),
                                                                      int32_t(height), bits, 1) == 0
                                                    : writePng(path, pixels, width, height, bits);
    if (written)
        return "";
    return errno != 0 ? osReason(errno) : std::string("write failed");
}

// Width and height of an image file the camera can show; nothing when it cannot be read here.
std::optional<std::pair<uint32_t, uint32_t>> imageSize(const std::string& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) != 0) {
        const std::pair<uint32_t, uint32_t> size{png.width, png.height};
        png_image_free(&png);
        return size;
    }
    void* samples = nullptr;
    int32_t width = 0, height = 0, bits = 0, perPixel = 0;
    if (ImageFile_Read(path.c_str(), &samples, &width, &height, &bits, &perPixel) == 0)
        return std::nullopt;
    ImageFile_Release(samples);
    return std::pair<uint32_t, uint32_t>{uint32_t(width), uint32_t(height)};
}

std::string frameFileName(const Arguments& arguments, uint64_t picture) {
    std::ostringstream name;
    name << "frame_" << std::setw(4) << std::setfill('0') << picture
         << (arguments.format == "tiff" ? ".tif" : ".png");
    return (std::filesystem::path(arguments.directory) / name.str()).string();
}

void showProgress(uint64_t done, uint64_t total) {
    constexpr int kBarWidth = 30;
    const int filled = total == 0 ? kBarWidth : int(done * kBarWidth / total);
    std::cerr << "\r[" << std::string(size_t(filled), '#') << std::string(size_t(kBarWidth - filled), ' ')
              << "] " << done << "/" << total << std::flush;
    if (done == total)
        std::cerr << "\n";
}

int runGrab(const ToolOptions& options, const Arguments& arguments) {
    if (arguments.format != "png" && arguments.format != "tiff")
        throw UsageError("--format is png or tiff, not " + arguments.format);
    if (arguments.simulatedClock)
        gh5_clock_select(GH5_CLOCK_SIMULATED);

    gh5::Board board = gh5::Board::open(options.board);
    if (!arguments.images.empty()) {
        std::vector<const char*> paths;
        for (const std::string& image : arguments.images)
            paths.push_back(image.c_str());
        if (const int32_t code =
                gh5_camera_attach_images(board.get(), paths.data(), static_cast<uint32_t>(paths.size()));
            code != GH5_OK)
            return fail("camera images: " + codeText(code) + ": " + gh5_error_detail());
    }
    gh5::Grabber grabber = gh5::Grabber::create(board, options.applet);
    const AppletParameters parameters(grabber);
    const Gh5AppletExports& x = grabber.exports();
    void* fg = grabber.record();
    loadConfigOption(options, grabber, true);
    if (!arguments.configuration.empty())
        loadConfiguration(parameters, arguments.configuration);
    for (const std::string& setting : arguments.settings)
        if (const int exitCode = applySetting(parameters, setting); exitCode != kExitOk)
            return exitCode;

    // What the board delivers, whatever the parameters claim.
    BoardImageFormat format{};
    if (const int32_t code = Board_GetImageFormat(board.device(), &format); code != BOARD_OK)
        return fail("image format: " + codeText(code));
    const uint32_t width = format.widthPixels;
    const uint32_t height = format.heightLines;
    const int bits = int(format.bitsPerPixel);
    const uint64_t frameBytes = uint64_t{width} * height * uint64_t(bits / 8);
    if (frameBytes == 0)
        return fail("the window is empty");
    if (!arguments.images.empty()) {
        const auto size = imageSize(arguments.images.front());
        if (size && (size->first != width || size->second != height))
            return fail("--images: " + arguments.images.front() + " is " + std::to_string(size->first) +
                        " x " + std::to_string(size->second) + " but the frames are " +
                        std::to_string(width) + " x " + std::to_string(height) +
                        "; set FG_WIDTH and FG_HEIGHT to the images' size");
    }
    const uint32_t ring = uint32_t(
        std::clamp<uint64_t>(std::min(uint64_t(arguments.frames), kRingBytesLimit / frameBytes), 2, 1024));
    std::error_code error;
    std::filesystem::create_directories(arguments.directory, error);
    if (error)
        return fail("cannot create " + arguments.directory + ": " + error.message());

    gh5::Memory memory(grabber, ring, frameBytes);
    const auto started = std::chrono::steady_clock::now();
    if (const int32_t code =
            x.Fg_AcquireEx(fg, 0, uint64_t(arguments.frames), GH5_ACQ_STANDARD, memory.handle());
        code != 0)
        return fail("starting acquisition: " + codeText(code));

    uint64_t received = 0;
    uint64_t lost = 0;
    auto lastArrival = started;
    const uint64_t total = uint64_t(arguments.frames);
    for (uint64_t picture = 1; picture <= total; ++picture) {
        const int64_t last =
            x.Fg_getLastPicNumberBlockingEx(fg, picture, 0, arguments.timeoutSeconds, memory.handle());
        if (last < 0) {
            x.Fg_stopAcquireEx(fg, 0, memory.handle(), GH5_STOP_ASYNC);
            return fail("waiting for frame " + std::to_string(picture) + ": " + codeText(int32_t(last)));
        }
        lastArrival = std::chrono::steady_clock::now();
        // A picture whose buffer the ring has already reused is gone.
        if (uint64_t(last) - picture >= ring) {
            ++lost;
            showProgress(picture, total);
            continue;
        }
        const void* pixels = memory.buffer(uint32_t((picture - 1) % ring));
        if (const std::string reason =
                writeFrame(arguments, frameFileName(arguments, picture), pixels, width, height, bits);
            !reason.empty()) {
            x.Fg_stopAcquireEx(fg, 0, memory.handle(), GH5_STOP_ASYNC);
            return fail("cannot write " + frameFileName(arguments, picture) + ": " + reason);
        }
        // Overwritten while it was being written: the file may mix two frames.
        if (uint64_t(x.Fg_getLastPicNumberEx(fg, 0, memory.handle())) - picture >= ring)
            ++lost;
        else
            ++received;
        showProgress(picture, total);
    }
    const double seconds = std::chrono::duration<double>(lastArrival - started).count();
    std::cout << "Frames received: " << received << "\n"
              << "Frames lost: " << lost << "\n"
              << "Frame rate: " << std::fixed << std::setprecision(1)
              << (seconds > 0 ? double(arguments.frames) / seconds : 0.0) << " frames/s\n"
              << "Written to " << arguments.directory << " (" << width << " x " << height << ", " << bits
              << "-bit " << arguments.format << ")\n";
    return kExitOk;
}

const CommandRegistrar registrar{Command{
    "grab", "acquire frames and write them as PNG or TIFF files",
    [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("-n,--frames", arguments->frames, "number of frames")
            ->check(CLI::Range(int64_t{1}, kMaxFrames))
            ->capture_default_str();
        sub.add_option("-o,--output", arguments->directory, "directory for the frames")
            ->capture_default_str();
        sub.add_option("--format", arguments->format, "png or tiff")->capture_default_str();
        sub.add_option("--load", arguments->configuration, "configuration file loaded first");
        sub.add_option("--images", arguments->images,
                       "PNG or TIFF files the camera shows in turn instead of its built-in scene");
        sub.add_option("--set", arguments->settings, "NAME=VALUE settings applied after loading, in order");
        sub.add_flag("--simulated-clock", arguments->simulatedClock,
                     "deliver frames as fast as they are made instead of at the camera's rate");
        sub.add_option("--timeout", arguments->timeoutSeconds, "seconds to wait for each frame")
            ->check(CLI::Range(1, kMaxTimeoutSeconds))
            ->capture_default_str();
        return std::function<int()>([&options, arguments] { return runGrab(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
