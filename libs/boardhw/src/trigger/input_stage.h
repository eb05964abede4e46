// The trigger input stage: debounced input pins, the pulse statistics of the selected input and
// the downscaler that passes one pulse of a group.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace kestrel::boardhw::trigger {

// One input pin. Injected levels wait for their time; a new level counts once it has stayed put
// for the debounce time, so pulses shorter than that never reach the debounced level.
class InputPin {
public:
    // Schedules `level` from atNs on (kept in time order; equal times keep their order).
    void schedule(bool level, uint64_t atNs);
    // Earliest pending change at debounce time debounceNs: a level taking hold or an injected edge.
    std::optional<uint64_t> nextEventNs(uint64_t debounceNs) const;
    // Acts on what is due at exactly atNs: first a level that has been stable for debounceNs takes
    // hold, then injected edges of that time arrive. Returns the new debounced level when it changed.
    std::optional<bool> step(uint64_t atNs, uint64_t debounceNs);
    bool level() const { return debounced_; }
    // Board time restarts at 0: a level still settling settles from 0; scheduled edges stay.
    void restartTime();

private:
    std::vector<std::pair<uint64_t, bool>> pending_;
    bool raw_ = false;
    bool debounced_ = false;
    std::optional<uint64_t> settlingSince_;
};

// Passes pulse `selected` (1-based) of every `downscale` pulses; a downscale of 0 counts as 1.
// The count starts at the first pulse after a clear.
class Downscaler {
public:
    bool pass(uint32_t downscale, uint32_t selected);
    void clear() { count_ = 0; }

private:
    uint32_t count_ = 0;
};

// Pulse count and periods of the selected input, in 16 ns ticks.
class InputStatistics {
public:
    void pulse(uint64_t atNs);
    void clearPulses() { pulses_ = 0; }
    // Min and max start again from the next measured period.
    void clearMinMax() { min_.reset(), max_.reset(); }
    // The next pulse starts a new period measurement (board time restarted).
    void restartTime() { last_.reset(); }

    uint32_t pulses() const { return pulses_; }
    uint64_t totalPulses() const { return total_; }
    uint64_t periodTicks() const { return period_; }
    uint64_t minTicks() const { return min_.value_or(0); }
    uint64_t maxTicks() const { return max_.value_or(0); }

private:
    uint32_t pulses_ = 0;
    uint64_t total_ = 0;
    uint64_t period_ = 0;
    std::optional<uint64_t> last_;
    std::optional<uint64_t> min_;
    std::optional<uint64_t> max_;
};

} // namespace kestrel::boardhw::trigger
