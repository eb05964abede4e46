// The board's acquisition engine.
#include "acquisition.h"

#include "board.h"
#include "events.h"
#include "pipeline/generator_source.h"
#include "pipeline/streaming_pipeline.h"
#include "trigger/trigger_system.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace kestrel::boardhw {

namespace {

// The camera's sensor is as large as the window needs, but never smaller than this, so that the
// scene keeps its look when the window is small or moves.
constexpr uint32_t kMinimumSceneSide = 1024;

board::OutputFormat outputFormatOf(const DesignSettings& s) {
    if (s.eightBitOutput)
        return board::OutputFormat::Gray8;
    return s.leftAligned ? board::OutputFormat::Gray16LeftAligned : board::OutputFormat::Gray16;
}

std::shared_ptr<const board::CoefficientPlane> readPlane(const Board& board, int32_t memory) {
    auto plane = std::make_shared<board::CoefficientPlane>(uint16_t{0});
    const int32_t code =
        board.readCoefficientLines(memory, 0, board::CoefficientPlane::kSide, plane->elements().data());
    if (code != BOARD_OK)
        return nullptr;
    return plane;
}

// Completions one advanceTo runs at most, so that a source far faster than the host can render
// still lets the caller look up (stop requests, the clock) between batches.
constexpr int kMaxCompletionsPerAdvance = 64;

} // namespace

double sourceFramePeriodSeconds(const DesignSettings& settings) {
    const GeneratorSettings& g = settings.generator;
    if (g.enabled && g.running) {
        const double clocks = double(g.lineLengthClocks()) * g.frameHeightLines();
        const double period = clocks / g.pixelRateHz();
        if (period > 0)
            return period;
    }
    return 1.0 / kCameraFramesPerSecond;
}

board::PipelineSettings pipelineSettingsOf(const DesignSettings& s) {
    board::PipelineSettings p;
    const Window& window = s.bankWindow[0];
    p.roi =
        board::RoiWindow{window.xOffsetPixels, window.yOffsetLines, window.widthPixels, window.heightLines};
    p.shading.offsetEnabled = s.offsetCorrection;
    p.shading.gainEnabled = s.gainCorrection;
    p.shading.defaultGain = static_cast<uint16_t>(std::min<uint32_t>(s.defaultGain, 0xFFFF));
    p.deadPixelReplacement = s.deadPixelReplacement;
    p.medianFilter = s.noiseFilter;
    // A period of 0 or a phase past it cannot pass any frame on the hardware either; the
    // pipeline refuses such a selector, so it reads as "pass every frame" only when the period is 0.
    p.selector.period = std::max<uint32_t>(s.selectorPeriod, 1);
    p.selector.phase = s.selectorPhase < p.selector.period ? s.selectorPhase : 0;
    p.format = outputFormatOf(s);
    return p;
}

Acquisition::Acquisition(Board& board)
    : board_(board), pipeline_(std::make_unique<board::StreamingPipeline>()) {}

Acquisition::~Acquisition() = default;

void Acquisition::restart() {
    std::lock_guard lock(mutex_);
    pipeline_.restart();
    nowNs_ = 0;
    nextFreeRunNs_ = 0;
    cameraBusyUntilNs_ = 0;
    inFlight_.clear();
    onBoard_.clear();
    newestRecipe_.reset();
    framesLost_ = 0;
    framesExposed_ = 0;
    overflow_ = false;
    publishBufferState();
    board_.events().clear();
    board_.trigger().restart();
}

void Acquisition::refreshCoefficients(board::PipelineSettings& settings, const DesignSettings& design) {
    const bool needOffsets = design.offsetCorrection || design.deadPixelReplacement;
    const bool needGains = design.gainCorrection;
    const uint64_t generation = board_.coefficientGeneration();
    if (generation != coefficientGeneration_) {
        offsets_.reset();
        gains_.reset();
        coefficientGeneration_ = generation;
    }
    if (needOffsets && !offsets_)
        offsets_ = readPlane(board_, BOARD_COEFFICIENT_OFFSET);
    if (needGains && !gains_)
        gains_ = readPlane(board_, BOARD_COEFFICIENT_GAIN);
    settings.shading.offsets = offsets_;
    settings.shading.gains = gains_;
}

