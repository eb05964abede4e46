// The lookup-table processor's formula.
#include "correction/lut_processing.h"

#include <cmath>

namespace kestrel {

void computeProcessingLut(const LutProcessingSettings& settings, LutTable& table) {
    constexpr double kLastInput = static_cast<double>(kLutEntries - 1);
    constexpr double kMaxOutput = static_cast<double>(kLutMaxValue);
    const double exponent = 1.0 / settings.gamma;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const double base = (static_cast<double>(i) / kLastInput + settings.offset) * settings.gain;
        double v = 0.0;
        if (base >= 0.0)
            v = std::trunc(std::pow(base, exponent) * kMaxOutput + 0.5);
        if (settings.invert)
            v = kMaxOutput - v;
        // Clipping works on the double: an infinite power (gamma 0, a negative gamma at base 0)
        // or a product far beyond 32 bits still lands on the top entry.
        uint32_t entry = 0;
        if (v >= kMaxOutput)
            entry = kLutMaxValue;
        else if (v > 0.0)
            entry = static_cast<uint32_t>(v);
        table[i] = entry;
    }
}

} // namespace kestrel
