// The acquisition loop of the live view. The board overwrites a ring of four buffers on its own;
// the loop asks for the number of the newest picture, copies that buffer out while the board fills
// the next ones, and sleeps briefly when nothing new came.
#include "live_view.h"
#include "core/parameter_view.h"

#include "boardhw.h"

#include <algorithm>

namespace kestrel::tool {
namespace {

constexpr uint32_t kRing = 4;
constexpr auto kIdle = std::chrono::milliseconds(2);
constexpr auto kStartWait = std::chrono::seconds(5);

int64_t wallClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

LiveView::LiveView(gh5::Board& board, gh5::Grabber& grabber, std::mutex& appletMutex)
    : board_(board), grabber_(grabber), appletMutex_(appletMutex), thread_([this] { run(); }) {}

LiveView::~LiveView() {
    {
        const std::lock_guard lock(mutex_);
        quitting_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void LiveView::start() {
    std::unique_lock lock(mutex_);
    if (wanted_)
        return;
    wanted_ = true;
    failure_.clear();
    changed_.notify_all();
    changed_.wait_for(lock, kStartWait, [&] { return running_ || !failure_.empty(); });
}

void LiveView::stop() {
    std::unique_lock lock(mutex_);
    wanted_ = false;
    changed_.notify_all();
    changed_.wait(lock, [&] { return !running_; });
}

bool LiveView::running() const {
    const std::lock_guard lock(mutex_);
    return running_;
}

bool LiveView::wanted() const {
    const std::lock_guard lock(mutex_);
    return wanted_;
}

std::string LiveView::failure() const {
    const std::lock_guard lock(mutex_);
    return failure_;
}

uint64_t LiveView::latestNumber() const {
    const std::lock_guard lock(mutex_);
    return latest_ ? latest_->number : 0;
}

void LiveView::formatMayHaveChanged() {
    BoardImageFormat format{};
    if (Board_GetImageFormat(board_.device(), &format) != BOARD_OK)
        return;
    const std::lock_guard lock(mutex_);
    if (running_ && (format.widthPixels != acquiredWidth_ || format.heightLines != acquiredHeight_ ||
                     format.bitsPerPixel != acquiredBits_))
        restart_ = true;
}

std::shared_ptr<const LiveFrame> LiveView::frameAfter(uint64_t after,
                                                      std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    frameArrived_.wait_for(lock, timeout, [&] { return latest_ && latest_->number > after; });
    return latest_ && latest_->number > after ? latest_ : nullptr;
}

std::shared_ptr<const LiveFrame> LiveView::frameAfterNow(std::chrono::milliseconds timeout) const {
    uint64_t handle = 0;
    {
        const std::lock_guard lock(mutex_);
        if (!running_)
            return nullptr;
        handle = memoryHandle_;
    }
    // Made before the change: the frames transferred, those waiting on the board, and one more
    // that the transfer thread either renders or is copying to host memory, counted in neither.
    // The board is asked first: a frame that moves to host memory between the two questions is
    // then counted twice, which only waits one frame longer, instead of not at all.
    int64_t made = 0;
    {
        const std::lock_guard applet(appletMutex_);
        const Gh5AppletExports& x = grabber_.exports();
        const int64_t onBoard = std::max<int64_t>(
            0, x.Fg_getStatusEx(grabber_.record(), GH5_STATUS_FRAMES_ON_BOARD, 0, 0, handle));
        made = std::max<int64_t>(0, x.Fg_getLastPicNumberEx(grabber_.record(), 0, handle)) + onBoard + 1;
    }
    std::unique_lock lock(mutex_);
    const auto settled = [&] { return latest_ && latest_->boardPicture > made; };
    frameArrived_.wait_for(lock, timeout, settled);
    return settled() ? latest_ : nullptr;
}

void LiveView::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [&] { return quitting_ || wanted_; });
        if (quitting_)
            return;
        restart_ = false;
        lock.unlock();
        const bool started = acquire();
        lock.lock();
        if (!started)
            wanted_ = false;
        changed_.notify_all();
    }
}

bool LiveView::acquire() {
    const Gh5AppletExports& x = grabber_.exports();
    void* fg = grabber_.record();
    BoardImageFormat format{};
    std::optional<gh5::Memory> memory;
    std::vector<const void*> buffers;
    const auto refuse = [&](const std::string& why) {
        const std::lock_guard lock(mutex_);
        failure_ = why;
        return false;
    };
    {
        const std::lock_guard applet(appletMutex_);
        if (const int32_t code = Board_GetImageFormat(board_.device(), &format); code != BOARD_OK)
            return refuse("image format: " + codeText(code));
        const uint64_t bytes = uint64_t{format.widthPixels} * format.heightLines * (format.bitsPerPixel / 8);
        if (bytes == 0)
            return refuse("the window is empty");
        try {
            memory.emplace(grabber_, kRing, bytes);
        } catch (const gh5::Error& error) {
            return refuse(error.what());
        }
        for (uint32_t i = 0; i < kRing; ++i)
            buffers.push_back(memory->buffer(i));
        if (const int32_t code = x.Fg_AcquireEx(fg, 0, GH5_GRAB_INFINITE, GH5_ACQ_STANDARD, memory->handle());
            code != 0)
            return refuse("cannot start acquisition: " + codeText(code));
    }
    const size_t frameBytes = size_t{format.widthPixels} * format.heightLines * (format.bitsPerPixel / 8);
    {
        const std::lock_guard lock(mutex_);
        running_ = true;
        memoryHandle_ = memory->handle();
        acquiredWidth_ = format.widthPixels;
        acquiredHeight_ = format.heightLines;
        acquiredBits_ = format.bitsPerPixel;
    }
    changed_.notify_all();

    int64_t seen = 0;
    while (true) {
        {
            const std::lock_guard lock(mutex_);
            if (!wanted_ || restart_ || quitting_)
                break;
        }
        int64_t last = 0;
        {
            const std::lock_guard applet(appletMutex_);
            last = x.Fg_getLastPicNumberEx(fg, 0, memory->handle());
        }
        if (last <= seen) {
            std::this_thread::sleep_for(kIdle);
            continue;
        }
        seen = last;
        auto frame = std::make_shared<LiveFrame>();
        frame->takenMs = wallClockMs();
        frame->boardPicture = last;
        frame->width = format.widthPixels;
        frame->height = format.heightLines;
        frame->bits = int(format.bitsPerPixel);
        const auto* samples = static_cast<const uint8_t*>(buffers[size_t((last - 1) % kRing)]);
        frame->pixels.assign(samples, samples + frameBytes);
        frame->stats = measureFrame(frame->image());
        {
            const std::lock_guard lock(mutex_);
            frame->number = (latest_ ? latest_->number : 0) + 1;
            latest_ = std::move(frame);
        }
        frameArrived_.notify_all();
    }
    {
        const std::lock_guard applet(appletMutex_);
        x.Fg_stopAcquireEx(fg, 0, memory->handle(), GH5_STOP_ASYNC);
        memory.reset();
    }
    {
        const std::lock_guard lock(mutex_);
        running_ = false;
    }
    return true;
}

} // namespace kestrel::tool
