// Frames per second and pixels per second of whole acquisitions: Fg_AcquireEx through the host
// SDK and the applet, the virtual board running the camera's frames through shading, dead-pixel
// replacement, the median and the lookup table into the host's buffer ring, on the simulated
// clock (frames come as fast as they are made). Beside it, a memcpy of one output frame in the
// same run, the floor any acquisition into host memory has to pay.
//
// BM_GrabToFiles is what `kestrel grab --format tiff` does: the built-in scene, every correction,
// the applet's default 8-bit output, each frame written as an uncompressed TIFF by a writer
// thread (the tool's own frame writer) while the board fills the next buffers of a small blocking
// ring.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench_targets.h"
#include "frame_writer.h"
#include "grabhost5.hpp"
#include "kestrel12.h"
#include "regiort.h"
#include "resident_memory.h"

namespace {

using kestrel::tool::FrameFormat;
using kestrel::tool::FrameWriter;

constexpr int32_t kGray16 = 1;
constexpr int32_t kGray8 = 3;

constexpr uint32_t kSide = 4096;
// A pixel is defective where its black level is above this, or its gray level below the black
// reference's full scale less this: with 16-bit references, only the hot pixels.
constexpr uint32_t kDeadPixelThreshold = 4000;
// A picture ring of this many buffers, filled once per iteration.
constexpr uint32_t kPicturesPerIteration = 4;

// Black and gray references of the whole coefficient area, made once per process: a dark level
// of 12..28 grey levels with a hot pixel every 10007 pixels (marked defective by the threshold),
// and a bright gray level that varies by 5 %, so that every gain coefficient differs. (An 8-bit
// gray beside the 16-bit black would fall below the defect limit everywhere and mark every pixel
// defective.)
struct References {
    References() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("no temporary directory");
        dir = pattern;
        black = (dir / "black.tif").string();
        gray = (dir / "gray.tif").string();
        std::vector<uint16_t> dark(std::size_t{kSide} * kSide);
        for (std::size_t i = 0; i < dark.size(); ++i)
            dark[i] = i % 10007 == 5000 ? uint16_t{65520} : static_cast<uint16_t>(16 * (12 + i % 17));
        if (ImageFile_Write(black.c_str(), dark.data(), kSide, kSide, 16, 1) != 0)
            throw std::runtime_error("black reference not written");
        std::vector<uint16_t> lit(std::size_t{kSide} * kSide);
        for (std::size_t i = 0; i < lit.size(); ++i)
            lit[i] = static_cast<uint16_t>(62000 + (i * 7) % 3000);
        if (ImageFile_Write(gray.c_str(), lit.data(), kSide, kSide, 16, 1) != 0)
            throw std::runtime_error("gray reference not written");
    }
    ~References() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::filesystem::path dir;
    std::string black;
    std::string gray;
};

References& references() {
    static References instance;
    return instance;
}

struct AcquisitionSetup {
    int32_t board = 0;
    uint32_t side = 0;
    // The camera simulator, else the built-in scene.
    bool simulator = true;
    int32_t format = kGray16;
    uint32_t buffers = kPicturesPerIteration;
};

// The applet on board 0 at side x side with every correction stage on.
class CorrectedAcquisition {
public:
    explicit CorrectedAcquisition(const AcquisitionSetup& setup)
        : board_(gh5::Board::open(setup.board)), grabber_(gh5::Grabber::create(board_, "Kestrel12")) {
        const References& refs = references();
        const uint32_t side = setup.side;
        const bool source = setup.simulator
                                ? set(FG_GEN_WIDTH, side) && set(FG_GEN_HEIGHT, side) &&
                                      set(FG_GEN_ENABLE, 1u) && set(FG_GEN_START, 1u) && set(FG_GEN_ROLL, 3u)
                                : true;
        ok_ = source && set(FG_WIDTH, side) && set(FG_HEIGHT, side) && set(FG_FORMAT, setup.format) &&
              set(FG_NOISEFILTER, 1) && set(FG_PROCESSING_GAMMA, 1.8) &&
              set(FG_SHADING_GAIN_CORRECTION_MODE, 2u) &&
              set(FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD, kDeadPixelThreshold) &&
              set(FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, 1u) &&
              setText(FG_SHADING_BLACK_FILENAME, refs.black) &&
              setText(FG_SHADING_GRAY_FILENAME, refs.gray) && set(FG_SHADING_APPLY_SETTINGS, 1) &&
              set(FG_SHADING_OFFSET_ENABLE, 1) && set(FG_SHADING_GAIN_ENABLE, 1);
        frameBytes_ = uint64_t{side} * side * (setup.format == kGray8 ? 1 : 2);
        ok_ = ok_ && gh5_memory_alloc(grabber_.record(), setup.buffers, frameBytes_, &memory_) == GH5_OK;
    }
    ~CorrectedAcquisition() {
        if (memory_ != 0)
            gh5_memory_free(grabber_.record(), memory_);
        grabber_.free();
    }
    CorrectedAcquisition(const CorrectedAcquisition&) = delete;
    CorrectedAcquisition& operator=(const CorrectedAcquisition&) = delete;

