// The stopped clock of tests.
#include "stopped_clock.h"

#include <chrono>
#include <vector>

namespace kestrel::host {

namespace {

// A follower that never catches up (a broken board call) must not hang the test for good.
constexpr std::chrono::seconds kCatchUpLimit{60};

} // namespace

StoppedClock& StoppedClock::instance() {
    static StoppedClock clock;
    return clock;
}

uint64_t StoppedClock::nowNs() const {
    std::lock_guard lock(mutex_);
    return nowNs_;
}

void StoppedClock::advance(uint64_t nanoseconds) {
    std::vector<ClockFollower*> followers;
    uint64_t target = 0;
    {
        std::lock_guard lock(mutex_);
        nowNs_ += nanoseconds;
        target = nowNs_;
        for (auto& [follower, done] : followers_)
            followers.push_back(follower);
    }
    // Followers cannot leave while we poke them: leave() waits for the clock's lock, and a
    // follower's clockAdvanced() only takes the follower's own lock.
    {
        std::unique_lock lock(mutex_);
        for (ClockFollower* follower : followers)
            if (followers_.count(follower) != 0)
                follower->clockAdvanced();
        caughtUp_.wait_for(lock, kCatchUpLimit, [&] {
            for (const auto& [follower, done] : followers_)
                if (done < target)
                    return false;
            return true;
        });
    }
}

void StoppedClock::join(ClockFollower& follower) {
    std::lock_guard lock(mutex_);
    followers_[&follower] = 0;
}

void StoppedClock::leave(ClockFollower& follower) {
    {
        std::lock_guard lock(mutex_);
        followers_.erase(&follower);
    }
    caughtUp_.notify_all();
}

void StoppedClock::caughtUp(ClockFollower& follower, uint64_t nowNs) {
    {
        std::lock_guard lock(mutex_);
        const auto it = followers_.find(&follower);
        if (it == followers_.end())
            return;
        it->second = nowNs;
    }
    caughtUp_.notify_all();
}

} // namespace kestrel::host
