// Streaming pipeline: line buffers per band, persistent workers.
#include "pipeline/streaming_pipeline.h"

#include "pipeline/cache_line_buffer.h"
#include "pipeline/deadpixel.h"
#include "pipeline/median.h"
#include "pipeline/roi.h"
#include "pipeline/shading.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace kestrel::board {

// The line buffers one thread works in, band after band. Sized for one window width; rebuilt
// when the width changes. Each thread writes its own buffers and this object at every line, so
// none of them shares a cache line with another thread's.
class alignas(kCacheLineBytes) StreamingPipeline::Band {
public:
    explicit Band(uint32_t widthPixels)
        : width_(widthPixels), window_(widthPixels), offsetRun_(widthPixels), gainRun_(widthPixels),
          prepared_(3 * (size_t{widthPixels} + 2)), filtered_(std::min<size_t>(widthPixels, kChunkPixels)),
          medianScratch_(medianScratchElements(std::min<size_t>(widthPixels, kChunkPixels))),
          defectBlocks_(defectBlockWords(widthPixels)) {}

    uint32_t widthPixels() const { return width_; }

    // Lines [firstLine, endLine) of the window into `out`.
    void run(const PipelineSettings& settings, const OutputTable& table, const SensorRows& sensor,
             std::byte* out, uint32_t firstLine, uint32_t endLine) {
        slotLines_.fill(kEmpty);
        const size_t pixelBytes = bytesPerPixel(settings.format);
        const size_t lineBytes = size_t{width_} * pixelBytes;
        const uint32_t lastLine = settings.roi.heightLines - 1;
        const OutputStores stores =
            outputFrameBytes(settings) >= kToMemoryFrameBytes ? OutputStores::ToMemory : OutputStores::Cached;
        for (uint32_t y = firstLine; y < endLine; ++y) {
            std::byte* outLine = out + size_t{y} * lineBytes;
            if (!settings.medianFilter) {
                uint16_t* line = slot(0);
                prepareLine(settings, sensor, y, line);
                const bool prefetch = y + 1 < endLine;
                for (size_t start = 0; start < width_; start += kChunkPixels) {
                    const size_t count = std::min<size_t>(kChunkPixels, width_ - start);
                    if (prefetch)
                        prefetchInputs(settings, sensor, y + 1, start, count);
                    table.writeLine(line + start, count, outLine + start * pixelBytes, stores);
                }
                continue;
            }
            // Lines are fetched top to bottom, so the slot given up for the line below holds the
            // oldest line (or nothing), never the two just fetched.
            const uint16_t* above = preparedLine(settings, sensor, y == 0 ? 0 : y - 1);
            const uint16_t* centre = preparedLine(settings, sensor, y);
            const uint16_t* below = preparedLine(settings, sensor, std::min(y + 1, lastLine));
            // The line after next is fetched from memory while this one is filtered, so that
            // preparing it finds its inputs in the cache.
            const uint32_t ahead = y + 2;
            const bool prefetch = ahead < endLine + 1 && ahead <= lastLine;
            // The median and the table run a chunk at a time through a buffer that stays in the
            // first-level cache. Each chunk asks for its part of the line after next in two
            // halves, one before each kernel: the processor has few buffers for misses in
            // flight, and a burst of two dozen requests fills them and holds up the work behind
            // it (one burst per chunk took 8 % longer a frame).
            for (size_t start = 0; start < width_; start += kChunkPixels) {
                const size_t count = std::min<size_t>(kChunkPixels, width_ - start);
                if (prefetch)
                    prefetchInputs(settings, sensor, ahead, start, count / 2);
                medianLine(above + start, centre + start, below + start, filtered_.data(), count,
                           medianScratch_.data());
                if (prefetch)
                    prefetchInputs(settings, sensor, ahead, start + count / 2, count - count / 2);
                table.writeLine(filtered_.data(), count, outLine + start * pixelBytes, stores);
            }
        }
        if (stores == OutputStores::ToMemory)
            OutputTable::finishWrites();
    }

private:
    static constexpr int64_t kEmpty = -1;
    static constexpr size_t kChunkPixels = 256;
    // From this size on, output frames are written past the caches.
    static constexpr size_t kToMemoryFrameBytes = size_t{8} << 20;

