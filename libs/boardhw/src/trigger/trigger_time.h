// The trigger's clock: 16 ns ticks (62.5 MHz) on board time in nanoseconds.
#pragma once

#include <cstdint>

namespace kestrel::boardhw::trigger {

inline constexpr uint64_t kTickNs = 16;
// The debounce register counts units of three ticks.
inline constexpr uint64_t kDebounceUnitNs = 3 * kTickNs;
// The generator's period is its minimum-period register plus this many ticks of pipeline, so
// that the register value 1 gives the fastest rate of 62.5 MHz / 10.
inline constexpr uint64_t kGeneratorOverheadTicks = 9;

constexpr uint64_t nsOfTicks(uint64_t ticks) {
    return ticks * kTickNs;
}
constexpr uint64_t ticksOf(uint64_t ns) {
    return ns / kTickNs;
}

} // namespace kestrel::boardhw::trigger
