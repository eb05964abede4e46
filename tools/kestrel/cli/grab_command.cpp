// kestrel grab: acquires N frames with the applet on the board and writes them as TIFF or PNG files
// on writer threads while the board fills the next buffers of a small ring, after an optional
// configuration file and NAME=VALUE settings.
#include "command.h"
#include "core/camera_scene.h"
#include "core/config_file.h"
#include "core/correction_checks.h"
#include "core/frame_loss.h"
#include "core/frame_stats.h"
#include "core/frame_writer.h"
#include "core/grab_plan.h"
#include "core/image_header.h"
#include "core/interrupt.h"
#include "core/parameter_view.h"
#include "core/system_calls.h"

#include "boardhw.h"
#include "grabhost5.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kestrel::tool {
namespace {

struct Arguments {
    int64_t frames = 8;
    std::string directory = "frames";
    std::string format = "tiff";
    std::string configuration;
    std::vector<std::string> settings;
    std::vector<std::string> images;
    std::string scene;
    std::optional<double> softwareTriggerHz;
    bool simulatedClock = false;
    int timeoutSeconds = 10;
    int64_t buffers = 4;
    bool quiet = false;
    bool stats = false;
    bool replace = false;
    bool failOnLoss = false;
};

// Frame numbers and file names keep their order up to here; more is a typing error.
constexpr int64_t kMaxFrames = 1'000'000'000;
constexpr int kMaxTimeoutSeconds = 86'400;
constexpr int64_t kMaxBuffers = 1024;
constexpr double kMinTriggerHz = 0.1;
constexpr double kMaxTriggerHz = 10'000.0;
// A bar on standard error, redrawn in place; only on a terminal, so that logs get no carriage
// returns.
class Progress {
public:
    Progress(uint64_t total, bool quiet) : total_(total), shown_(!quiet && os::standardErrorIsConsole()) {}
    void update(uint64_t done) {
        if (!shown_)
            return;
        constexpr int kBarWidth = 30;
        const int filled = int(done * kBarWidth / total_);
        std::cerr << "\r[" << std::string(size_t(filled), '#') << std::string(size_t(kBarWidth - filled), ' ')
                  << "] " << done << "/" << total_ << std::flush;
        open_ = true;
    }
    void finish() {
        if (open_)
            std::cerr << "\n";
        open_ = false;
    }

private:
    uint64_t total_;
    bool shown_;
    bool open_ = false;
};

// Minimum, mean and maximum, and the standard deviation that says how flat the frame is; with the
// camera frame it came from, so that gaps show.
void printStats(uint64_t picture, uint64_t cameraFrame, const FrameImage& image) {
    const FrameStats stats = measureFrame(image);
    std::cout << "frame " << picture << " (camera frame " << cameraFrame << "): min " << stats.minimum
              << " mean " << std::fixed << std::setprecision(1) << stats.mean << " max " << stats.maximum
              << " sd " << std::setprecision(2) << stats.deviation << "\n";
}

// Software trigger pulses at a fixed rate on a thread of their own while the grab runs.
class PulseTrain {
public:
    PulseTrain(const AppletParameters& parameters, double hz)
        : parameters_(parameters),
          id_(parameters.exports().Fg_getParameterIdByName(parameters.fg(), "FG_SENDSOFTWARETRIGGER")),
          period_(std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / hz))),
          thread_([this] { run(); }) {}
    ~PulseTrain() {
        stop_.store(true);
        thread_.join();
    }
    PulseTrain(const PulseTrain&) = delete;
    PulseTrain& operator=(const PulseTrain&) = delete;

    uint64_t sent() const { return sent_.load(); }
    uint64_t refused() const { return refused_.load(); }

private:
    using Clock = std::chrono::steady_clock;

    void run() {
        auto next = Clock::now();
        while (!stop_.load()) {
            uint32_t one = 1;
            const int32_t code =
                parameters_.exports().Fg_setParameterWithType(parameters_.fg(), id_, &one, 0, 0);
            (code == 0 ? sent_ : refused_).fetch_add(1);
            next += period_;
            // Short steps, so that a slow rate does not hold up the end of the grab.
            while (!stop_.load() && Clock::now() < next)
                std::this_thread::sleep_for(
                    std::min<Clock::duration>(next - Clock::now(), std::chrono::milliseconds(20)));
        }
    }

    const AppletParameters& parameters_;
    int32_t id_;
    Clock::duration period_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> sent_{0};
    std::atomic<uint64_t> refused_{0};
    std::thread thread_;
};

