// One thread waits for every named event in short steps, so that it sees the end of the server.
#include "event_log.h"

namespace kestrel::tool {
namespace {

constexpr uint32_t kWaitMs = 100;

} // namespace

EventLog::EventLog(gh5::Grabber& grabber) : grabber_(grabber) {
    const Gh5AppletExports& x = grabber.exports();
    if (x.Fg_getEventName != nullptr)
        for (int bit = 0; bit < 64; ++bit)
            if (const char* name = x.Fg_getEventName(grabber.record(), uint64_t{1} << bit); name != nullptr) {
                names_.emplace_back(uint64_t{1} << bit, name);
                watched_ |= uint64_t{1} << bit;
            }
    if (watched_ != 0)
        thread_ = std::thread([this] { run(); });
}

EventLog::~EventLog() {
    quitting_.store(true);
    if (thread_.joinable())
        thread_.join();
}

std::vector<LoggedEvent> EventLog::after(uint64_t sequence) const {
    const std::lock_guard lock(mutex_);
    std::vector<LoggedEvent> newer;
    for (const LoggedEvent& event : events_)
        if (event.sequence > sequence)
            newer.push_back(event);
    return newer;
}

void EventLog::run() {
    while (!quitting_.load()) {
        std::optional<Gh5EventInfo> info;
        try {
            info = grabber_.waitEvent(watched_, kWaitMs);
        } catch (const gh5::Error&) {
            return;
        }
        if (!info)
            continue;
        const std::lock_guard lock(mutex_);
        for (const auto& [mask, name] : names_) {
            if ((info->mask & mask) == 0)
                continue;
            events_.push_back({++last_, name, mask, info->timestampNs, info->missed});
            if (events_.size() > kKept)
                events_.pop_front();
        }
    }
}

} // namespace kestrel::tool
