// kestrel trigger: the area trigger on one screen (mode, state, frequency, the pulse-form
// generators and what every output carries), after optional settings given as NAME=VALUE; or,
// with --software N, N software pulses and the frames they produced.
#include "command.h"
#include "core/frame_writer.h"
#include "core/grab_plan.h"
#include "core/interrupt.h"
#include "core/parameter_view.h"

#include "boardhw.h"
#include "grabhost5.hpp"
#include "kestrel12.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kestrel::tool {
namespace {

struct Arguments {
    std::vector<std::string> settings;
    uint32_t softwarePulses = 0;
    int32_t timeoutSeconds = 5;
    // Where the pulses' frames go; empty: they are only counted.
    std::string directory;
    std::string format = "tiff";
    bool replace = false;
};

// The applet's refusal of a software pulse while the previous one is still in work.
constexpr int32_t kTriggerBusy = KESTREL12_ERR_BUSY;
constexpr uint32_t kMaxRingBuffers = 64;

// The value of a parameter as text, or the reason it has none.
std::string value(const AppletParameters& parameters, const std::string& name) {
    const int32_t id = parameters.exports().Fg_getParameterIdByName(parameters.fg(), name.c_str());
    if (id < 0)
        return "(no parameter)";
    int32_t code = 0;
    const auto text = parameters.valueText(parameters.findFeature(name), id, &code);
    return text ? *text : "(" + codeText(code) + ")";
}

void row(const std::string& label, const std::string& text) {
    std::cout << "  " << std::left << std::setw(22) << label << text << "\n";
}

// Sends one pulse; a trigger still busy with the last one is asked again until the time-out.
int32_t sendPulse(const AppletParameters& parameters, int32_t id,
                  std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        uint32_t one = 1;
        const int32_t code = parameters.exports().Fg_setParameterWithType(parameters.fg(), id, &one, 0, 0);
        if (code != kTriggerBusy || std::chrono::steady_clock::now() >= deadline)
            return code;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// The frames of the pulses as files, written while the next pulses go out. The ring is blocking
// then: a buffer goes back to the board only when its file is whole.
class FrameSaver {
public:
    FrameSaver(const Arguments& arguments, const gh5::Memory& memory, Gh5Grabber* record, uint32_t ring,
               const BoardImageFormat& format)
        : directory_(arguments.directory), format_(*frameFormat(arguments.format)), memory_(memory),
          record_(record), ring_(ring),
          last_(arguments.softwarePulses), image_{nullptr, format.widthPixels, format.heightLines,
                                                  int(format.bitsPerPixel)},
          writer_(format_, 1) {}

    // Queues every picture after the last one saved up to picture.
    void saveUpTo(uint64_t picture) {
        for (; saved_ < picture; ++saved_) {
            const auto index = uint32_t(saved_ % ring_);
            FrameImage image = image_;
            image.pixels = memory_.buffer(index);
            writer_.write({frameFilePath(directory_, format_, saved_ + 1, last_), image,
                           [record = record_, handle = memory_.handle(), index] {
                               gh5_buffer_release(record, 0, handle, index);
                           }});
        }
    }
    // Waits for the files; "" or the first failure.
    std::string finish() {
        writer_.drain();
        return writer_.failure();
    }
    uint64_t written() const { return writer_.written(); }

private:
    std::string directory_;
    FrameFormat format_;
    const gh5::Memory& memory_;
    Gh5Grabber* record_;
    uint32_t ring_;
    uint64_t last_;
    FrameImage image_;
    uint64_t saved_ = 0;
    FrameWriter writer_;
};

// Software mode, trigger active, then the user's settings; acquires while sending the pulses one
// at a time, each after the frame of the one before.
int runSoftwarePulses(const gh5::Board& board, gh5::Grabber& grabber, const AppletParameters& parameters,
                      const Arguments& arguments) {
    for (const char* setting : {"FG_AREATRIGGERMODE=ATM_SOFTWARE", "FG_TRIGGERSTATE=TS_ACTIVE"})
        if (const int exitCode = applySetting(parameters, setting); exitCode != kExitOk)
            return exitCode;
    for (const std::string& setting : arguments.settings)
        if (const int exitCode = applySetting(parameters, setting); exitCode != kExitOk)
            return exitCode;
    BoardImageFormat format{};
    if (const int32_t code = Board_GetImageFormat(board.device(), &format); code != BOARD_OK)
        return fail("image format: " + codeText(code));
    const uint64_t frameBytes = uint64_t{format.widthPixels} * format.heightLines * (format.bitsPerPixel / 8);
    if (frameBytes == 0)
        return fail("the window is empty");

    const Gh5AppletExports& x = grabber.exports();
    void* fg = grabber.record();
    const int32_t pulseId = x.Fg_getParameterIdByName(fg, "FG_SENDSOFTWARETRIGGER");
    const bool saving = !arguments.directory.empty();
    if (saving) {
        if (const std::string refusal = earlierRunRefusal(arguments.directory);
            !refusal.empty() && !arguments.replace)
            return fail(refusal);
        if (arguments.replace)
            if (const std::string problem = removeEarlierFrames(arguments.directory); !problem.empty())
                return fail("--replace: " + problem);
        std::error_code error;
        std::filesystem::create_directories(arguments.directory, error);
        if (error)
            return fail("cannot create " + arguments.directory + ": " + error.message());
    }
    const uint32_t ring = std::clamp(arguments.softwarePulses, saving ? 2u : 1u, kMaxRingBuffers);
    gh5::Memory memory(grabber, ring, frameBytes);
    if (const int32_t code = x.Fg_AcquireEx(fg, 0, GH5_GRAB_INFINITE,
                                            saving ? GH5_ACQ_BLOCKING : GH5_ACQ_STANDARD, memory.handle());
        code != 0)
        return fail("cannot start acquisition: " + codeText(code));
    std::optional<FrameSaver> saver;
    if (saving)
        saver.emplace(arguments, memory, grabber.record(), ring, format);
    const InterruptGuard interruptGuard;
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    uint32_t frames = 0;
    uint32_t sentPulses = 0;
    uint32_t refused = 0;
    for (uint32_t pulse = 1; pulse <= arguments.softwarePulses && !InterruptGuard::requested(); ++pulse) {
        const auto sent = Clock::now();
        const auto deadline = sent + std::chrono::seconds(arguments.timeoutSeconds);
        if (const int32_t code = sendPulse(parameters, pulseId, deadline); code != 0) {
            std::cerr << "kestrel: pulse " << pulse << ": refused: " << codeText(code) << "\n";
            ++refused;
            continue;
        }
        ++sentPulses;
        const int64_t last =
            x.Fg_getLastPicNumberBlockingEx(fg, sentPulses, 0, arguments.timeoutSeconds, memory.handle());
        if (last < 0) {
            std::cerr << "kestrel: pulse " << pulse << ": no frame: " << codeText(static_cast<int32_t>(last))
                      << "\n";
            continue;
        }
        frames = static_cast<uint32_t>(last);
        if (saver)
            saver->saveUpTo(uint64_t(last));
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
        std::cout << "pulse " << pulse << ": frame " << last << " after " << std::fixed
                  << std::setprecision(1) << ms << " ms\n";
    }
    const std::string failure = saver ? saver->finish() : std::string();
    const int64_t lost = x.Fg_getStatusEx(fg, GH5_STATUS_PICTURES_LOST, 0, 0, memory.handle());
    x.Fg_stopAcquireEx(fg, 0, memory.handle(), GH5_STOP_ASYNC);
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::cout << sentPulses << " pulses sent, " << refused << " refused, " << frames << " frames, "
              << std::max<int64_t>(lost, 0) << " lost, " << std::fixed << std::setprecision(2) << seconds
              << " s\n";
    if (saver)
        std::cout << "Written to " << arguments.directory << " (" << saver->written() << " frames, "
                  << format.widthPixels << " x " << format.heightLines << ", " << format.bitsPerPixel
                  << "-bit " << arguments.format << ")\n";
    if (!failure.empty())
        return fail(failure);
    if (InterruptGuard::requested()) {
        std::cout << "Trigger interrupted after " << sentPulses << " pulses\n";
        return InterruptGuard::exitCode();
    }
    return refused == 0 && frames == sentPulses ? kExitOk : kExitFailure;
}

int runTrigger(const ToolOptions& options, const Arguments& arguments) {
    if (!frameFormat(arguments.format))
        throw UsageError("--format is png or tiff, not " + arguments.format);
    if (!arguments.directory.empty() && arguments.softwarePulses == 0)
        throw UsageError("-o saves the frames of --software N pulses; give --software N");
    Session session(options);
    gh5::Grabber& grabber = session.grabber();
    const AppletParameters parameters(grabber);
    if (arguments.softwarePulses > 0)
        return runSoftwarePulses(session.board(), grabber, parameters, arguments);
    for (const std::string& setting : arguments.settings) {
        if (const int exitCode = applySetting(parameters, setting); exitCode != kExitOk)
            return exitCode;
    }

    std::cout << "Area trigger\n";
    row("Mode", value(parameters, "FG_AREATRIGGERMODE"));
    row("State", value(parameters, "FG_TRIGGERSTATE"));
    row("Frequency (Hz)", value(parameters, "FG_TRIGGER_FRAMESPERSECOND"));
    row("Queue", value(parameters, "FG_TRIGGERQUEUE_MODE") + ", fill level " +
                     value(parameters, "FG_TRIGGERQUEUE_FILLLEVEL"));
    row("Multiply pulses", value(parameters, "FG_TRIGGER_MULTIPLY_PULSES"));
    row("Legacy interface", value(parameters, "FG_TRIGGER_LEGACY_MODE"));
    row("Input", value(parameters, "FG_TRIGGERIN_SRC") + ", " + value(parameters, "FG_TRIGGERIN_POLARITY") +
                     ", downscale " + value(parameters, "FG_TRIGGERIN_DOWNSCALE") + " phase " +
                     value(parameters, "FG_TRIGGERIN_DOWNSCALE_PHASE"));

    std::cout << "Pulse-form generators (downscale, phase, delay us, width us)\n";
    for (int n = 0; n < 4; ++n) {
        const std::string prefix = "FG_TRIGGER_PULSEFORMGEN" + std::to_string(n) + "_";
        row("Generator " + std::to_string(n),
            value(parameters, prefix + "DOWNSCALE") + ", " + value(parameters, prefix + "DOWNSCALE_PHASE") +
                ", " + value(parameters, prefix + "DELAY") + ", " + value(parameters, prefix + "WIDTH"));
    }

    std::cout << "Outputs\n";
    for (int i = 0; i < 4; ++i)
        row("CC" + std::to_string(i), value(parameters, "FG_TRIGGERCC_SELECT" + std::to_string(i)));
    for (int i = 0; i < 8; ++i)
        row("Trigger output " + std::to_string(i),
            value(parameters, "FG_TRIGGEROUT_SELECT" + std::to_string(i)));
    return kExitOk;
}

const CommandRegistrar registrar{Command{
    "trigger", "show the area trigger: mode, state, frequency, pulse-form generators and outputs",
    [](CLI::App& sub, const ToolOptions& options) {
        auto arguments = std::make_shared<Arguments>();
        sub.add_option("settings", arguments->settings,
                       "settings applied first, in order, e.g. FG_AREATRIGGERMODE=ATM_SOFTWARE");
        sub.add_option("--software", arguments->softwarePulses,
                       "send N software pulses (software mode, trigger active) and report each one's frame, "
                       "1 .. 1000000")
            ->check(CLI::Range(1u, 1000000u));
        sub.add_option("--timeout", arguments->timeoutSeconds,
                       "seconds to wait for each pulse's frame, 1 .. 3600")
            ->check(CLI::Range(1, 3600));
        sub.add_option("-o,--output", arguments->directory,
                       "with --software: write the pulses' frames into this directory as frame_0001.tif ...");
        sub.add_option("--format", arguments->format, "with -o: tiff (uncompressed, fast) or png")
            ->capture_default_str();
        sub.add_flag("--replace", arguments->replace,
                     "with -o: remove the frame files of an earlier run from the directory first");
        return std::function<int()>([&options, arguments] { return runTrigger(options, *arguments); });
    }}};

} // namespace
} // namespace kestrel::tool
