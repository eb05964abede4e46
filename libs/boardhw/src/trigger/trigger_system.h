// The board's area trigger: pulses from the generator, software writes or the eight trigger
// inputs through queue, sequencer, pulse-form generators and output selection, on board time.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace kestrel::boardhw {

class Board;

namespace trigger {
enum class Reg : std::size_t;
struct StepOutput;
} // namespace trigger

// Receives the design events the trigger raises (design event name, board time in ns).
using TriggerEventSink = std::function<void(std::string_view designName, uint64_t atNs)>;

// Number of trigger input pins, camera-control outputs and trigger outputs of the design.
inline constexpr uint32_t kTriggerInputs = 8;
inline constexpr uint32_t kCameraControlOutputs = 4;
inline constexpr uint32_t kTriggerOutputs = 8;

// Emulates the trigger registers of the loaded design. Time is board time: nanoseconds since the
// last restart(), advanced only by advanceTo() (never the wall clock), so a run is a function of
// the register writes, the injected input levels and the times it is advanced to. A register
// write or a software pulse takes effect at the time last advanced to. After every step the status
// registers (queue value, maximum reached, input status and statistics, output statistics,
// monitoring) are forced into the board, so the applet's getters read what the emulation did.
// Thread-safe; calls into the board are made with the trigger's own lock held, never the reverse.
class TriggerSystem {
public:
    explicit TriggerSystem(Board& board);
    ~TriggerSystem();
    TriggerSystem(const TriggerSystem&) = delete;
    TriggerSystem& operator=(const TriggerSystem&) = delete;

    // ---- Board side ----
    // A new design was loaded: register ids are resolved again and every state returns to reset.
    void designLoaded();
    // The application wrote a register (called by the board after a successful write, without the
    // board's lock held). Software pulses, one-shot clears and toggles act here.
    void registerWritten(uint32_t id, uint64_t value);
    // Where the input-edge, queue fill-level and monitoring events go (none by default).
    void setEventSink(TriggerEventSink sink);

    // ---- Acquisition side ----
    // Acquisition start: board time 0, queue empty, generator ready, sequencer and pulse-form
    // counters cleared, pulses in flight dropped. Statistics and scheduled input levels are kept.
    void restart();
    // True when camera-control output 0 is driven by an enabled pulse-form generator or by the
    // input bypass: the camera then exposes on its rising edges instead of free-running.
    bool drivesCamera() const;
    // Runs the emulation up to nowNs (an earlier time than the last is ignored) and returns the
    // exposure times in that span: the rising edges of camera-control output 0 the camera
    // answers, in order. Empty while the output does not drive the camera.
    std::vector<uint64_t> advanceTo(uint64_t nowNs);
    // Board time last advanced to.
    uint64_t nowNs() const;
    // Next time after nowNs() at which something happens without further input, if any.
    std::optional<uint64_t> nextActivityNs() const;
    // Time the camera needs per frame: an exposure edge arriving sooner than this after the last
    // answered one gets no frame and sets the missing-frame monitor. 0 (the default): the camera
    // answers every edge.
    void setCameraFramePeriodNs(uint64_t periodNs);

    // Counts software pulses, injected input levels and trigger register writes: anything that
    // can bring activity nextActivityNs() did not foresee.
    uint64_t pulseGeneration() const;
    // Waits (real time, at most timeout) until pulseGeneration() differs from seenGeneration or
    // wakeWaiters() is called. True when the generation changed.
    bool waitForPulses(uint64_t seenGeneration, std::chrono::nanoseconds timeout);
    // Releases every waiter of waitForPulses (acquisition stop).
    void wakeWaiters();

    // ---- Test and application side ----
    // Sets the level of trigger input `input` (0 .. 7) from board time atNs on; a time before
    // nowNs() counts as nowNs(), and what that changes at nowNs() happens at once.
    // BOARD_ codes: BOARD_ERR_INVALID_ARGUMENT for another input.
    int32_t injectInput(uint32_t input, bool level, uint64_t atNs);
    // A high pulse of widthNs (at least 1) on input from atNs on; same codes.
    int32_t injectPulse(uint32_t input, uint64_t atNs, uint64_t widthNs);
    // Current levels at nowNs(): bit i = camera-control output i, respectively trigger output i.
    uint32_t cameraControlLevels() const;
    uint32_t triggerOutputLevels() const;

private:
    struct State;

    // The helpers below expect mutex_ held.
    uint64_t readLocked(trigger::Reg reg) const;
    void forceLocked(trigger::Reg reg, uint64_t value);
    // The engine takes the registers' current values (a cache of them, hence const).
    void refreshSettingsLocked() const;
    // Forces the status registers and hands the step's events to the sink.
    void publishLocked(trigger::StepOutput& out);
    // Runs what is due at the current time (exposures kept for the next advanceTo), then publishes.
    void runToNowLocked(trigger::StepOutput& out);
    void changedLocked();
    void raise(std::string_view designName, uint64_t atNs);

    Board& board_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t generation_ = 0;
    uint64_t wakeCount_ = 0;
    TriggerEventSink sink_;
    std::unique_ptr<State> state_;
};

} // namespace kestrel::boardhw
