// The design's events as they fire, kept in a short log that pages read from a sequence number on.
#pragma once

#include "grabhost5.hpp"

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kestrel::tool {

struct LoggedEvent {
    uint64_t sequence = 0;
    std::string name;
    uint64_t mask = 0;
    uint64_t boardTimeNs = 0;
    uint64_t folded = 0; // occurrences beyond this one since the last wait
};

class EventLog {
public:
    explicit EventLog(gh5::Grabber& grabber);
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Events numbered above after, oldest first; the log keeps the newest kKept.
    std::vector<LoggedEvent> after(uint64_t sequence) const;

    static constexpr size_t kKept = 256;

private:
    void run();

    gh5::Grabber& grabber_;
    std::vector<std::pair<uint64_t, std::string>> names_;
    uint64_t watched_ = 0;
    mutable std::mutex mutex_;
    std::deque<LoggedEvent> events_;
    uint64_t last_ = 0;
    std::atomic<bool> quitting_{false};
    std::thread thread_;
};

} // namespace kestrel::tool
