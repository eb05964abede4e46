// Trigger time conversions. The order of every multiplication is kept as the hardware vendor's
// tables were computed, so the double results (and their truncations) match them bit for bit.
#include "trigger/trigger_timing.h"

#include <algorithm>
#include <cmath>

namespace kestrel::trigger_timing {

namespace {
constexpr double kTicksPerNs = 0.0625; // 62.5 MHz
constexpr double kTickSeconds = 16e-9;
constexpr uint64_t kGeneratorOverheadTicks = 9;
} // namespace

uint64_t delayTicks(double delayUs) {
    return static_cast<uint64_t>(delayUs * 1000 * kTicksPerNs + 0.5);
}

uint64_t widthTicks(std::size_t generator, double widthUs) {
    const double ticks = widthUs * 1000 * kTicksPerNs;
    return static_cast<uint64_t>(generator == 0 ? ticks + 0.5 : ticks);
}

double ticksToUs(uint64_t ticks) {
    return static_cast<double>(ticks) * 16 / 1000;
}

uint32_t debounceUnits(double debounceUs) {
    return static_cast<uint32_t>(debounceUs * 1000 / 48 + 0.5);
}

double debounceUnitsToUs(uint32_t units) {
    return static_cast<double>(units) * 16 * 3 / 1000;
}

uint64_t minimumPeriodTicks(double frequencyHz) {
    // 8 Hz gives 7812499.999999999 ticks here, truncated to 7812499: the design expects exactly that.
    const double ticks = 1 / (frequencyHz * 16 * 1e-9);
    return static_cast<uint64_t>(std::trunc(ticks)) - kGeneratorOverheadTicks;
}

double realisedFrequencyHz(double frequencyHz) {
    return 1 / ((1 / (frequencyHz * kTickSeconds)) * kTickSeconds);
}

double periodTicksToHz(uint64_t periodTicks) {
    return 1 / (static_cast<double>(periodTicks) * kTickSeconds);
}

bool generatorFits(double periodUs, uint32_t downscale, double delayUs, double widthUs) {
    const double d = static_cast<double>(downscale);
    return periodUs > std::max({0.0, delayUs / d, widthUs / d});
}

double periodUs(double frequencyHz) {
    return 1e6 / frequencyHz;
}

} // namespace kestrel::trigger_timing