// A source lives as long as its settings stay, so that the frames completed under them share it
// (and one recipe).
template <class Source, class Settings>
const std::shared_ptr<const board::FrameSource>& Acquisition::sourceWith(const Settings& settings) {
    const auto* current = dynamic_cast<const Source*>(source_.get());
    if (current == nullptr || current->settings() != settings)
        source_ = std::make_shared<const Source>(settings);
    return source_;
}

const std::shared_ptr<const board::FrameSource>& Acquisition::sourceFor(const DesignSettings& design) {
    const GeneratorSettings& g = design.generator;
    if (g.enabled && g.running)
        return sourceWith<board::GeneratorSource>(
            board::GeneratorSettings::fromWordCounts(g.widthWords, g.heightMinus1, g.tapMask, g.roll));
    if (cameraImages_) {
        const uint32_t depth = design.cameraBitDepth();
        const auto* shown = dynamic_cast<const board::ImageSequenceSource*>(source_.get());
        if (shown == nullptr || shown->images() != cameraImages_ || shown->bitDepth() != depth)
            source_ = std::make_shared<const board::ImageSequenceSource>(cameraImages_, depth);
        return source_;
    }
    const Window& window = design.bankWindow[0];
    board::SceneSettings scene;
    scene.widthPixels = std::max<uint32_t>(kMinimumSceneSide, window.xOffsetPixels + window.widthPixels);
    scene.heightLines = std::max<uint32_t>(kMinimumSceneSide, window.yOffsetLines + window.heightLines);
    scene.bitDepth = design.cameraBitDepth();
    scene.content = sceneContent_;
    scene.flatLevel = flatLevel_;
    return sourceWith<board::SceneSource>(scene);
}

std::shared_ptr<const FrameRecipe>
Acquisition::recipeFor(const board::PipelineSettings& settings,
                       const std::shared_ptr<const board::FrameSource>& source) {
    if (newestRecipe_ && newestRecipe_->source == source && newestRecipe_->settings == settings)
        return newestRecipe_;
    onBoard_.forEachFrame([&](StoredFrame& waiting) {
        if (waiting.recipe)
            renderOnBoard(waiting);
    });
    newestRecipe_ = std::make_shared<const FrameRecipe>(FrameRecipe{settings, source});
    return newestRecipe_;
}

void Acquisition::render(const FrameRecipe& recipe, uint64_t frame, std::span<std::byte> out) {
    pipeline_.configure(recipe.settings);
    pipeline_.render(board::SensorRows(*recipe.source, frame), out);
}

void Acquisition::renderOnBoard(StoredFrame& frame) {
    board::LargeBuffer<std::byte> pixels = onBoard_.spare(frame.bytes);
    render(*frame.recipe, frame.sourceFrame, pixels);
    frame.pixels = std::move(pixels);
    frame.recipe.reset();
}

void Acquisition::setScene(board::SceneContent content, double flatLevel) {
    std::lock_guard lock(mutex_);
    sceneContent_ = content;
    flatLevel_ = flatLevel;
}

void Acquisition::setCameraImages(std::shared_ptr<const board::CameraImages> images) {
    std::lock_guard lock(mutex_);
    cameraImages_ = std::move(images);
}

int32_t Acquisition::configure(DesignSettings& design, board::PipelineSettings& settings) {
    design = board_.settings();
    settings = pipelineSettingsOf(design);
    refreshCoefficients(settings, design);
    uint32_t lut[LutMemory::kEntries];
    if (const int32_t code = board_.readLut(0, lut, LutMemory::kEntries); code != BOARD_OK)
        return code;
    for (size_t i = 0; i < board::kLutEntries; ++i)
        settings.lut[i] = static_cast<uint16_t>(lut[i] & board::kSampleMask);
    pipeline_.configure(settings);
    return BOARD_OK;
}