// Waits for picture in steps of a second so that Ctrl-C is seen; the picture number, or a code.
int64_t waitForPicture(const Gh5AppletExports& x, void* fg, uint64_t picture, const gh5::Memory& memory,
                       int timeoutSeconds) {
    for (int waited = 0;; ++waited) {
        const int64_t last = x.Fg_getLastPicNumberBlockingEx(fg, picture, 0, 1, memory.handle());
        if (last != GH5_ERR_TIMEOUT || InterruptGuard::requested() || waited + 1 >= timeoutSeconds)
            return last;
    }
}

// The trigger's rate as the applet reads it, "?" when it does not answer.
std::string triggerRate(const AppletParameters& parameters) {
    const int32_t id =
        parameters.exports().Fg_getParameterIdByName(parameters.fg(), "FG_TRIGGER_FRAMESPERSECOND");
    int32_t code = 0;
    return parameters.valueText(parameters.findFeature("FG_TRIGGER_FRAMESPERSECOND"), id, &code)
        .value_or("?");
}

// Whether the camera simulator, rather than the virtual camera, feeds the pipeline.
bool simulatorOn(const AppletParameters& parameters) {
    const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), "FG_GEN_ENABLE");
    uint32_t on = 0;
    return id >= 0 && parameters.exports().Fg_getParameterWithType(parameters.fg(), id, &on, 0, 0) == 0 &&
           on != 0;
}

// The camera's images instead of its scene; "" or why they were refused.
std::string attachImages(gh5::Board& board, const std::vector<std::string>& images) {
    if (images.empty())
        return "";
    std::vector<const char*> paths;
    for (const std::string& image : images)
        paths.push_back(image.c_str());
    if (const int32_t code = gh5_camera_attach_images(board.get(), paths.data(), uint32_t(paths.size()));
        code != GH5_OK)
        return "camera images: " + codeText(code) + ": " + gh5_error_detail();
    return "";
}

