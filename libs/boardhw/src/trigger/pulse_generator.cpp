// Pulse generator, queue and sequencer.
#include "trigger/pulse_generator.h"

#include <algorithm>

namespace kestrel::boardhw::trigger {

RequestOutcome PulseGenerator::request(uint64_t atNs, const GeneratorSettings& settings) {
    if (settings.held || settings.freeRunning)
        return RequestOutcome::Ignored;
    if (ready(atNs) && queued_ == 0) {
        startSequence(atNs, settings);
        return RequestOutcome::Started;
    }
    if (queued_ < settings.queueCapacity) {
        ++queued_;
        return RequestOutcome::Queued;
    }
    return RequestOutcome::Lost;
}

std::optional<uint64_t> PulseGenerator::nextEventNs(uint64_t nowNs, const GeneratorSettings& settings) const {
    if (settings.held)
        return std::nullopt;
    if (remaining_ > 0)
        return std::max(nextPulseNs_, nowNs);
    if (!settings.freeRunning && queued_ == 0)
        return std::nullopt;
    return std::max(readyNs_, nowNs);
}

bool PulseGenerator::step(uint64_t atNs, const GeneratorSettings& settings) {
    if (settings.held)
        return false;
    if (remaining_ == 0) {
        if (atNs < readyNs_)
            return false;
        if (settings.freeRunning) {
            startSequence(atNs, settings);
        } else if (queued_ > 0) {
            --queued_;
            startSequence(atNs, settings);
        } else {
            return false;
        }
    }
    if (atNs < nextPulseNs_)
        return false;
    --remaining_;
    // The period may have changed since the sequence started; each pulse keeps the distance in
    // force when it leaves.
    nextPulseNs_ = atNs + settings.periodNs;
    readyNs_ = atNs + settings.periodNs;
    return true;
}

void PulseGenerator::startSequence(uint64_t atNs, const GeneratorSettings& settings) {
    remaining_ = std::max<uint32_t>(settings.sequenceLength, 1);
    nextPulseNs_ = atNs;
}

void PulseGenerator::hold() {
    queued_ = 0;
    remaining_ = 0;
    // Holding clears the generator whole, its wait for the minimum period included: the first
    // pulse after the release goes at once.
    readyNs_ = 0;
}

void PulseGenerator::restart() {
    queued_ = 0;
    remaining_ = 0;
    nextPulseNs_ = 0;
    readyNs_ = 0;
}

QueueHysteresis::Change QueueHysteresis::update(uint32_t level, uint32_t onLevel, uint32_t offLevel) {
    if (!on_ && level >= onLevel) {
        on_ = true;
        return Change::On;
    }
    if (on_ && level <= offLevel) {
        on_ = false;
        return Change::Off;
    }
    return Change::None;
}

} // namespace kestrel::boardhw::trigger
