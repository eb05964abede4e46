// One pulse-form generator: passes one pulse of each downscale group and shapes it with its delay
// and width.
#pragma once

#include "trigger/input_stage.h"
#include "trigger/trigger_registers.h"

#include <cstdint>
#include <optional>
#include <set>
#include <utility>

namespace kestrel::boardhw::trigger {

class PulseFormGenerator {
public:
    enum class Edge { None, Rising, Falling };

    // A generator pulse at atNs: when the downscaler passes it, the output goes high delay ticks
    // later for width ticks (at least one). Overlapping pulses merge into one high stretch.
    void pulse(uint64_t atNs, const PulseFormSettings& settings);
    std::optional<uint64_t> nextEdgeNs() const;
    // Applies the earliest scheduled change if it is due at atNs. Of changes at the same time the
    // ends come first, so back-to-back pulses still show each of their edges.
    Edge step(uint64_t atNs);
    bool level() const { return high_ > 0; }

    void clearDownscale() { downscaler_.clear(); }
    // Board time restarts: pulses in flight are dropped and the output rests low.
    void restart();

private:
    enum Kind { End = 0, Start = 1 };
    Downscaler downscaler_;
    std::multiset<std::pair<uint64_t, int>> changes_;
    uint32_t high_ = 0;
};

} // namespace kestrel::boardhw::trigger
