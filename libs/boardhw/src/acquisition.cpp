// The board's acquisition engine.
#include "acquisition.h"

#include "board.h"
#include "pipeline/generator_source.h"
#include "pipeline/streaming_pipeline.h"

#include <algorithm>
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

Acquisition::Acquisition(const Board& board)
    : board_(board), pipeline_(std::make_unique<board::StreamingPipeline>()) {}

Acquisition::~Acquisition() = default;

void Acquisition::restart() {
    std::lock_guard lock(mutex_);
    pipeline_.restart();
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

const board::FrameSource& Acquisition::sourceFor(const DesignSettings& design) {
    const GeneratorSettings& g = design.generator;
    if (g.enabled && g.running) {
        sceneSettings_.reset();
        source_ = std::make_unique<board::GeneratorSource>(
            board::GeneratorSettings::fromWordCounts(g.widthWords, g.heightMinus1, g.tapMask, g.roll));
        return *source_;
    }
    const Window& window = design.bankWindow[0];
    board::SceneSettings scene;
    scene.widthPixels = std::max<uint32_t>(kMinimumSceneSide, window.xOffsetPixels + window.widthPixels);
    scene.heightLines = std::max<uint32_t>(kMinimumSceneSide, window.yOffsetLines + window.heightLines);
    scene.bitDepth = design.cameraBitDepth();
    scene.content = sceneContent_;
    scene.flatLevel = flatLevel_;
    if (!source_ || !sceneSettings_ || *sceneSettings_ != scene) {
        source_ = std::make_unique<board::SceneSource>(scene);
        sceneSettings_ = scene;
    }
    return *source_;
}

void Acquisition::setScene(board::SceneContent content, double flatLevel) {
    std::lock_guard lock(mutex_);
    sceneContent_ = content;
    flatLevel_ = flatLevel;
}

int32_t Acquisition::nextFrame(std::span<std::byte> out, DeliveredFrame& delivered) {
    std::lock_guard lock(mutex_);
    if (!board_.hasDesign())
        return BOARD_ERR_NO_DESIGN;
    const uint64_t first = pipeline_.framesSeen();
    for (;;) {
        const DesignSettings design = board_.settings();
        board::PipelineSettings settings = pipelineSettingsOf(design);
        refreshCoefficients(settings, design);
        uint32_t lut[LutMemory::kEntries];
        if (const int32_t code = board_.readLut(0, lut, LutMemory::kEntries); code != BOARD_OK)
            return code;
        for (size_t i = 0; i < board::kLutEntries; ++i)
            settings.lut[i] = static_cast<uint16_t>(lut[i] & board::kSampleMask);
        pipeline_.configure(settings);

        const uint64_t frame = pipeline_.framesSeen();
        const size_t bytes = pipeline_.outputBytes();
        if (!settings.selector.passes(frame)) {
            pipeline_.process(board::FrameView{}, {});
            continue;
        }
        sourceFor(design).render(frame, sensor_);
        std::span<std::byte> target = out;
        if (out.size() < bytes) {
            scratch_.resize(bytes);
            target = scratch_;
        }
        pipeline_.process(sensor_.view(), target.first(bytes));
        if (target.data() != out.data() && !out.empty())
            std::memcpy(out.data(), scratch_.data(), out.size());
        delivered.bytes = bytes;
        delivered.sourceFrame = frame;
        delivered.sourceFrames = frame + 1 - first;
        delivered.framePeriodSeconds = sourceFramePeriodSeconds(design);
        return BOARD_OK;
    }
}

} // namespace kestrel::boardhw
