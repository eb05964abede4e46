// Software trigger pulses and the queue status they depend on.
#pragma once

#include <cstdint>

#include "trigger/trigger_core.h"

namespace kestrel {

// Waits busily on the monotonic nanosecond clock. Only whole microseconds of `nanoseconds`
// count; a shorter wait still lasts until the clock has moved at all, which is what spaces two
// software pulses apart. Without a running clock it sleeps whole milliseconds instead.
void preciseWait(uint32_t seconds, uint32_t nanoseconds);

class SoftwareTrigger {
public:
    explicit SoftwareTrigger(TriggerCore& core) : core_(core) {}

    // FG_SENDSOFTWARETRIGGER: 1 .. (queue on ? 2040 : 1) pulses (kErrOutOfRange); only in
    // software mode (kErrWrongTriggerMode) while active (kErrTriggerNotReady); with the queue off
    // kErrBusy while a pulse is still in work. One register write and one short wait per pulse.
    void send(uint32_t pulses, bool reportErrors);

    // 1 while the generator cannot take another software pulse (0 outside software mode).
    uint32_t busy() const;
    // Pulses waiting in the queue: 2040 when full, 1 for a pulse still in work; 0 in generator
    // mode or during async stop.
    uint32_t queueFillLevel() const;
    // The software queue counted in output pulses (0 outside software mode).
    uint32_t softwareQueueFillLevel() const;

private:
    TriggerCore& core_;
};

} // namespace kestrel
