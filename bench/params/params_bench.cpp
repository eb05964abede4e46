// What one parameter call costs the caller, measured against the least any locked call can cost:
// an uncontended std::mutex lock/unlock plus one indirect call. The process starts and joins a
// thread before anything is measured, because glibc skips atomic instructions in a process that
// never had a second thread, which would make the floor unrealistically cheap.
//
// Reported at the end, as calls per second and as multiples of the floor:
//   stored get          get of a parameter kept in the applet's value block    target <= 3x
//   set                 a set that writes one design register, minus the host's
//                       own cost for that write (measured here as well)       target <= 6x
//   lookup by name      Fg_getParameterIdByName                                 target <= 5x
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "bench_targets.h"
#include "boardhw.h"
#include "designrt.h"
#include "grabhost5.hpp"
#include "grabhost5_host.h"
#include "kestrel12.h"

namespace {

constexpr int32_t kUseDval = FG_USEDVAL;
constexpr int32_t kBitAlignment = FG_BITALIGNMENT;
constexpr int32_t kPixelDepth = FG_PIXELDEPTH;

// The applet on board 0 for the whole run, plus what the benchmarks chose to measure.
struct Bench {
    gh5::Board board = gh5::Board::open(0);
    gh5::Grabber grabber = gh5::Grabber::create(board, "Kestrel12");
    void* design = DesignImage_OpenFile(KESTREL_LIB_DIR "/Kestrel12.hap", 2626, 1);

    const Gh5AppletExports& exports() const { return grabber.exports(); }
    void* fg() const { return grabber.record(); }
    void* host() const { return gh5_grabber_host(grabber.record()); }

    ~Bench() {
        grabber.free();
        if (design != nullptr)
            DesignImage_Close(design);
    }
};

Bench* bench = nullptr;

// ---- floor ----

std::mutex floorMutex;
int floorCounter = 0;
void floorCall() {
    ++floorCounter;
}
void (*volatile floorTarget)() = floorCall;

void BM_Floor(benchmark::State& state) {
    for (auto _ : state) {
        std::lock_guard lock(floorMutex);
        floorTarget();
    }
    benchmark::DoNotOptimize(floorCounter);
}
BENCHMARK(BM_Floor);

// ---- typed get of a stored value ----

// FG_USEDVAL is a stored parameter; before its handler exists the constant FG_PIXELDEPTH takes
// the same road through the dispatch.
int32_t storedGetId() {
    uint32_t value = 0;
    return bench->exports().Fg_getParameterWithType(bench->fg(), kUseDval, &value, 0, 2) == 0 ? kUseDval
                                                                                              : kPixelDepth;
}

void BM_GetStored(benchmark::State& state) {
    const int32_t id = storedGetId();
    state.SetLabel(id == kUseDval ? "FG_USEDVAL" : "FG_PIXELDEPTH");
    const auto get = bench->exports().Fg_getParameterWithType;
    void* fg = bench->fg();
    uint32_t value = 0;
    for (auto _ : state) {
        if (get(fg, id, &value, 0, 2) != 0)
            state.SkipWithError("get failed");
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_GetStored);

// ---- typed set writing one design register ----

void BM_SetWritingOneRegister(benchmark::State& state) {
    const auto set = bench->exports().Fg_setParameterWithType;
    void* fg = bench->fg();
    uint32_t value = 0;
    if (set(fg, kBitAlignment, &value, 0, 2) != 0) {
        state.SkipWithError("FG_BITALIGNMENT has no setter yet");
        return;
    }
    state.SetLabel("FG_BITALIGNMENT");
    for (auto _ : state) {
        value ^= 1u;
        if (set(fg, kBitAlignment, &value, 0, 2) != 0)
            state.SkipWithError("set failed");
    }
}
BENCHMARK(BM_SetWritingOneRegister);

// The host's own cost of the write that set makes: its typed write of the same register.
void BM_HostRegisterWrite(benchmark::State& state) {
    void* host = bench->host();
    const int32_t id = Fg_getParameterIdByName(host, "Device1_Process0_OutputFormat_FG_BITALIGNMENT_Value");
    if (host == nullptr || id == 0) {
        state.SkipWithError("no host handle or register");
        return;
    }
    uint32_t value = 0;
    for (auto _ : state) {
        value ^= 1u;
        if (Fg_setParameterWithType(host, id, &value, 0, GH5_TYPE_UINT32) != 0)
            state.SkipWithError("host write failed");
    }
}
BENCHMARK(BM_HostRegisterWrite);

// ---- lookup by name ----

void BM_LookupByName(benchmark::State& state) {
    const auto byName = bench->exports().Fg_getParameterIdByName;
    void* fg = bench->fg();
    // Names spread over the table, long and short.
    const char* names[] = {"FG_WIDTH",        "FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE_PHASE",
                           "FG_TIMEOUT",      "FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD",
                           "FG_DIGIO_OUTPUT", "FG_LUT_VALUE",
                           "FG_GEN_TAP3",     "FG_TRIGGEROUT_SELECT7"};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(byName(fg, names[i]));
        i = (i + 1) % std::size(names);
    }
}
BENCHMARK(BM_LookupByName);

// CPU time: on a shared machine the wall clock also counts the time other processes held the core.
void summarise(const kestrel::bench::Results& results, kestrel::bench::TargetLines& lines) {
    auto nanoseconds = [&](const char* name) {
        const double seconds = results.cpuSeconds(name);
        return seconds < 0 ? -1.0 : seconds * 1e9;
    };
    const double floor = nanoseconds("BM_Floor");
    if (floor <= 0)
        return;
    char text[128];
    std::snprintf(text, sizeof text, "floor (mutex lock/unlock + indirect call): %.1f ns, %.3g calls/s",
                  floor, 1e9 / floor);
    lines.note(text);
    auto ratio = [&](double ns) { return ns < 0 ? -1.0 : ns / floor; };
    lines.atMost("stored get", ratio(nanoseconds("BM_GetStored")), 3.0, "x floor");
    const double set = nanoseconds("BM_SetWritingOneRegister");
    const double host = nanoseconds("BM_HostRegisterWrite");
    if (host > 0) {
        std::snprintf(text, sizeof text, "host's own register write: %.1f ns", host);
        lines.note(text);
    }
    lines.atMost("set, host write excluded", set > 0 && host > 0 ? ratio(set - host) : -1.0, 6.0, "x floor");
    lines.atMost("lookup by name", ratio(nanoseconds("BM_LookupByName")), 5.0, "x floor");
}

} // namespace

int main(int argc, char** argv) {
    // A second thread once in the process's life: from now on glibc's locks use atomics.
    std::thread([] {}).join();
    try {
        auto applet = std::make_unique<Bench>();
        bench = applet.get();
        const int status = kestrel::bench::runWithTargets(argc, argv, summarise);
        bench = nullptr;
        return status;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "params_bench: %s\n", error.what());
        return 1;
    }
}
