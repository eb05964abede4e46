// A soak: 100,000 frames of 1024 x 1024 from the camera simulator on the simulated clock, into a
// ring of buffers the application releases as it sees them, while a second thread keeps changing
// the gamma, the noise filter and the simulator's roll, saves and loads the configuration, walks the
// information tree and exports the register-description XML. It counts the frames lost, every call
// that failed, and the resident memory before the acquisition, after a warm-up of 1,000 frames and
// at the end. KESTREL_SOAK_FRAMES sets another frame count for a quick run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "bench_targets.h"
#include "grabhost5.hpp"
#include "grabhost5_host.h"
#include "kestrel12.h"
#include "resident_memory.h"

namespace {

constexpr uint32_t kSide = 1024;
constexpr uint32_t kRing = 8;
constexpr uint64_t kWarmUpFrames = 1000;
constexpr int32_t kWaitSeconds = 60;

uint64_t frameCount() {
    const char* text = std::getenv("KESTREL_SOAK_FRAMES");
    const long long frames = text != nullptr ? std::atoll(text) : 0;
    return frames > int64_t{kWarmUpFrames} ? static_cast<uint64_t>(frames) : 100000;
}

double mebibytes(uint64_t bytes) {
    return double(bytes) / (1024.0 * 1024.0);
}

// Counts the features of the tree; its shape stays as built while setters refresh values.
int countFeatures(const Gh5ParameterInfoNode* node) {
    if (node == nullptr || node->type != GH5_NODE_CATEGORY)
        return node != nullptr && node->paramName != nullptr ? 1 : 0;
    int features = 0;
    for (int32_t i = 0; i < node->kind.category.childCount; ++i)
        features += countFeatures(node->kind.category.children[i]);
    return features;
}

// The second thread: everything a host does to an applet besides acquiring, over and over.
class Reconfigurer {
public:
    Reconfigurer(const gh5::Grabber& grabber, std::string configFile)
        : api_(grabber.exports()), fg_(grabber.record()), configFile_(std::move(configFile)),
          features_(tree()) {}

    void run(const std::atomic<bool>& done) {
        for (uint64_t round = 0; !done.load(); ++round) {
            set(FG_PROCESSING_GAMMA, round % 2 == 0 ? 1.8 : 1.0);
            set(FG_NOISEFILTER, int32_t(round % 2));
            set(FG_GEN_ROLL, uint32_t(round % 4));
            count(tree() == features_);
            uint64_t size = 0;
            count(api_.Fg_getParameterInfoXML(fg_, 0, nullptr, &size) == 0 && size > 0);
            std::string xml(size, '\0');
            count(api_.Fg_getParameterInfoXML(fg_, 0, xml.data(), &size) == 0);
            if (round % 10 == 0) {
                count(api_.Fg_saveConfig(fg_, configFile_.c_str()) == 0);
                count(api_.Fg_loadConfig(fg_, configFile_.c_str()) == 0);
            }
            rounds_.store(round + 1);
        }
    }

    uint64_t calls() const { return calls_.load(); }
    uint64_t errors() const { return errors_.load(); }
    uint64_t rounds() const { return rounds_.load(); }

private:
    template <class T> void set(int32_t id, T value) {
        count(api_.Fg_setParameterWithType(fg_, id, &value, 0, 0) == 0);
    }
    void count(bool ok) {
        calls_.fetch_add(1);
        if (!ok)
            errors_.fetch_add(1);
    }
    int tree() const {
        return countFeatures(static_cast<const Gh5ParameterInfoNode*>(api_.Fg_getParameterInfo(fg_, 0)));
    }

