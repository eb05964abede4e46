// Conversions between the trigger's physical units and its 16 ns register ticks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel::trigger_timing {

// Delay register ticks: rounded to the nearest tick.
uint64_t delayTicks(double delayUs);
// Width register ticks: generator 0 rounds to the nearest tick, generators 1..3 truncate.
uint64_t widthTicks(std::size_t generator, double widthUs);
// A delay or width register back in microseconds.
double ticksToUs(uint64_t ticks);

// Debounce register value in 48 ns units, rounded; and back in microseconds.
uint32_t debounceUnits(double debounceUs);
double debounceUnitsToUs(uint32_t units);

// Minimum period register for a trigger frequency: the period in ticks less the nine ticks the
// generator adds itself.
uint64_t minimumPeriodTicks(double frequencyHz);
// The frequency as the generator realises it: converted to a tick period and back.
double realisedFrequencyHz(double frequencyHz);
// A period status register (ticks) as a frequency.
double periodTicksToHz(uint64_t periodTicks);

// A pulse-form generator fits a trigger period when the period (us) is longer than its delay and
// its width, each divided by its downscale.
bool generatorFits(double periodUs, uint32_t downscale, double delayUs, double widthUs);
// The trigger period of a frequency, in microseconds.
double periodUs(double frequencyHz);

} // namespace kestrel::trigger_timing
