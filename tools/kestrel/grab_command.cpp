// kestrel grab: acquires N frames with the applet on the board and writes them as PNG or TIFF
// files, after an optional configuration file and NAME=VALUE settings.
#include "command.h"
#include "config_file.h"
#include "parameter_view.h"

#include "grabhost5.hpp"
#include "regiort.h"

#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace kestrel::tool {
namespace {

struct Arguments {
    uint64_t frames = 8;
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
constexpr uint32_t kFormatGray8 = 3;

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

bool writeFrame(const Arguments& arguments, const std::string& path, const void* pixels, uint32_t width,
                uint32_t height, int bits) {
    if (arguments.format == "tiff")
        return ImageFile_Write(path.c_str(), pixels, int32_t(width), int32_t(height), bits, 1) == 0;
    return writePng(path, pixels, width, height, bits);
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

// A 32-bit parameter by name; the type code is ignored by the applet's catalogue parameters.
uint32_t parameter32(const AppletParameters& parameters, const char* name) {
    const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), name);
    uint32_t value = 0;
    const int32_t code =
        id < 0 ? id : parameters.exports().Fg_getParameterWithType(parameters.fg(), id, &value, 0, 2);
    if (code != 0)
        throw std::runtime_error(std::string("cannot read ") + name + ": " + codeText(code));
    return value;
}

int runGrab(const ToolOptions& options, const Arguments& arguments) {
    if (arguments.format != "png" && arguments.format != "tiff")
        throw UsageError("--format is png or tiff, not " + arguments.format);
    if (arguments.frames == 0)
        throw UsageError("-n needs at least one frame");
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
    loadConfigOption(options, grabber);
    if (!arguments.configuration.empty())
        loadConfiguration(parameters, arguments.configuration);
    for (const std::string& setting : arguments.settings)
        if (const int exitCode = applySetting(parameters, setting); exitCode != kExitOk)
            return exitCode;

    const uint32_t width = parameter32(parameters, "FG_WIDTH");
    const uint32_t height = parameter32(parameters, "FG_HEIGHT");
    const int bits = parameter32(parameters, "FG_FORMAT") == kFormatGray8 ? 8 : 16;
    const uint64_t frameBytes = uint64_t{width} * height * uint64_t(bits / 8);
    if (frameBytes == 0)
        return fail("the window is empty");
    const uint32_t ring =
        uint32_t(std::clamp<uint64_t>(std::min(arguments.frames, kRingBytesLimit / frameBytes), 2, 1024));
    std::error_code error;
    std::filesystem::create_directories(arguments.directory, error);
    if (error)
        return fail("cannot create " + arguments.directory + ": " + error.message());

    gh5::Memory memory(grabber, ring, frameBytes);
    const auto started = std::chrono::steady_clock::now();
    if (const int32_t code = x.Fg_AcquireEx(fg, 0, arguments.frames, GH5_ACQ_STANDARD, memory.handle());
        code != 0)
        return fail("starting acquisition: " + codeText(code));

    uint64_t received = 0;
    uint64_t lost = 0;
    auto lastArrival = started;
    for (uint64_t picture = 1; picture <= arguments.frames; ++picture) {
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
            showProgress(picture, arguments.frames);
            continue;
        }
        const void* pixels = memory.buffer(uint32_t((picture - 1) % ring));
        if (!writeFrame(arguments, frameFileName(arguments, picture), pixels, width, height, bits))
            return fail("cannot write " + frameFileName(arguments, picture));
        // Overwritten while it was being written: the file may mix two frames.
        if (uint64_t(x.Fg_getLastPicNumberEx(fg, 0, memory.handle())) - picture >= ring)
            ++lost;
        else
            ++received;
        showProgress(picture, arguments.frames);
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
        sub.add_option("-n,--frames", arguments->frames, "number of frames")->capture_default_str();
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
            ->capture_default_str();
        return std::function<int()>([&options, arguments] { return runGrab(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