    const Gh5AppletExports& api_;
    Gh5Grabber* fg_;
    std::string configFile_;
    int features_;
    std::atomic<uint64_t> calls_{0}, errors_{0}, rounds_{0};
};

void BM_Soak(benchmark::State& state) {
    const uint64_t frames = frameCount();
    const std::filesystem::path config = std::filesystem::temp_directory_path() / "kestrel-soak.scf";
    gh5_clock_select(GH5_CLOCK_SIMULATED);
    for (auto _ : state) {
        gh5::Board board = gh5::Board::open(0);
        gh5::Grabber grabber = gh5::Grabber::create(board, "Kestrel12");
        const Gh5AppletExports& x = grabber.exports();
        Gh5Grabber* fg = grabber.record();
        const uint32_t side = kSide, on = 1;
        uint64_t memory = 0;
        if (x.Fg_setParameterWithType(fg, FG_GEN_WIDTH, &side, 0, 0) != 0 ||
            x.Fg_setParameterWithType(fg, FG_GEN_HEIGHT, &side, 0, 0) != 0 ||
            x.Fg_setParameterWithType(fg, FG_WIDTH, &side, 0, 0) != 0 ||
            x.Fg_setParameterWithType(fg, FG_HEIGHT, &side, 0, 0) != 0 ||
            x.Fg_setParameterWithType(fg, FG_GEN_ENABLE, &on, 0, 0) != 0 ||
            x.Fg_setParameterWithType(fg, FG_GEN_START, &on, 0, 0) != 0 ||
            gh5_memory_alloc(fg, kRing, uint64_t{kSide} * kSide, &memory) != GH5_OK) {
            state.SkipWithError("set-up refused");
            break;
        }
        const uint64_t residentBefore = kestrel::bench::residentBytes();
        uint64_t residentWarm = residentBefore, waitErrors = 0, picture = 0;
        if (x.Fg_AcquireEx(fg, 0, frames, GH5_ACQ_BLOCKING, memory) != 0) {
            state.SkipWithError("acquisition refused");
            break;
        }
        Reconfigurer reconfigurer(grabber, config.string());
        std::atomic<bool> done{false};
        std::thread second([&] { reconfigurer.run(done); });
        for (picture = 1; picture <= frames; ++picture) {
            if (x.Fg_getLastPicNumberBlockingEx(fg, picture, 0, kWaitSeconds, memory) < int64_t(picture)) {
                ++waitErrors;
                break;
            }
            gh5_buffer_release(fg, 0, memory, uint32_t((picture - 1) % kRing));
            if (picture == kWarmUpFrames)
                residentWarm = kestrel::bench::residentBytes();
        }
        done = true;
        second.join();
        const uint64_t residentEnd = kestrel::bench::residentBytes();
        const int64_t lost = x.Fg_getStatusEx(fg, GH5_STATUS_PICTURES_LOST, 0, 0, memory);
        x.Fg_stopAcquireEx(fg, 0, memory, GH5_STOP_ASYNC);
        gh5_memory_free(fg, memory);

        state.counters["frames"] = double(picture - 1);
        state.counters["lost"] = double(lost);
        state.counters["errors"] = double(waitErrors + reconfigurer.errors());
        state.counters["calls"] = double(reconfigurer.calls());
        state.counters["rounds"] = double(reconfigurer.rounds());
        state.counters["rss_before_MiB"] = mebibytes(residentBefore);
        state.counters["rss_warm_MiB"] = mebibytes(residentWarm);
        state.counters["rss_end_MiB"] = mebibytes(residentEnd);
        state.counters["frames/s"] = benchmark::Counter(double(picture - 1), benchmark::Counter::kIsRate);
    }
    gh5_clock_select(GH5_CLOCK_REAL);
    std::error_code ignored;
    std::filesystem::remove(config, ignored);
}

BENCHMARK(BM_Soak)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void summarise(const kestrel::bench::Results& results, kestrel::bench::TargetLines& lines) {
    const auto counter = [&](const char* name) { return results.counter("BM_Soak", name); };
    lines.atLeast("frames acquired", counter("frames"), double(frameCount()), "");
    lines.atMost("frames lost", counter("lost"), 0, "");
    lines.atMost("failed calls", counter("errors"), 0, "");
    // After the warm-up, the memory stays where it is: a few MiB of allocator slack at most.
    const double growth = counter("rss_end_MiB") - counter("rss_warm_MiB");
    lines.atMost("resident growth after the warm-up", counter("frames") < 0 ? -1.0 : std::max(growth, 0.0),
                 8.0, " MiB");
}

} // namespace

int main(int argc, char** argv) {
    return kestrel::bench::runWithTargets(argc, argv, summarise);
}
