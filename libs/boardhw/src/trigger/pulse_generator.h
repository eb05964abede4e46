// The pulse generator: a free-running source or a queue of requested pulses, each turned into a
// sequence of pulses at least one minimum period apart.
#pragma once

#include <cstdint>
#include <optional>

namespace kestrel::boardhw::trigger {

struct GeneratorSettings {
    uint64_t periodNs = 0;       // minimum distance of two pulses
    bool freeRunning = false;    // pulses without requests, one period apart
    bool held = false;           // nothing is emitted or accepted (queue held, or the pulse limit reached)
    uint32_t queueCapacity = 0;  // requests that may wait; 0 when the queue is off
    uint32_t sequenceLength = 1; // pulses per request (the sequencer)
};

// What became of a requested pulse.
enum class RequestOutcome {
    Started, // the generator was ready: the sequence starts now
    Queued,  // the generator was busy; the request waits in the queue
    Lost,    // busy and no room in the queue
    Ignored, // held, or the generator runs free
};

class PulseGenerator {
public:
    RequestOutcome request(uint64_t atNs, const GeneratorSettings& settings);
    // Next time step() emits a pulse, given that nothing happens before.
    std::optional<uint64_t> nextEventNs(uint64_t nowNs, const GeneratorSettings& settings) const;
    // Emits the pulse due at exactly atNs, starting the next sequence when the generator is ready
    // and a request waits (or it runs free). True when a pulse left the generator.
    bool step(uint64_t atNs, const GeneratorSettings& settings);

    // The queue held cleared: waiting requests, the rest of a running sequence and the wait for
    // the minimum period are dropped.
    void hold();
    // Sequencer clear: the rest of a running sequence is dropped.
    void clearSequence() { remaining_ = 0; }
    // Board time restarts at 0 with an empty, ready generator.
    void restart();

    uint32_t queueLevel() const { return queued_; }
    // Ready for the next sequence: none running and the minimum period since the last pulse over.
    bool ready(uint64_t nowNs) const { return remaining_ == 0 && nowNs >= readyNs_; }

private:
    void startSequence(uint64_t atNs, const GeneratorSettings& settings);

    uint32_t queued_ = 0;
    uint32_t remaining_ = 0; // pulses of the running sequence still to come
    uint64_t nextPulseNs_ = 0;
    uint64_t readyNs_ = 0;
};

// The queue fill-level events: "on" when the level rises to the on level, "off" when it then
// falls to the off level.
class QueueHysteresis {
public:
    enum class Change { None, On, Off };
    Change update(uint32_t level, uint32_t onLevel, uint32_t offLevel);
    void reset() { on_ = false; }

private:
    bool on_ = false;
};

} // namespace kestrel::boardhw::trigger
