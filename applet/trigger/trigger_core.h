// What every part of the trigger system shares: the applet context, the legacy flags, typed
// register access that always raises, and the check-store-refuse-act-restore pattern of its setters.
#pragma once

#include <cstdint>
#include <utility>

#include "core/error_codes.h"
#include "params/applet_context.h"

namespace kestrel {

// Trigger modes and states as the catalogue numbers them.
inline constexpr uint32_t kModeGenerator = 1;
inline constexpr uint32_t kModeExternal = 2;
inline constexpr uint32_t kModeSoftware = 4;
inline constexpr uint32_t kStateActive = 0;
inline constexpr uint32_t kStateAsyncStop = 1;
inline constexpr uint32_t kStateSyncStop = 2;

// One-shot clears: a "Mode" register written with this value clears once.
inline constexpr uint32_t kClearPulse = 2;

// Whether a setter of the area trigger is refused while the legacy interface is on.
enum class LegacyRule {
    RefusedInLegacyMode, // the common case
    AlwaysAllowed,       // frequency, input source and polarity, software trigger
    LegacyOnly,          // the legacy parameters themselves: refused while legacy mode is off
};

class TriggerCore {
public:
    // Trigger steps raise whatever the caller asked for (their register access always does), so a
    // quiet failure leaves the parameter as it was.
    static constexpr QuietFailure kOnQuietFailure = QuietFailure::RestoreOldValue;

    explicit TriggerCore(AppletContext& context) : context_(context) {}
    TriggerCore(const TriggerCore&) = delete;
    TriggerCore& operator=(const TriggerCore&) = delete;

    AppletContext& context() const { return context_; }
    ParameterValueBlock& values() const { return context_.values; }

    bool legacyModeOn() const { return context_.values.triggerLegacyMode != 0; }
    // Set while a legacy handler drives the area trigger handlers, lifting their legacy refusal.
    bool legacyUpdateInProgress() const { return legacyUpdateInProgress_; }

    // Sets legacyUpdateInProgress for its lifetime and puts the previous value back afterwards,
    // so a legacy handler nested in another does not end the outer one's update early.
    class LegacyUpdate {
    public:
        explicit LegacyUpdate(TriggerCore& core) : core_(core), previous_(core.legacyUpdateInProgress_) {
            core_.legacyUpdateInProgress_ = true;
        }
        ~LegacyUpdate() { core_.legacyUpdateInProgress_ = previous_; }
        LegacyUpdate(const LegacyUpdate&) = delete;
        LegacyUpdate& operator=(const LegacyUpdate&) = delete;

    private:
        TriggerCore& core_;
        bool previous_;
    };

    // Register access for the trigger steps: every failure raises the host's code, whatever the
    // caller's reportErrors; the setter pattern decides whether it reaches the caller.
    void write(HostRegister reg, uint32_t value) const { context_.writeRegister(reg, value, true); }
    // Times and periods are computed as 64-bit tick counts and handed over in a 64-bit buffer; the
    // register takes the low 32 bits.
    void writeTicks(HostRegister reg, uint64_t ticks) const;
    uint32_t read(HostRegister reg) const { return context_.readRegister(reg); }
    // A status register read into a zeroed 64-bit buffer, as the statistics readouts use it.
    uint64_t readWide(HostRegister reg) const;

    // The published access word of a parameter, in the information tree and in the port-0
    // property map together.
    void publishAccess(int32_t id, int32_t access) const;

    // The setter pattern, for a value already checked against its range: the new value is stored,
    // the legacy rule applied (kErrInvalidArgument), and `act` run; any code raised there puts the
    // old value back. Codes reach the caller only when `reportErrors`. Registers already written
    // stay written.
    template <class T, class Act>
    void apply(T& field, T value, LegacyRule rule, bool reportErrors, Act&& act) {
        const T old = field;
        storeThenWrite<kOnQuietFailure>(field, value, reportErrors, [&] {
            checkLegacy(rule);
            act(old);
        });
    }

    // The same after a range check of the setter's own (kErrOutOfRange when `accepted` is false,
    // nothing stored): a double's range, or a bound that follows another parameter's stored value.
    template <class T, class Act>
    void apply(T& field, T value, bool accepted, LegacyRule rule, bool reportErrors, Act&& act) {
        if (!accepted) {
            refuse(kErrOutOfRange, reportErrors);
            return;
        }
        apply(field, value, rule, reportErrors, std::forward<Act>(act));
    }

private:
    void checkLegacy(LegacyRule rule) const;

    AppletContext& context_;
    bool legacyUpdateInProgress_ = false;
};

} // namespace kestrel