int32_t Acquisition::nextFrame(std::span<std::byte> out, DeliveredFrame& delivered) {
    std::lock_guard lock(mutex_);
    if (!board_.hasDesign())
        return BOARD_ERR_NO_DESIGN;
    const uint64_t first = pipeline_.framesSeen();
    for (;;) {
        DesignSettings design;
        board::PipelineSettings settings;
        if (const int32_t code = configure(design, settings); code != BOARD_OK)
            return code;
        const uint64_t frame = pipeline_.framesSeen();
        const size_t bytes = pipeline_.outputBytes();
        if (!settings.selector.passes(frame)) {
            pipeline_.process(board::FrameView{}, {});
            continue;
        }
        const board::SensorRows sensor(*sourceFor(design), frame);
        std::span<std::byte> target = out;
        if (out.size() < bytes) {
            scratch_.resize(bytes);
            target = scratch_;
        }
        pipeline_.process(sensor, target.first(bytes));
        if (target.data() != out.data() && !out.empty())
            std::memcpy(out.data(), scratch_.data(), out.size());
        delivered.bytes = bytes;
        delivered.sourceFrame = frame;
        delivered.sourceFrames = frame + 1 - first;
        delivered.framePeriodSeconds = sourceFramePeriodSeconds(design);
        return BOARD_OK;
    }
}

uint64_t Acquisition::framePeriodNs() {
    const double seconds = sourceFramePeriodSeconds(board_.settings());
    return std::max<uint64_t>(1, static_cast<uint64_t>(std::llround(seconds * 1e9)));
}

bool Acquisition::triggerDrivesCamera() {
    // The virtual camera free-runs until the trigger system drives its exposure line; the camera
    // simulator has no such line and always runs at its own timing.
    const GeneratorSettings generator = board_.settings().generator;
    if (generator.enabled && generator.running)
        return false;
    return board_.trigger().drivesCamera();
}

void Acquisition::startExposure(uint64_t startNs, uint64_t periodNs) {
    // A camera reads out one frame at a time: an exposure edge during a readout waits for it.
    const uint64_t endNs = std::max(startNs, cameraBusyUntilNs_) + periodNs;
    cameraBusyUntilNs_ = endNs;
    inFlight_.push_back(Exposure{startNs, endNs});
    ++framesExposed_;
    board_.raiseEvent(kFrameStartEvent, startNs);
}

int32_t Acquisition::complete(const Exposure& exposure) {
    DesignSettings design;
    board::PipelineSettings settings;
    if (const int32_t code = configure(design, settings); code != BOARD_OK)
        return code;
    board_.raiseEvent(kFrameEndEvent, exposure.endNs);
    const uint64_t frame = pipeline_.framesSeen();
    if (!pipeline_.admit())
        return BOARD_OK;
    const uint64_t bytes = pipeline_.outputBytes();
    if (!onBoard_.hasRoomFor(bytes)) {
        // No room in the bank the frame is due in: the frame is lost, which the design flags in
        // its overflow register and its overflow event, once per lost frame.
        ++framesLost_;
        overflow_ = true;
        publishBufferState();
        board_.raiseEvent(kOverflowEvent, exposure.endNs);
        return BOARD_OK;
    }
    StoredFrame stored;
    stored.bytes = bytes;
    stored.recipe = recipeFor(settings, sourceFor(design));
    stored.sourceFrame = frame;
    stored.exposureNs = exposure.startNs;
    stored.completedNs = exposure.endNs;
    stored.framePeriodSeconds = sourceFramePeriodSeconds(design);
    stored.framesLostBefore = framesLost_;
    onBoard_.store(std::move(stored));
    publishBufferState();
    return BOARD_OK;
}

