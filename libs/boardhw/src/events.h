// The design's hardware events: which bit of the host's 64-bit event mask each one owns, and the
// events raised but not yet delivered.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::boardhw {

// Design names of the events the acquisition raises; the trigger system raises its own by their
// design names (input edges, queue hysteresis, monitoring).
inline constexpr std::string_view kOverflowEvent = "Device1_Process0_Overflow_Overflow";
inline constexpr std::string_view kFrameStartEvent =
    "Device1_Process1_Trigger_Monitoring_FVALEvents_Cam0_FrameStart";
inline constexpr std::string_view kFrameEndEvent =
    "Device1_Process1_Trigger_Monitoring_FVALEvents_Cam0_FrameEnd";

// What one wait took out of the pending events.
struct EventDelivery {
    uint64_t mask = 0;        // the waited-for bits that fired
    uint64_t timestampNs = 0; // board time (ns since acquisition start) of the earliest of them
    uint64_t missed = 0;      // occurrences of these bits beyond one each since their last delivery
};

// The names of the design's event records, record i at position i: the first 64 consecutive
// records of the image (an empty name for a record without one). Nothing for a null image.
std::vector<std::string> readEventNames(void* designImage);

// Pending events of one board. Record i of the design owns bit 2^i, the bit the applet's event
// tables give it, so a mask the application got from Fg_getEventMask selects exactly these events.
// Events fold per bit until delivered: each bit keeps its first time stamp and a count. Thread-safe.
class EventHub {
public:
    // Takes the design's records (position = bit) and drops whatever was pending.
    void configure(std::vector<std::string> recordNames);
    // The bit of the first record with this name; 0 when the design has none.
    uint64_t maskOf(std::string_view name) const;
    // Marks the event as fired at timestampNs; a name the design lacks raises nothing.
    void raise(std::string_view name, uint64_t timestampNs);
    // Waits up to timeout for any bit of mask, then takes those pending bits out. False on timeout
    // (delivery untouched).
    bool wait(uint64_t mask, std::chrono::nanoseconds timeout, EventDelivery& delivery);
    // Forgets every pending event (acquisition start).
    void clear();

private:
    struct Pending {
        uint64_t count = 0;
        uint64_t firstNs = 0;
    };

    mutable std::mutex mutex_;
    std::condition_variable raised_;
    std::vector<std::string> names_;
    uint64_t pendingBits_ = 0;
    Pending pending_[64]{};
};

} // namespace kestrel::boardhw
