// The frame files and the threads that write them.
#include "frame_writer.h"

#include "interrupt.h"

#include "regiort.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace kestrel::tool {
namespace {

// libpng reports errors through longjmp; this writer keeps that to one function without objects
// that have destructors.
bool writePng(const std::string& path, const FrameImage& image) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, image.width, image.height, image.bits, PNG_COLOR_TYPE_GRAY,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        // Speed over size: frames arrive in real time. The left-neighbour filter keeps the
        // scene's gradients small for the compressor at almost no cost.
        png_set_compression_level(png, 1);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
        png_write_info(png, info);
        if (image.bits == 16)
            png_set_swap(png); // PNG stores big-endian samples; ours are in host (little) order
        const auto* rows = static_cast<const png_byte*>(image.pixels);
        const size_t stride = size_t{image.width} * size_t(image.bits / 8);
        for (uint32_t y = 0; y < image.height; ++y)
            png_write_row(png, rows + y * stride);
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    return std::fclose(file) == 0 && ok;
}

} // namespace

const char* frameExtension(FrameFormat format) {
    return format == FrameFormat::Tiff ? ".tif" : ".png";
}

std::optional<FrameFormat> frameFormat(const std::string& name) {
    if (name == "tiff")
        return FrameFormat::Tiff;
    if (name == "png")
        return FrameFormat::Png;
    return std::nullopt;
}

std::string frameFilePath(const std::string& directory, FrameFormat format, uint64_t picture,
                          uint64_t lastPicture) {
    const int digits = std::max(4, int(std::to_string(lastPicture).size()));
    char name[48];
    std::snprintf(name, sizeof name, "frame_%0*llu%s", digits, static_cast<unsigned long long>(picture),
                  frameExtension(format));
    return (std::filesystem::path(directory) / name).string();
}

std::string writeFrameFile(const std::string& path, FrameFormat format, const FrameImage& image) {
    const std::string part = path + ".part";
    const RemovedOnForcedStop inWork(part);
    errno = 0;
    const bool written = format == FrameFormat::Tiff
                             ? ImageFile_Write(part.c_str(), image.pixels, int32_t(image.width),
                                               int32_t(image.height), image.bits, 1) == 0
                             : writePng(part, image);
    const int error = errno;
    if (written) {
        // A frame of an earlier run (--replace) is removed first: renamed over an existing file,
        // the new one would be written to disk at once (ext4 does that for every file that
        // replaces another, for editors that save that way), which held a grab to the disk's
        // speed. The new frame still never appears under its name half written.
        std::error_code renamed;
        std::error_code notThere;
        std::filesystem::remove(path, notThere);
        std::filesystem::rename(part, path, renamed);
        if (!renamed)
            return "";
        std::remove(part.c_str());
        return renamed.message();
    }
    std::remove(part.c_str());
    return error != 0 ? std::strerror(error) : "the image library refused the frame";
}

FrameWriter::FrameWriter(FrameFormat format, unsigned threads) : format_(format) {
    for (unsigned i = 0; i < std::max(threads, 1u); ++i)
        threads_.emplace_back([this] { run(); });
}

FrameWriter::~FrameWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void FrameWriter::write(Frame frame) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(frame));
    }
    changed_.notify_all();
}

void FrameWriter::drain() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.empty() && busy_ == 0; });
}

uint64_t FrameWriter::written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

std::string FrameWriter::failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

void FrameWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        Frame frame = std::move(queue_.front());
        queue_.pop_front();
        ++busy_;
        lock.unlock();
        // After a failure the remaining frames are only given back: the grab is ending anyway.
        std::string reason = "not written after an earlier failure";
        if (failure().empty())
            reason = writeFrameFile(frame.path, format_, frame.image);
        if (frame.done)
            frame.done();
        lock.lock();
        --busy_;
        if (reason.empty())
            ++written_;
        else if (failure_.empty())
            failure_ = "cannot write " + frame.path + ": " + reason;
        changed_.notify_all();
    }
}

} // namespace kestrel::tool