    // Prefetches have no effect the compiler can see, so it counts a function made only of them
    // as free of side effects and drops every call to it. Both helpers are inlined before that
    // analysis runs, which leaves the prefetches in the caller's loop where they stay.
    [[gnu::always_inline]] static void fetch(const uint16_t* from, size_t count) {
        const auto* bytes = reinterpret_cast<const char*>(from);
        for (size_t offset = 0; offset < count * sizeof(uint16_t); offset += kCacheLineBytes)
            __builtin_prefetch(bytes + offset, 0, 2);
    }

    // Asks for the part [start, start + count) of window line y's samples and coefficients.
    [[gnu::always_inline]] static void prefetchInputs(const PipelineSettings& settings,
                                                      const SensorRows& sensor, uint32_t y, size_t start,
                                                      size_t count) {
        const RoiWindow& roi = settings.roi;
        const uint64_t sensorY = uint64_t{y} + roi.yOffset;
        const uint64_t sensorX = uint64_t{roi.xOffset} + start;
        const FrameView* frame = sensor.inMemory();
        if (frame && sensorY < frame->heightLines && sensorX + count <= frame->widthPixels)
            fetch(frame->row(uint32_t(sensorY)) + sensorX, count);
        const uint64_t planeX = sensorX & CoefficientPlane::kAddressMask;
        if (planeX + count > CoefficientPlane::kSide)
            return;
        const auto planeY = uint32_t(sensorY & CoefficientPlane::kAddressMask);
        const ShadingSettings& shading = settings.shading;
        if (shading.offsets && (shading.offsetEnabled || settings.deadPixelReplacement))
            fetch(shading.offsets->line(planeY) + planeX, count);
        if (shading.gainEnabled && shading.gains)
            fetch(shading.gains->line(planeY) + planeX, count);
    }

    // Slot k holds a line at index 1.. with one replicated pixel on each side.
    uint16_t* slot(size_t k) { return prepared_.data() + k * (size_t{width_} + 2) + 1; }

    const uint16_t* preparedLine(const PipelineSettings& settings, const SensorRows& sensor, uint32_t y) {
        for (size_t k = 0; k < slotLines_.size(); ++k)
            if (slotLines_[k] == y)
                return slot(k);
        // Lines are requested in increasing order, so the lowest index is the one done with.
        const size_t k = size_t(std::min_element(slotLines_.begin(), slotLines_.end()) - slotLines_.begin());
        uint16_t* line = slot(k);
        prepareLine(settings, sensor, y, line);
        line[-1] = line[0];
        line[width_] = line[width_ - 1];
        slotLines_[k] = y;
        return line;
    }

    // Window, shading and dead-pixel replacement of window line y.
    void prepareLine(const PipelineSettings& settings, const SensorRows& sensor, uint32_t y, uint16_t* line) {
        const RoiWindow& roi = settings.roi;
        const ShadingSettings& shading = settings.shading;
        const uint64_t sensorY = uint64_t{y} + roi.yOffset;
        if (!sensor.inMemory())
            sensorRow_.resize(sensor.widthPixels());
        const uint16_t* samples = windowLine(sensor, roi, y, window_.data(), sensorRow_.data());

        const uint16_t* defectMarks = nullptr;
        if (shading.offsets && (shading.offsetEnabled || settings.deadPixelReplacement))
            defectMarks = shading.offsets->run(roi.xOffset, sensorY, width_, offsetRun_.data());
        const uint16_t* offsets = shading.offsetEnabled ? defectMarks : nullptr;
        const uint16_t* gains = nullptr;
        uint16_t constantGain = shading.defaultGain;
        if (shading.gainEnabled) {
            constantGain = CoefficientPlane::kUnityGain;
            if (shading.gains)
                gains = shading.gains->run(roi.xOffset, sensorY, width_, gainRun_.data());
        }
        const bool replacing = settings.deadPixelReplacement && defectMarks;
        if (replacing && offsets) {
            // The shading pass reads the marks anyway; what it finds spares replacement a
            // second scan of the line.
            shadeLineFindingDefects(samples, offsets, gains, constantGain, line, width_,
                                    defectBlocks_.data());
            replaceDeadPixelsInBlocks(line, defectMarks, width_, defectBlocks_.data());
            return;
        }
        shadeLine(samples, offsets, gains, constantGain, line, width_);
        if (replacing && lineHasDefects(defectMarks, width_))
            replaceDeadPixelsInLine(line, defectMarks, width_);
    }