    bool ok() const { return ok_; }
    // The camera exposes on the trigger's pulses, `framesPerSecond` of them.
    bool triggerAt(double framesPerSecond) {
        constexpr uint32_t kGeneratorMode = 1;
        constexpr uint32_t kPulseGenerator0 = 0;
        constexpr uint32_t kActive = 0;
        return set(FG_AREATRIGGERMODE, kGeneratorMode) && set(FG_TRIGGER_FRAMESPERSECOND, framesPerSecond) &&
               set(FG_TRIGGERCC_SELECT0, kPulseGenerator0) && set(FG_TRIGGERSTATE, kActive);
    }
    // Acquires kPicturesPerIteration pictures and waits for the last; false on any failure.
    bool acquire() {
        const Gh5AppletExports& x = grabber_.exports();
        Gh5Grabber* fg = grabber_.record();
        if (x.Fg_AcquireEx(fg, 0, kPicturesPerIteration, GH5_ACQ_STANDARD, memory_) != 0)
            return false;
        const bool arrived = x.Fg_getLastPicNumberBlockingEx(fg, kPicturesPerIteration, 0, 120, memory_) ==
                             int64_t{kPicturesPerIteration};
        x.Fg_stopAcquireEx(fg, 0, memory_, GH5_STOP_ASYNC);
        return arrived;
    }

    const Gh5AppletExports& exports() const { return grabber_.exports(); }
    Gh5Grabber* fg() const { return grabber_.record(); }
    uint64_t memory() const { return memory_; }

private:
    template <class T> bool set(int32_t id, T value) {
        return grabber_.exports().Fg_setParameterWithType(grabber_.record(), id, &value, 0, 0) == 0;
    }
    bool setText(int32_t id, const std::string& text) {
        return grabber_.exports().Fg_setParameterWithType(grabber_.record(), id, text.c_str(), 0, 0) == 0;
    }

    gh5::Board board_;
    gh5::Grabber grabber_;
    uint64_t memory_ = 0;
    uint64_t frameBytes_ = 0;
    bool ok_ = false;
};

void reportRates(benchmark::State& state, uint64_t framesPerIteration, uint64_t side) {
    const double frames = double(state.iterations()) * double(framesPerIteration);
    state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["px/s"] = benchmark::Counter(frames * double(side * side), benchmark::Counter::kIsRate,
                                                benchmark::Counter::OneK::kIs1000);
}

void BM_CorrectedAcquisition(benchmark::State& state) {
    const auto side = static_cast<uint32_t>(state.range(0));
    gh5_clock_select(GH5_CLOCK_SIMULATED);
    {
        CorrectedAcquisition acquisition({.side = side});
        // The first acquisition reads the coefficient memories and starts the worker threads;
        // that is set-up, not throughput.
        if (!acquisition.ok() || !acquisition.acquire()) {
            state.SkipWithError("set-up refused");
        } else {
            for (auto _ : state) {
                if (!acquisition.acquire()) {
                    state.SkipWithError("acquisition failed");
                    break;
                }
            }
        }
    }
    gh5_clock_select(GH5_CLOCK_REAL);
    reportRates(state, kPicturesPerIteration, side);
}

// One 16-bit output frame from one buffer into another, as the DMA into host memory would.
void BM_MemcpyFrame(benchmark::State& state) {
    const auto side = static_cast<uint64_t>(state.range(0));
    const std::size_t bytes = side * side * 2;
    std::vector<uint8_t> from(bytes, 0x5A), to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    reportRates(state, 1, side);
}

// The grab's side of a blocking ring: waits for the next picture and queues it for the writer,
// which gives its buffer back once the file is written. The ring holds the board back while the
// writer is behind, so the rate is that of the slower of the two.
class TiffGrab {
public:
    static constexpr uint32_t kRing = 4;

    TiffGrab(const CorrectedAcquisition& acquisition, uint32_t side)
        : x_(acquisition.exports()), fg_(acquisition.fg()), memory_(acquisition.memory()), side_(side),
          dir_(references().dir / "frames") {
        std::filesystem::create_directories(dir_);
    }
    ~TiffGrab() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    TiffGrab(const TiffGrab&) = delete;
    TiffGrab& operator=(const TiffGrab&) = delete;

    bool start() { return x_.Fg_AcquireEx(fg_, 0, GH5_GRAB_INFINITE, GH5_ACQ_BLOCKING, memory_) == 0; }
    void stop() { x_.Fg_stopAcquireEx(fg_, 0, memory_, GH5_STOP_ASYNC); }
    int64_t lost() const { return x_.Fg_getStatusEx(fg_, GH5_STATUS_PICTURES_LOST, 0, 0, memory_); }