int32_t Acquisition::advanceTo(uint64_t nowNs) {
    std::lock_guard lock(mutex_);
    if (!board_.hasDesign())
        return BOARD_ERR_NO_DESIGN;
    nowNs = std::max(nowNs, nowNs_);
    const uint64_t periodNs = framePeriodNs();
    // The trigger runs whether or not it drives the camera: its outputs, queue and status
    // registers move on board time all the same.
    const std::vector<uint64_t> edges = board_.trigger().advanceTo(nowNs);
    if (triggerDrivesCamera()) {
        for (const uint64_t edgeNs : edges)
            startExposure(edgeNs, periodNs);
        // While triggered the free-running schedule waits for the camera to be free again.
        nextFreeRunNs_ = std::max(nowNs, cameraBusyUntilNs_);
    } else {
        while (nextFreeRunNs_ <= nowNs && inFlight_.size() < kMaxCompletionsPerAdvance) {
            startExposure(nextFreeRunNs_, periodNs);
            nextFreeRunNs_ = cameraBusyUntilNs_;
        }
    }
    int completions = 0;
    while (!inFlight_.empty() && inFlight_.front().endNs <= nowNs &&
           completions < kMaxCompletionsPerAdvance) {
        const Exposure exposure = inFlight_.front();
        inFlight_.pop_front();
        ++completions;
        if (const int32_t code = complete(exposure); code != BOARD_OK)
            return code;
    }
    // A batch cut short leaves work due at or before nowNs; nextActivityNs() then answers "now",
    // so the caller comes back for the rest at once.
    nowNs_ = nowNs;
    return BOARD_OK;
}

std::optional<uint64_t> Acquisition::nextActivityNs() {
    std::lock_guard lock(mutex_);
    std::optional<uint64_t> next;
    const auto consider = [&](uint64_t at) { next = next ? std::min(*next, at) : at; };
    if (!inFlight_.empty())
        consider(inFlight_.front().endNs);
    if (!triggerDrivesCamera())
        consider(nextFreeRunNs_);
    if (const std::optional<uint64_t> trigger = board_.trigger().nextActivityNs())
        consider(*trigger);
    if (next && *next < nowNs_)
        next = nowNs_;
    return next;
}

bool Acquisition::takeFrame(std::span<std::byte> out, DeliveredFrame& delivered) {
    std::lock_guard lock(mutex_);
    StoredFrame* oldest = onBoard_.oldest();
    if (oldest == nullptr)
        return false;
    // The frame stays on the board until its pixels are out: a failure leaves it there.
    if (oldest->recipe && out.size() < oldest->bytes)
        renderOnBoard(*oldest);
    if (oldest->recipe)
        render(*oldest->recipe, oldest->sourceFrame, out.first(oldest->bytes));
    else
        dma_.copy(out.data(), oldest->pixels.data(), std::min<uint64_t>(out.size(), oldest->bytes));
    std::optional<StoredFrame> frame = onBoard_.take();
    delivered.bytes = frame->bytes;
    delivered.sourceFrame = frame->sourceFrame;
    delivered.sourceFrames = 1;
    delivered.framePeriodSeconds = frame->framePeriodSeconds;
    delivered.exposureNs = frame->exposureNs;
    delivered.completedNs = frame->completedNs;
    delivered.framesLostBefore = frame->framesLostBefore;
    onBoard_.recycle(std::move(frame->pixels));
    publishBufferState();
    return true;
}

OnBoardStatus Acquisition::status() {
    std::lock_guard lock(mutex_);
    OnBoardStatus s;
    s.nowNs = nowNs_;
    s.framesStored = onBoard_.frameCount();
    s.framesLost = framesLost_;
    s.framesExposed = framesExposed_;
    for (std::size_t bank = 0; bank < kOnBoardBanks; ++bank)
        s.fillPercent[bank] = onBoard_.fillPercent(bank);
    s.overflow = overflow_;
    return s;
}

void Acquisition::publishBufferState() {
    // The applet reads these registers for FG_OVERFLOW and FG_FILLLEVEL; a design without them
    // simply has nothing to show.
    board_.forceRole(RegisterRole::OverflowOccurred, overflow_ ? 1 : 0);
    board_.forceRole(RegisterRole::FillLevel0, onBoard_.fillPercent(0));
    board_.forceRole(RegisterRole::FillLevel1, onBoard_.fillPercent(1));
}

} // namespace kestrel::boardhw
