// The summary every benchmark program ends with: one line per target, "NAME: X (target Y: met)"
// or "... not met)", worked out from the figures of the same run. With --benchmark_repetitions
// the median of the repetitions counts.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace kestrel::bench {

// One benchmark's figures from this run, per iteration.
struct Measured {
    double realSeconds = 0;
    double cpuSeconds = 0;
    std::map<std::string, double> counters;
};

class Results {
public:
    // Null when the benchmark did not run (filtered out, skipped or failed).
    const Measured* find(const std::string& name) const;
    // Negative when the benchmark did not run.
    double realSeconds(const std::string& name) const;
    double cpuSeconds(const std::string& name) const;
    double counter(const std::string& name, const std::string& counter) const;

    void record(const std::string& name, const Measured& measured, bool median);

private:
    std::map<std::string, Measured> measured_;
    std::map<std::string, bool> fromMedian_;
};

class TargetLines {
public:
    // A figure that must not exceed `target` (times, multiples of a floor) or fall below it
    // (rates). A negative value means not measured, which never meets its target.
    void atMost(const std::string& name, double value, double target, const std::string& unit);
    void atLeast(const std::string& name, double value, double target, const std::string& unit);
    // A context line (a floor, a limit) printed among the targets.
    void note(const std::string& text);

    bool allMet() const { return allMet_; }

private:
    void line(const std::string& name, double value, const char* relation, double target,
              const std::string& unit, bool met);
    bool allMet_ = true;
};

using Summary = std::function<void(const Results&, TargetLines&)>;

// Runs the benchmarks the command line selects, prints the usual table, then the summary.
// Returns the process's exit status (1 on unknown arguments).
int runWithTargets(int argc, char** argv, const Summary& summary);

} // namespace kestrel::bench
