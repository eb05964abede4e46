// The stopped clock of tests: board time that moves only when a test advances it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>

namespace kestrel::host {

// A transfer thread running on stopped time.
class ClockFollower {
public:
    // The clock moved: look again at what is due.
    virtual void clockAdvanced() = 0;

protected:
    ~ClockFollower() = default;
};

// Process-wide. advance() returns only when every follower has done everything that fell due up to
// the new time, so a test that advances the clock sees the frames of that span, and no others.
class StoppedClock {
public:
    static StoppedClock& instance();

    uint64_t nowNs() const;
    // Moves the time on and waits until every follower is caught up with it.
    void advance(uint64_t nanoseconds);

    // A follower joins at its start and leaves at its end; while joined it reports, before each
    // sleep, the time up to which it has done everything.
    void join(ClockFollower& follower);
    void leave(ClockFollower& follower);
    void caughtUp(ClockFollower& follower, uint64_t nowNs);

private:
    mutable std::mutex mutex_;
    std::condition_variable caughtUp_;
    uint64_t nowNs_ = 0;
    std::map<ClockFollower*, uint64_t> followers_;
};

} // namespace kestrel::host
