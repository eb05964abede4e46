// Pulse shaping of the pulse-form generators.
#include "trigger/pulse_form_generator.h"

#include "trigger/trigger_time.h"

#include <algorithm>

namespace kestrel::boardhw::trigger {

void PulseFormGenerator::pulse(uint64_t atNs, const PulseFormSettings& settings) {
    if (!downscaler_.pass(settings.downscale, settings.selectedPulse))
        return;
    const uint64_t start = atNs + nsOfTicks(settings.delayTicks);
    const uint64_t width = nsOfTicks(std::max<uint64_t>(settings.widthTicks, 1));
    changes_.insert({start, Start});
    changes_.insert({start + width, End});
}

std::optional<uint64_t> PulseFormGenerator::nextEdgeNs() const {
    if (changes_.empty())
        return std::nullopt;
    return changes_.begin()->first;
}

PulseFormGenerator::Edge PulseFormGenerator::step(uint64_t atNs) {
    if (changes_.empty() || changes_.begin()->first > atNs)
        return Edge::None;
    const int kind = changes_.begin()->second;
    changes_.erase(changes_.begin());
    if (kind == Start)
        return ++high_ == 1 ? Edge::Rising : Edge::None;
    if (high_ == 0)
        return Edge::None;
    return --high_ == 0 ? Edge::Falling : Edge::None;
}

void PulseFormGenerator::restart() {
    changes_.clear();
    high_ = 0;
    downscaler_.clear();
}

} // namespace kestrel::boardhw::trigger
