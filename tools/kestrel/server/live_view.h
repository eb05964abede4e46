// The live picture of the workbench: an acquisition into a small ring that the board overwrites,
// from which the newest frame is copied out with its statistics for whoever asks.
#pragma once

#include "core/frame_stats.h"

#include "grabhost5.hpp"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kestrel::tool {

// One frame as it left the board, with its number in this view (counted across restarts).
struct LiveFrame {
    uint64_t number = 0;
    int64_t boardPicture = 0; // the board's number, from 1 at each start of the acquisition
    uint32_t width = 0;
    uint32_t height = 0;
    int bits = 8;
    std::vector<uint8_t> pixels; // host byte order, rows without padding
    FrameStats stats;
    // Wall-clock milliseconds when the server took the frame from the ring: a page on this machine
    // compares its own clock with it for the frame's way to the screen.
    int64_t takenMs = 0;

    FrameImage image() const { return FrameImage{pixels.data(), width, height, bits}; }
};

class LiveView {
public:
    // Every call into the applet, from any thread, holds appletMutex.
    LiveView(gh5::Board& board, gh5::Grabber& grabber, std::mutex& appletMutex);
    ~LiveView();
    LiveView(const LiveView&) = delete;
    LiveView& operator=(const LiveView&) = delete;

    void start();
    void stop();
    bool running() const;
    // Whether acquisition is wanted; the loop restarts it when the delivered format changes.
    bool wanted() const;
    // Restarts the acquisition if the board's image format is no longer the one acquired (a
    // window or format change). The caller holds appletMutex.
    void formatMayHaveChanged();
    // Stops acquiring for fn (a configuration load) and resumes afterwards if it was on. The caller
    // does not hold appletMutex.
    template <class Fn> auto paused(Fn&& fn) {
        const bool was = wanted();
        stop();
        struct Resume {
            LiveView& view;
            bool on;
            ~Resume() {
                if (on)
                    view.start();
            }
        } resume{*this, was};
        return fn();
    }

    // The newest frame numbered above after, waiting up to timeout; null when none came.
    std::shared_ptr<const LiveFrame> frameAfter(uint64_t after, std::chrono::milliseconds timeout) const;
    uint64_t latestNumber() const;
    // The first frame exposed wholly after this call (a scene or a correction changed just before):
    // the board's picture in progress now may have started before the change.
    std::shared_ptr<const LiveFrame> frameAfterNow(std::chrono::milliseconds timeout) const;
    // Why the last start failed, "" when it did not.
    std::string failure() const;

private:
    void run();
    bool acquire();

    gh5::Board& board_;
    gh5::Grabber& grabber_;
    std::mutex& appletMutex_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    mutable std::condition_variable frameArrived_;
    bool wanted_ = false;
    bool running_ = false;
    bool restart_ = false;
    bool quitting_ = false;
    std::string failure_;
    std::shared_ptr<const LiveFrame> latest_;
    uint64_t memoryHandle_ = 0;
    uint32_t acquiredWidth_ = 0, acquiredHeight_ = 0, acquiredBits_ = 0;
    std::thread thread_;
};

} // namespace kestrel::tool