    bool next(FrameWriter& writer) {
        ++picture_;
        if (x_.Fg_getLastPicNumberBlockingEx(fg_, picture_, 0, 120, memory_) < int64_t(picture_))
            return false;
        const auto index = uint32_t((picture_ - 1) % kRing);
        char name[32];
        std::snprintf(name, sizeof name, "frame_%02u.tif", unsigned(picture_ % 16));
        Gh5Grabber* fg = fg_;
        const uint64_t memory = memory_;
        writer.write({(dir_ / name).string(),
                      {gh5_memory_buffer(fg, memory, index), side_, side_, 8},
                      [fg, memory, index] { gh5_buffer_release(fg, 0, memory, index); }});
        return true;
    }

private:
    const Gh5AppletExports& x_;
    Gh5Grabber* fg_;
    uint64_t memory_;
    uint32_t side_;
    std::filesystem::path dir_;
    uint64_t picture_ = 0;
};

void BM_GrabToFiles(benchmark::State& state) {
    constexpr uint64_t kFramesPerIteration = 8;
    const auto side = static_cast<uint32_t>(state.range(0));
    gh5_clock_select(GH5_CLOCK_SIMULATED);
    {
        CorrectedAcquisition acquisition(
            {.side = side, .simulator = false, .format = kGray8, .buffers = TiffGrab::kRing});
        TiffGrab grab(acquisition, side);
        if (!acquisition.ok() || !grab.start()) {
            state.SkipWithError("set-up refused");
        } else {
            // The writer kestrel grab uses for TIFF: one thread, uncompressed files.
            FrameWriter writer(FrameFormat::Tiff, 1);
            // The first frame reads the coefficients, starts the workers and prepares the scene.
            bool ok = grab.next(writer);
            writer.drain();
            for (auto _ : state) {
                for (uint64_t i = 0; ok && i < kFramesPerIteration; ++i)
                    ok = grab.next(writer);
                if (!ok) {
                    state.SkipWithError("grab failed");
                    break;
                }
            }
            writer.drain();
            if (ok && !writer.failure().empty())
                state.SkipWithError(writer.failure().c_str());
            state.counters["lost"] = double(grab.lost());
            grab.stop();
        }
    }
    gh5_clock_select(GH5_CLOCK_REAL);
    reportRates(state, kFramesPerIteration, side);
}

using SteadyClock = std::chrono::steady_clock;

double secondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

// The virtual camera free-runs at this rate while nothing triggers it.
constexpr double kCameraFramesPerSecond = 30.0;

// Boards acquiring at once in one process on the real clock, each with every correction on at
// 1024 x 1024: whether every board still gets every frame its camera makes. The rate counts from
// the start, set-up (coefficients, threads) included: a board that keeps up has all but the frame
// in flight.
void BM_BoardsAtCameraRate(benchmark::State& state) {
    constexpr uint32_t kBoardSide = 1024;
    constexpr double kSeconds = 5.0;
    const auto boards = static_cast<int32_t>(state.range(0));
    gh5_clock_select(GH5_CLOCK_REAL);
    std::vector<std::unique_ptr<CorrectedAcquisition>> acquisitions;
    bool ok = true;
    for (int32_t board = 0; board < boards && ok; ++board) {
        acquisitions.push_back(std::make_unique<CorrectedAcquisition>(AcquisitionSetup{
            .board = board, .side = kBoardSide, .simulator = false, .format = kGray8, .buffers = 8}));
        ok = acquisitions.back()->ok();
    }
    std::vector<SteadyClock::time_point> started;
    for (const auto& a : acquisitions) {
        ok = ok &&
             a->exports().Fg_AcquireEx(a->fg(), 0, GH5_GRAB_INFINITE, GH5_ACQ_STANDARD, a->memory()) == 0;
        started.push_back(SteadyClock::now());
    }
    for (auto _ : state)
        std::this_thread::sleep_for(std::chrono::duration<double>(kSeconds));
    if (!ok) {
        state.SkipWithError("set-up refused");
    } else {
        double slowest = 1e300;
        int64_t lost = 0;
        for (std::size_t i = 0; i < acquisitions.size(); ++i) {
            const CorrectedAcquisition& a = *acquisitions[i];
            const int64_t pictures = a.exports().Fg_getLastPicNumberEx(a.fg(), 0, a.memory());
            slowest = std::min(slowest, double(pictures) / secondsSince(started[i]));
            lost += a.exports().Fg_getStatusEx(a.fg(), GH5_STATUS_PICTURES_LOST, 0, 0, a.memory());
        }
        state.counters["frames/s"] = slowest;
        state.counters["lost"] = double(lost);
    }
    for (const auto& a : acquisitions)
        a->exports().Fg_stopAcquireEx(a->fg(), 0, a->memory(), GH5_STOP_ASYNC);
}