int runGrab(const ToolOptions& options, const Arguments& arguments) {
    const std::optional<FrameFormat> chosen = frameFormat(arguments.format);
    if (!chosen)
        throw UsageError("--format is png or tiff, not " + arguments.format);
    const FrameFormat format = *chosen;
    if (arguments.simulatedClock)
        gh5_clock_select(GH5_CLOCK_SIMULATED);

    gh5::Board board = gh5::Board::open(options.board);
    if (const std::string problem = attachImages(board, arguments.images); !problem.empty())
        return fail(problem);
    gh5::Grabber grabber = gh5::Grabber::create(board, options.applet);
    const AppletParameters parameters(grabber);
    const Gh5AppletExports& x = grabber.exports();
    void* fg = grabber.record();
    loadConfigOption(options, grabber, true);
    if (!arguments.configuration.empty())
        loadConfiguration(parameters, arguments.configuration);
    // Old frames beside new ones of another size or count would pass for one run.
    if (const std::string refusal = earlierRunRefusal(arguments.directory);
        !refusal.empty() && !arguments.replace)
        return fail(refusal);
    if (arguments.softwareTriggerHz)
        for (const char* setting : {"FG_AREATRIGGERMODE=ATM_SOFTWARE", "FG_TRIGGERSTATE=TS_ACTIVE"})
            if (const int exitCode = applySetting(parameters, setting); exitCode != kExitOk)
                return exitCode;
    for (const std::string& setting : arguments.settings)
        if (const int exitCode = applySetting(parameters, setting); exitCode != kExitOk)
            return exitCode;
    if (!arguments.scene.empty() && simulatorOn(parameters))
        return fail(
            "--scene " + arguments.scene +
            ": the camera simulator is on (FG_GEN_ENABLE=1) and shows its pattern instead of what the "
            "camera looks at; set FG_GEN_ENABLE=0");
    if (!arguments.scene.empty())
        if (const std::string problem = selectScene(board, arguments.scene); !problem.empty())
            return fail("--" + problem);
    // A reference recorded through a correction would have it applied twice once it is used.
    if (arguments.scene == "lens-cap" || arguments.scene == "flat-field")
        if (const std::vector<std::string> active = activeCorrections(parameters); !active.empty()) {
            std::string list;
            for (const std::string& setting : active)
                list += (list.empty() ? "" : ", ") + setting;
            std::cerr << "kestrel: warning: --scene " << arguments.scene
                      << " records a shading reference through corrections that are on (" << list
                      << "); a reference for kestrel shading is recorded with shading and the LUT off "
                         "(grab without that --config, or --set each of them off)\n";
        }

    // What the board delivers, whatever the parameters claim.
    BoardImageFormat delivered{};
    if (const int32_t code = Board_GetImageFormat(board.device(), &delivered); code != BOARD_OK)
        return fail("image format: " + codeText(code));
    const uint32_t width = delivered.widthPixels;
    const uint32_t height = delivered.heightLines;
    const int bits = int(delivered.bitsPerPixel);
    const uint64_t frameBytes = uint64_t{width} * height * uint64_t(bits / 8);
    if (frameBytes == 0)
        return fail("the window is empty");
    if (!arguments.images.empty()) {
        const auto size = readImageHeader(arguments.images.front());
        if (size && (uint32_t(size->width) != width || uint32_t(size->height) != height))
            return fail("--images: " + arguments.images.front() + " is " + std::to_string(size->width) +
                        " x " + std::to_string(size->height) + " but the frames are " +
                        std::to_string(width) + " x " + std::to_string(height) +
                        "; set FG_WIDTH and FG_HEIGHT to the images' size");
    }
    const uint64_t total = uint64_t(arguments.frames);
    const auto ring =
        uint32_t(std::clamp<uint64_t>(uint64_t(arguments.buffers), 2, std::max<uint64_t>(total, 2)));
    if (const std::string problem = ringMemoryProblem(ring, frameBytes, physicalMemoryBytes());
        !problem.empty())
        return fail("--buffers " + std::to_string(arguments.buffers) + ": " + problem);
    std::error_code error;
    std::filesystem::create_directories(arguments.directory, error);
    if (error)
        return fail("cannot create " + arguments.directory + ": " + error.message());
    if (arguments.replace)
        if (const std::string problem = removeEarlierFrames(arguments.directory); !problem.empty())
            return fail("--replace: " + problem);
    gh5::Memory memory(grabber, ring, frameBytes);
    const InterruptGuard interruptGuard;
    // The ring holds the board back while the writers are behind: nothing is overwritten while it
    // is written, and what the board cannot keep is counted as lost.
    if (const int32_t code = x.Fg_AcquireEx(fg, 0, total, GH5_ACQ_BLOCKING, memory.handle()); code != 0)
        return fail("starting acquisition: " + codeText(code));
    const auto started = std::chrono::steady_clock::now();
    std::optional<PulseTrain> pulses;
    // A slow pulse rate stretches the wait for each frame by one period.
    int timeoutSeconds = arguments.timeoutSeconds;
    if (arguments.softwareTriggerHz) {
        pulses.emplace(parameters, *arguments.softwareTriggerHz);
        timeoutSeconds += int(1.0 / *arguments.softwareTriggerHz) + 1;
    }

    Progress progress(total, arguments.quiet);
    std::string failure;
    uint64_t received = 0;
    // PNG compresses on both cores; uncompressed TIFF waits for the disk, and one writer is enough.
    FrameWriter writer(format, format == FrameFormat::Png ? 2 : 1);
    Gh5Grabber* record = grabber.record();
    const uint64_t memoryHandle = memory.handle();
    FrameLossLedger ledger;
    for (uint64_t picture = 1; picture <= total && !InterruptGuard::requested(); ++picture) {
        const int64_t last = waitForPicture(x, fg, picture, memory, timeoutSeconds);
        if (InterruptGuard::requested())
            break;
        if (last < 0) {
            failure = "waiting for frame " + std::to_string(picture) + ": " + codeText(int32_t(last));
            break;
        }
        if (failure = writer.failure(); !failure.empty())
            break;
        ++received;
        // The buffer still holds the picture, so the host knows where it came from.
        const int64_t cameraFrame =
            x.Fg_getStatusEx(fg, GH5_STATUS_PICTURE_CAMERA_FRAME, picture, 0, memoryHandle);
        const int64_t lostBefore =
            x.Fg_getStatusEx(fg, GH5_STATUS_PICTURE_LOST_BEFORE, picture, 0, memoryHandle);
        if (cameraFrame >= 0 && lostBefore >= 0)
            ledger.record(picture, uint64_t(cameraFrame), uint64_t(lostBefore));
        const auto index = uint32_t((picture - 1) % ring);
        const FrameImage image{memory.buffer(index), width, height, bits};
        if (arguments.stats)
            printStats(picture, uint64_t(std::max<int64_t>(cameraFrame, 0)) + 1, image);
        // The buffer goes back to the board once its file is whole; after a stop there is no
        // acquisition to give it to, which the release then only reports.
        writer.write({frameFilePath(arguments.directory, format, picture, total), image,
                      [record, memoryHandle, index] { gh5_buffer_release(record, 0, memoryHandle, index); }});
        progress.update(picture);
    }
    std::string pulseSummary;
    if (pulses) {
        // Only a pulse that exposed made a frame of the run: the received ones and the lost ones.
        pulseSummary = "Software pulses: " + std::to_string(pulses->sent()) + " sent, " +
                       std::to_string(pulses->refused()) + " refused, " +
                       std::to_string(received + ledger.lost()) + " exposed a frame of the run\n";
        if (pulses->refused() != 0)
            std::cerr << "kestrel: warning: the trigger refused " << pulses->refused()
                      << " pulses while it was busy with the one before: it takes pulses at most at "
                         "FG_TRIGGER_FRAMESPERSECOND ("
                      << triggerRate(parameters)
                      << " Hz now) and the camera's frame rate; raise it with --set "
                         "FG_TRIGGER_FRAMESPERSECOND=HZ or lower --software-trigger\n";
    }
    pulses.reset();
    // Cut short, the board is stopped first so that it lets go of the ring; the writers then finish
    // the frames they hold, before the buffers go.
    if (received < total)
        x.Fg_stopAcquireEx(fg, 0, memory.handle(), GH5_STOP_ASYNC);
    if (InterruptGuard::requested() && received > writer.written())
        std::cerr << "\nkestrel: stopping: writing the " << received - writer.written()
                  << " frames already received (once more to stop at once; their unfinished files are "
                     "removed)\n";
    writer.drain();
    if (failure.empty())
        failure = writer.failure();
    progress.finish();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (received == total)
        x.Fg_stopAcquireEx(fg, 0, memory.handle(), GH5_STOP_ASYNC);
    const uint64_t written = writer.written();
    // Standard output gone with its pipe, the summary goes where a terminal may still read it.
    std::ostream& out = InterruptGuard::outputClosed() ? std::cerr : std::cout;
    if (InterruptGuard::requested())
        out << "Grab interrupted after " << written << " frames\n";
    out << "Frames received: " << received << "\n"
        << "Frames lost: " << ledger.lost() << "\n";
    out << pulseSummary;
    out << "Frame rate: " << std::fixed << std::setprecision(1)
        << (seconds > 0 ? double(written) / seconds : 0.0) << " frames/s\n"
        << "Written to " << arguments.directory << " (" << written << " frames, " << width << " x " << height
        << ", " << bits << "-bit " << arguments.format << ")\n";
    if (ledger.lost() != 0)
        std::cerr << "kestrel: " << (arguments.failOnLoss ? "" : "warning: ") << ledger.describe() << "; "
                  << frameLossHint(arguments.format, ring) << "\n";
    if (!failure.empty())
        return fail(failure);
    if (InterruptGuard::requested())
        return InterruptGuard::exitCode();
    return arguments.failOnLoss && ledger.lost() != 0 ? kExitFailure : kExitOk;
}

