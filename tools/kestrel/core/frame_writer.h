// Frames on disk while the board fills the next buffers: writer threads take frames from the
// acquisition ring and write each as a complete file, so that acquisition and writing overlap.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kestrel::tool {

enum class FrameFormat { Tiff, Png };

// ".tif" or ".png".
const char* frameExtension(FrameFormat format);
// "tiff" or "png" by name; nothing for any other.
std::optional<FrameFormat> frameFormat(const std::string& name);
// directory/frame_0001.tif ...: numbered by picture with as many digits as lastPicture needs (at
// least four), so that the names of one run sort in picture order.
std::string frameFilePath(const std::string& directory, FrameFormat format, uint64_t picture,
                          uint64_t lastPicture);

// Grey samples in host byte order, rows without padding.
struct FrameImage {
    const void* pixels = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    int bits = 8; // 8 or 16
};

// Writes the frame as path, complete or not at all: into path + ".part", renamed when it is whole
// (TIFF uncompressed; PNG at a fast compression level). "" or why it failed, with the OS reason
// where there is one; nothing of the frame is left behind on failure.
std::string writeFrameFile(const std::string& path, FrameFormat format, const FrameImage& image);

// Writer threads with a queue of frames. A frame's pixels belong to the writer from write() until
// its done() has run (after the file is written or has failed): that is where a ring buffer is
// given back to the board.
class FrameWriter {
public:
    struct Frame {
        std::string path;
        FrameImage image;
        std::function<void()> done;
    };

    FrameWriter(FrameFormat format, unsigned threads);
    // Finishes every queued frame first.
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    void write(Frame frame);
    // Waits until every frame given so far is written or has failed.
    void drain();
    uint64_t written() const;
    // "cannot write path: reason" of the first failure, "" when none.
    std::string failure() const;

private:
    void run();

    const FrameFormat format_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Frame> queue_;
    unsigned busy_ = 0;
    bool stopping_ = false;
    uint64_t written_ = 0;
    std::string failure_;
    std::vector<std::thread> threads_;
};

} // namespace kestrel::tool