    uint32_t width_;
    CacheLineBuffer<uint16_t> window_;
    CacheLineBuffer<uint16_t> sensorRow_;
    CacheLineBuffer<uint16_t> offsetRun_;
    CacheLineBuffer<uint16_t> gainRun_;
    CacheLineBuffer<uint16_t> prepared_;
    CacheLineBuffer<uint16_t> filtered_;
    CacheLineBuffer<uint16_t> medianScratch_;
    CacheLineBuffer<uint64_t> defectBlocks_;
    std::array<int64_t, 3> slotLines_{kEmpty, kEmpty, kEmpty};
};

StreamingPipeline::StreamingPipeline(const StreamingOptions& options)
    : minPixelsPerBand_(std::max<size_t>(1, options.minPixelsPerBand)), pool_(options.threads) {
    configure(settings_);
}

StreamingPipeline::StreamingPipeline(const PipelineSettings& settings, const StreamingOptions& options)
    : StreamingPipeline(options) {
    configure(settings);
}

StreamingPipeline::~StreamingPipeline() = default;

void StreamingPipeline::configure(const PipelineSettings& settings) {
    validate(settings);
    auto table = std::make_unique<OutputTable>(settings.lut, settings.format);
    std::vector<std::unique_ptr<Band>> bands;
    const uint32_t width = settings.roi.widthPixels;
    if (!bands_.empty() && bands_.front()->widthPixels() == width) {
        bands = std::move(bands_);
    } else {
        for (unsigned i = 0; i < pool_.threadCount(); ++i)
            bands.push_back(std::make_unique<Band>(width));
    }
    settings_ = settings;
    table_ = std::move(table);
    bands_ = std::move(bands);
}

unsigned StreamingPipeline::bandCount() const {
    // Several bands per thread, taken as threads come free: a thread that another program slows
    // down leaves the rest of its share to the others instead of holding up the frame. Each band
    // prepares two lines beyond its own for the median and starts with its inputs in memory, so
    // bands stay long enough for that to cost little: bands of 64 lines made a 256 x 256 frame
    // a tenth dearer than bands of 128.
    constexpr size_t kBandsPerThread = 8;
    constexpr size_t kMinBandLines = 128;
    const size_t byPixels = settings_.roi.pixelCount() / minPixelsPerBand_;
    const size_t byLines = settings_.roi.heightLines / kMinBandLines;
    const size_t threads = pool_.threadCount();
    const size_t count = std::min<size_t>(
        {threads * kBandsPerThread, byPixels, std::max(byLines, threads), settings_.roi.heightLines});
    return unsigned(std::max<size_t>(count, 1));
}

void StreamingPipeline::process(const SensorRows& sensor, std::span<std::byte> out) {
    if (out.size() < outputFrameBytes(settings_))
        throw std::invalid_argument("output buffer smaller than the formatted frame");
    if (settings_.roi.pixelCount() == 0)
        return;
    const unsigned bands = bandCount();
    const uint32_t height = settings_.roi.heightLines;
    pool_.run(bands, [&](unsigned band, unsigned thread) {
        const uint32_t first = uint32_t(uint64_t{height} * band / bands);
        const uint32_t end = uint32_t(uint64_t{height} * (band + 1) / bands);
        bands_[thread]->run(settings_, *table_, sensor, out.data(), first, end);
    });
}

} // namespace kestrel::board