const CommandRegistrar registrar{Command{
    "grab", "acquire frames and write them as TIFF or PNG files",
    [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("-n,--frames", arguments->frames, "number of frames")
            ->check(CLI::Range(int64_t{1}, kMaxFrames))
            ->capture_default_str();
        sub.add_option("-o,--output", arguments->directory, "directory for the frames")
            ->capture_default_str();
        sub.add_option("--format", arguments->format, "tiff (uncompressed, fast) or png (compressed)")
            ->capture_default_str();
        sub.add_option("--buffers", arguments->buffers,
                       "buffers in the acquisition ring, 2 .. 1024, and at most half the machine's memory")
            ->check(CLI::Range(int64_t{2}, kMaxBuffers))
            ->capture_default_str();
        sub.add_option("--load", arguments->configuration, "configuration file loaded first");
        auto* images =
            sub.add_option("--images", arguments->images,
                           "PNG or TIFF files the camera shows in turn instead of its built-in scene");
        sub.add_option("--scene", arguments->scene,
                       "what the virtual camera looks at: default, lens-cap (black reference) or flat-field "
                       "(gray reference, seven eighths of full scale at the centre)")
            ->check(CLI::IsMember({"default", "lens-cap", "flat-field"}))
            ->excludes(images);
        sub.add_option("--set", arguments->settings, "NAME=VALUE settings applied after loading, in order");
        sub.add_option("--software-trigger", arguments->softwareTriggerHz,
                       "expose on software trigger pulses sent at this rate, 0.1 .. 10000 Hz")
            ->check(CLI::Range(kMinTriggerHz, kMaxTriggerHz));
        sub.add_flag("--simulated-clock", arguments->simulatedClock,
                     "deliver frames as fast as they are made instead of at the camera's rate");
        sub.add_option("--timeout", arguments->timeoutSeconds, "seconds to wait for each frame, 1 .. 86400")
            ->check(CLI::Range(1, kMaxTimeoutSeconds))
            ->capture_default_str();
        sub.add_flag("-q,--quiet", arguments->quiet,
                     "no progress bar (it is only drawn on a terminal anyway)");
        sub.add_flag("--stats", arguments->stats,
                     "print the camera frame each frame came from and its minimum, mean, maximum and "
                     "standard deviation");
        sub.add_flag("--replace", arguments->replace,
                     "remove the frame files of an earlier run from the output directory first");
        sub.add_flag("--fail-on-loss", arguments->failOnLoss, "exit 1 when the board lost frames of the run");
        return std::function<int()>([&options, arguments] { return runGrab(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
