// Debounce, downscaling and statistics of the trigger inputs.
#include "trigger/input_stage.h"

#include "trigger/trigger_time.h"

#include <algorithm>

namespace kestrel::boardhw::trigger {

void InputPin::schedule(bool level, uint64_t atNs) {
    const auto at = std::upper_bound(pending_.begin(), pending_.end(), atNs,
                                     [](uint64_t t, const auto& edge) { return t < edge.first; });
    pending_.insert(at, {atNs, level});
}

std::optional<uint64_t> InputPin::nextEventNs(uint64_t debounceNs) const {
    std::optional<uint64_t> next;
    if (settlingSince_)
        next = *settlingSince_ + debounceNs;
    if (!pending_.empty() && (!next || pending_.front().first < *next))
        next = pending_.front().first;
    return next;
}

std::optional<bool> InputPin::step(uint64_t atNs, uint64_t debounceNs) {
    std::optional<bool> changed;
    // A level that has been stable for exactly the debounce time holds, even when the next edge
    // arrives at this very moment.
    if (settlingSince_ && *settlingSince_ + debounceNs <= atNs) {
        settlingSince_.reset();
        if (raw_ != debounced_) {
            debounced_ = raw_;
            changed = debounced_;
        }
    }
    while (!pending_.empty() && pending_.front().first <= atNs) {
        const bool level = pending_.front().second;
        pending_.erase(pending_.begin());
        if (level == raw_)
            continue;
        raw_ = level;
        if (raw_ == debounced_)
            settlingSince_.reset();
        else
            settlingSince_ = atNs;
    }
    return changed;
}

void InputPin::restartTime() {
    if (settlingSince_)
        settlingSince_ = 0;
}

bool Downscaler::pass(uint32_t downscale, uint32_t selected) {
    const uint32_t group = std::max<uint32_t>(downscale, 1);
    count_ = count_ >= group ? 1 : count_ + 1;
    return count_ == selected;
}

void InputStatistics::pulse(uint64_t atNs) {
    ++pulses_;
    ++total_;
    if (last_) {
        period_ = ticksOf(atNs - *last_);
        min_ = min_ ? std::min(*min_, period_) : period_;
        max_ = max_ ? std::max(*max_, period_) : period_;
    }
    last_ = atNs;
}

} // namespace kestrel::boardhw::trigger