// A minute of kestrel grab --format tiff at 4096 x 4096 with every correction, the camera
// triggered at 20 frames/s on the real clock: every frame written, none lost, and the process's
// resident memory no larger at the end than after its first second (and first second's frames).
void BM_GrabMinute(benchmark::State& state) {
    constexpr double kFramesPerSecond = 20.0;
    constexpr double kSeconds = 60.0;
    gh5_clock_select(GH5_CLOCK_REAL);
    CorrectedAcquisition acquisition(
        {.side = kSide, .simulator = false, .format = kGray8, .buffers = TiffGrab::kRing});
    TiffGrab grab(acquisition, kSide);
    if (!acquisition.ok() || !acquisition.triggerAt(kFramesPerSecond) || !grab.start()) {
        state.SkipWithError("set-up refused");
        for (auto _ : state) {
        }
        return;
    }
    uint64_t frames = 0;
    uint64_t residentAfterOneSecond = 0;
    uint64_t residentMost = 0;
    bool ok = true;
    {
        FrameWriter writer(FrameFormat::Tiff, 1);
        for (auto _ : state) {
            const SteadyClock::time_point start = SteadyClock::now();
            while (ok && secondsSince(start) < kSeconds) {
                ok = grab.next(writer);
                frames += ok ? 1 : 0;
                const uint64_t resident = kestrel::bench::residentBytes();
                // The first second's frames settle the ring, the board's buffer and the writer.
                if (residentAfterOneSecond == 0 && secondsSince(start) >= 1.0 && frames >= kFramesPerSecond)
                    residentAfterOneSecond = resident;
                residentMost = std::max(residentMost, resident);
            }
        }
        writer.drain();
        if (!ok || !writer.failure().empty())
            state.SkipWithError(ok ? writer.failure().c_str() : "grab failed");
    }
    state.counters["frames"] = double(frames);
    state.counters["lost"] = double(grab.lost());
    state.counters["growth MiB"] =
        residentAfterOneSecond == 0
            ? -1.0
            : double(residentMost - std::min(residentMost, residentAfterOneSecond)) / (1 << 20);
    grab.stop();
}

BENCHMARK(BM_CorrectedAcquisition)
    ->Arg(1024)
    ->Arg(4096)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
BENCHMARK(BM_MemcpyFrame)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GrabToFiles)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_BoardsAtCameraRate)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_GrabMinute)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void summarise(const kestrel::bench::Results& results, kestrel::bench::TargetLines& lines) {
    // Whole acquisitions into host memory at 1.5 Gpx/s. Writing to disk is to keep up with the
    // fastest Camera Link link, Deca (10 taps x 85 MHz: 850 Mpx/s, 51 frames/s at 4096 x 4096).
    const double acquired = results.counter("BM_CorrectedAcquisition/4096", "px/s");
    lines.atLeast("whole acquisition 4096x4096, simulator", acquired < 0 ? -1.0 : acquired / 1e9, 1.5,
                  " Gpx/s");
    lines.atLeast("grab to TIFF files 4096x4096, scene, all corrections",
                  results.counter("BM_GrabToFiles/4096", "frames/s"), 51.0, " frames/s");
    // A board that keeps up loses nothing and delivers its camera's rate, to a frame per second.
    for (const char* boards : {"1", "2", "4"}) {
        const std::string name = std::string("BM_BoardsAtCameraRate/") + boards;
        const double lost = results.counter(name, "lost");
        const double rate = lost == 0 ? results.counter(name, "frames/s") : -1.0;
        lines.atLeast(std::string(boards) + " board(s) at once, 1024x1024, slowest board, no frame lost",
                      rate, kCameraFramesPerSecond - 1, " frames/s");
        if (lost > 0)
            lines.note("  (" + std::to_string(int64_t(lost)) + " frames lost with " + boards + " board(s))");
    }
    // A minute at 20 frames/s is 1200 frames; memory may grow by at most one frame (16 MiB).
    lines.atLeast("one-minute grab to TIFF 4096x4096 at 20 frames/s, frames written",
                  results.counter("BM_GrabMinute", "frames"), 20 * 60 - 1, "");
    lines.atMost("one-minute grab to TIFF 4096x4096 at 20 frames/s, frames lost",
                 results.counter("BM_GrabMinute", "lost"), 0, "");
    lines.atMost("one-minute grab, resident memory growth after the first second",
                 results.counter("BM_GrabMinute", "growth MiB"), 16.0, " MiB");
}

} // namespace

int main(int argc, char** argv) {
    return kestrel::bench::runWithTargets(argc, argv, summarise);
}
