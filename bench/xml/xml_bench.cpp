// Time and bytes per second of one whole register-description build for the applet's own tree,
// against a floor run in the same process: the document's lines, each formatted with snprintf
// into one reserved string.
#include "info/build_parameter_info.h"
#include "info/parameter_info_nodes.h"
#include "info/parameter_info_tree.h"
#include "info/parameter_info_xml.h"

#include <benchmark/benchmark.h>

#include "bench_targets.h"

#include <cstdio>
#include <string>
#include <vector>

namespace kestrel {
namespace {

// The applet's tree as creation leaves it, built once for every benchmark.
struct FixedTree {
    ParameterInfoTree tree;
    ParameterInfoNodes nodes;
    std::string document;
    std::vector<std::string> lines;

    FixedTree() {
        buildParameterInfo(tree, nodes, nullptr, ParameterInfoSources{});
        applyInitialReadOnlyAccess(nodes);
        document = ParameterInfoBuilderXML(tree, "Kestrel12", 0).buildXml();
        std::size_t start = 0;
        for (std::size_t end = document.find('\n'); end != std::string::npos;
             end = document.find('\n', start)) {
            lines.push_back(document.substr(start, end - start));
            start = end + 1;
        }
    }
};

const FixedTree& fixedTree() {
    static const FixedTree tree;
    return tree;
}

void reportBytes(benchmark::State& state, std::size_t bytes, std::size_t lines) {
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["lines"] = static_cast<double>(lines);
}

void BM_BuildWholeDocument(benchmark::State& state) {
    const FixedTree& fixed = fixedTree();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string xml = ParameterInfoBuilderXML(fixed.tree, "Kestrel12", 0).buildXml();
        bytes = xml.size();
        benchmark::DoNotOptimize(xml.data());
    }
    reportBytes(state, bytes, fixed.lines.size());
}
BENCHMARK(BM_BuildWholeDocument);

// The same number of lines and bytes, each line going through snprintf once.
void BM_SnprintfFloor(benchmark::State& state) {
    const FixedTree& fixed = fixedTree();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string out;
        out.reserve(fixed.document.size() + 64);
        char line[512];
        for (const std::string& text : fixed.lines) {
            const int written = std::snprintf(line, sizeof line, "%s\n", text.c_str());
            out.append(line, static_cast<std::size_t>(written));
        }
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    reportBytes(state, bytes, fixed.lines.size());
}
BENCHMARK(BM_SnprintfFloor);

void summarise(const bench::Results& results, bench::TargetLines& lines) {
    const double built = results.cpuSeconds("BM_BuildWholeDocument");
    const double floor = results.cpuSeconds("BM_SnprintfFloor");
    lines.atMost("whole register description", built < 0 || floor <= 0 ? -1.0 : built / floor, 1.5,
                 "x snprintf floor");
}

} // namespace
} // namespace kestrel

int main(int argc, char** argv) {
    return kestrel::bench::runWithTargets(argc, argv, kestrel::summarise);
}
