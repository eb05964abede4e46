#include "bench_targets.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kestrel::bench {

const Measured* Results::find(const std::string& name) const {
    const auto found = measured_.find(name);
    return found == measured_.end() ? nullptr : &found->second;
}

double Results::realSeconds(const std::string& name) const {
    const Measured* m = find(name);
    return m == nullptr ? -1.0 : m->realSeconds;
}

double Results::cpuSeconds(const std::string& name) const {
    const Measured* m = find(name);
    return m == nullptr ? -1.0 : m->cpuSeconds;
}

double Results::counter(const std::string& name, const std::string& counter) const {
    const Measured* m = find(name);
    if (m == nullptr)
        return -1.0;
    const auto found = m->counters.find(counter);
    return found == m->counters.end() ? -1.0 : found->second;
}

void Results::record(const std::string& name, const Measured& measured, bool median) {
    // Repetitions arrive before their aggregates; once a median is there it stays.
    if (!median && fromMedian_[name])
        return;
    measured_[name] = measured;
    fromMedian_[name] = median;
}

void TargetLines::atMost(const std::string& name, double value, double target, const std::string& unit) {
    line(name, value, "<=", target, unit, value >= 0 && value <= target);
}

void TargetLines::atLeast(const std::string& name, double value, double target, const std::string& unit) {
    line(name, value, ">=", target, unit, value >= 0 && value >= target);
}

void TargetLines::note(const std::string& text) {
    std::printf("%s\n", text.c_str());
}

void TargetLines::line(const std::string& name, double value, const char* relation, double target,
                       const std::string& unit, bool met) {
    allMet_ = allMet_ && met;
    if (value < 0)
        std::printf("%s: not measured (target %s %.3g%s: not met)\n", name.c_str(), relation, target,
                    unit.c_str());
    else
        std::printf("%s: %.3g%s (target %s %.3g%s: %s)\n", name.c_str(), value, unit.c_str(), relation,
                    target, unit.c_str(), met ? "met" : "not met");
}

namespace {

// The usual console table, keeping each benchmark's figures for the summary.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    explicit RecordingReporter(Results& results) : results_(results) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.error_occurred || run.iterations == 0 || (run.run_type == Run::RT_Aggregate && !median))
                continue;
            Measured measured;
            measured.realSeconds = run.real_accumulated_time / double(run.iterations);
            measured.cpuSeconds = run.cpu_accumulated_time / double(run.iterations);
            for (const auto& [counterName, counter] : run.counters)
                measured.counters[counterName] = counter.value;
            // The function name and its arguments ("BM_Frame/4096"), without the run's options.
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            results_.record(name, measured, median);
        }
    }

private:
    Results& results_;
};

} // namespace

int runWithTargets(int argc, char** argv, const Summary& summary) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Results results;
    RecordingReporter reporter(results);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    std::fflush(stdout);
    TargetLines lines;
    summary(results, lines);
    std::fflush(stdout);
    benchmark::Shutdown();
    return 0;
}

} // namespace kestrel::bench
