// The whole pipeline: formula oracles through both implementations, the streaming one against the
// reference bit for bit on random frames and settings, frame selection, the worker pool.
#include "pipeline/cache_line_buffer.h"
#include "pipeline/generator_source.h"
#include "pipeline/image_pipeline.h"
#include "pipeline/large_buffer.h"
#include "pipeline/parallel_copy.h"
#include "pipeline/reference_pipeline.h"
#include "pipeline/scene_source.h"
#include "pipeline/streaming_pipeline.h"
#include "pipeline/worker_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kestrel::board {
namespace {
// Coefficient images are 32 MiB each: the random ones are made once and shared by all cases,
// which reach different parts of them through random windows.
struct SharedCoefficients {
    std::shared_ptr<const CoefficientPlane> offsets;
    std::shared_ptr<const CoefficientPlane> gains;
    std::shared_ptr<const CoefficientPlane> sparseOffsets;
};

const SharedCoefficients& coefficients() {
    static const SharedCoefficients shared = [] {
        std::mt19937_64 random(2024);
        auto offsets = std::make_shared<CoefficientPlane>(0);
        auto gains = std::make_shared<CoefficientPlane>(4096);
        auto sparse = std::make_shared<CoefficientPlane>(0);
        std::span<uint16_t> o = offsets->elements();
        std::span<uint16_t> g = gains->elements();
        std::span<uint16_t> s = sparse->elements();
        unsigned runLeft = 0;
        for (size_t i = 0; i < o.size(); ++i) {
            const uint64_t bits = random();
            // Dense defects, runs of five, every offset value, and gains from 0 to 65535 with
            // many near unity.
            const unsigned kind = bits % 16;
            if (kind == 3)
                runLeft = 5;
            o[i] = kind < 3 || runLeft > 0 ? CoefficientPlane::kDefective : uint16_t(bits >> 16);
            runLeft -= runLeft > 0;
            g[i] = (bits >> 8) % 4 == 0 ? uint16_t(bits >> 32) : uint16_t(3800 + (bits >> 40) % 600);
            s[i] = (bits >> 48) % 500 == 0 ? CoefficientPlane::kDefective : uint16_t((bits >> 20) % 400);
        }
        // Whole defective lines, at the top and in the middle of the image.
        std::fill_n(offsets->line(0), CoefficientPlane::kSide, CoefficientPlane::kDefective);
        std::fill_n(offsets->line(2000), CoefficientPlane::kSide, CoefficientPlane::kDefective);
        return SharedCoefficients{offsets, gains, sparse};
    }();
    return shared;
}

uint32_t pick(std::mt19937_64& random, uint32_t lo, uint32_t hi) {
    return lo + uint32_t(random() % (uint64_t{hi} - lo + 1));
}

PipelineSettings randomSettings(std::mt19937_64& random, uint32_t sensorWidth, uint32_t sensorHeight) {
    PipelineSettings settings;
    const auto& shared = coefficients();
    // Windows mostly inside the sensor, sometimes reaching past it, sometimes across the
    // coefficient images' 4096 wrap, sometimes a single line or column.
    switch (random() % 6) {
    case 0:
        settings.roi.xOffset = pick(random, 4080, 4100);
        settings.roi.yOffset = pick(random, 4080, 4100);
        break;
    case 1:
        settings.roi.xOffset = pick(random, 0, sensorWidth + 3);
        settings.roi.yOffset = pick(random, 0, sensorHeight + 3);
        break;
    default:
        settings.roi.xOffset = pick(random, 0, sensorWidth - 1);
        settings.roi.yOffset = pick(random, 0, sensorHeight - 1);
        break;
    }
    settings.roi.widthPixels = random() % 5 == 0 ? pick(random, 1, 2) : pick(random, 1, sensorWidth + 6);
    settings.roi.heightLines = random() % 5 == 0 ? pick(random, 1, 2) : pick(random, 1, sensorHeight + 6);
    if (random() % 4 == 0)
        settings.roi.xOffset = settings.roi.yOffset = 0;

    settings.shading.offsetEnabled = random() % 2;
    settings.shading.gainEnabled = random() % 2;
    settings.shading.defaultGain = random() % 3 == 0 ? uint16_t(random()) : CoefficientPlane::kUnityGain;
    switch (random() % 4) {
    case 0:
        break; // no coefficient images loaded
    case 1:
        settings.shading.offsets = shared.sparseOffsets;
        settings.shading.gains = shared.gains;
        break;
    default:
        settings.shading.offsets = shared.offsets;
        settings.shading.gains = random() % 3 ? shared.gains : nullptr;
        break;
    }
    settings.deadPixelReplacement = random() % 2;
    settings.medianFilter = random() % 2;
    if (random() % 3) {
        for (uint16_t& entry : settings.lut)
            entry = uint16_t(random() % 4096);
    }
    const OutputFormat formats[] = {OutputFormat::Gray8, OutputFormat::Gray16,
                                    OutputFormat::Gray16LeftAligned};
    settings.format = formats[random() % 3];
    return settings;
}

Frame12 randomSensor(std::mt19937_64& random, uint32_t width, uint32_t height) {
    Frame12 sensor(width, height);
    const bool smooth = random() % 2;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            // Smooth frames keep shading results inside the range; raw frames also carry bits
            // above the 12 the port transmits.
            sensor.at(x, y) = smooth ? uint16_t((x * 13 + y * 7 + random() % 32) % 4096) : uint16_t(random());
        }
    }
    return sensor;
}

void expectSameOutput(const PipelineSettings& settings, const Frame12& sensor, StreamingPipeline& streaming,
                      const std::string& label) {
    ReferencePipeline reference(settings);
    streaming.configure(settings);
    const size_t bytes = outputFrameBytes(settings);
    // One guard byte past the frame checks that nothing writes beyond it.
    std::vector<std::byte> expected(bytes + 1, std::byte{0x5A});
    std::vector<std::byte> actual(bytes + 1, std::byte{0x5A});
    reference.process(sensor.view(), expected);
    streaming.process(sensor.view(), actual);
    ASSERT_EQ(expected, actual) << label;
}

TEST(StreamingPipeline, MatchesReferenceOnRandomSmallFrames) {
    std::mt19937_64 random(1);
    for (int trial = 0; trial < 600; ++trial) {
        const uint32_t width = trial % 7 == 0 ? pick(random, 1, 2) : pick(random, 1, 80);
        const uint32_t height = trial % 5 == 0 ? pick(random, 1, 2) : pick(random, 1, 40);
        const Frame12 sensor = randomSensor(random, width, height);
        const PipelineSettings settings = randomSettings(random, width, height);
        // Tiny bands so that even small frames are split over the threads.
        StreamingPipeline streaming(
            {.threads = unsigned(1 + trial % 3), .minPixelsPerBand = pick(random, 1, 64)});
        expectSameOutput(settings, sensor, streaming, "trial " + std::to_string(trial));
        if (HasFatalFailure())
            return;
    }
}

// The kernels walk lines in chunks of a few hundred pixels and blocks of a few dozen; lines of
// several chunks with ragged ends reach every seam between them.
TEST(StreamingPipeline, MatchesReferenceOnLinesOfSeveralChunks) {
    std::mt19937_64 random(11);
    for (int trial = 0; trial < 80; ++trial) {
        const uint32_t width = pick(random, 250, 1400);
        const uint32_t height = pick(random, 1, 9);
        const Frame12 sensor = randomSensor(random, width, height);
        const PipelineSettings settings = randomSettings(random, width, height);
        StreamingPipeline streaming({.threads = unsigned(1 + trial % 2), .minPixelsPerBand = 1});
        expectSameOutput(settings, sensor, streaming, "trial " + std::to_string(trial));
        if (HasFatalFailure())
            return;
    }
}

TEST(StreamingPipeline, RendersSourceLinesWhereTheReferenceReadsTheWholeFrame) {
    std::mt19937_64 random(7);
    const SceneSource scene({.widthPixels = 70, .heightLines = 33});
    const GeneratorSource generator(
        {.widthPixels = 64, .heightLines = 30, .tapMask = 0x0B, .rollPerFrame = 5});
    StreamingPipeline streaming({.threads = 2, .minPixelsPerBand = 16});
    for (uint64_t frame = 0; frame < 40; ++frame) {
        const FrameSource& source = frame % 2 ? static_cast<const FrameSource&>(scene) : generator;
        const PipelineSettings settings = randomSettings(random, source.widthPixels(), source.heightLines());
        streaming.configure(settings);
        std::vector<std::byte> expected(outputFrameBytes(settings));
        std::vector<std::byte> actual(expected.size());
        Frame12 rendered;
        source.render(frame, rendered);
        ReferencePipeline(settings).process(rendered.view(), expected);
        streaming.process(SensorRows(source, frame), actual);
        ASSERT_EQ(expected, actual) << "frame " << frame;
    }
}

TEST(StreamingPipeline, EmptyWindowWritesNothing) {
    PipelineSettings settings;
    settings.roi = {.xOffset = 0, .yOffset = 0, .widthPixels = 0, .heightLines = 3};
    StreamingPipeline streaming(settings);
    std::vector<std::byte> none;
    const Frame12 sensor(4, 4, 1);
    EXPECT_NO_THROW(streaming.process(sensor.view(), none));
}

TEST(StreamingPipeline, RefusesTooSmallOutputAndInvalidSettings) {
    PipelineSettings settings;
    settings.roi = {.xOffset = 0, .yOffset = 0, .widthPixels = 4, .heightLines = 4};
    StreamingPipeline streaming(settings);
    const Frame12 sensor(4, 4, 1);
    std::vector<std::byte> small(15);
    EXPECT_THROW(streaming.process(sensor.view(), small), std::invalid_argument);

    PipelineSettings invalid = settings;
    invalid.selector = {.period = 2, .phase = 2};
    EXPECT_THROW(streaming.configure(invalid), std::invalid_argument);
    EXPECT_EQ(streaming.settings().selector, ImageSelector{}); // the old settings stay
}

// Both implementations through the image pipeline, 16-bit output read back as samples.
std::vector<std::vector<uint16_t>> run16(const PipelineSettings& settings, const Frame12& sensor) {
    std::vector<std::vector<uint16_t>> results;
    for (bool streaming : {false, true}) {
        ImagePipeline pipeline(streaming ? std::unique_ptr<PixelPipeline>(std::make_unique<StreamingPipeline>(
                                               StreamingOptions{.threads = 2, .minPixelsPerBand = 8}))
                                         : std::make_unique<ReferencePipeline>());
        pipeline.configure(settings);
        std::vector<std::byte> bytes(pipeline.outputBytes());
        EXPECT_TRUE(pipeline.process(sensor.view(), bytes));
        std::vector<uint16_t>& pixels = results.emplace_back(bytes.size() / 2);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint16_t(uint16_t(bytes[2 * i]) | uint16_t(bytes[2 * i + 1]) << 8);
    }
    return results;
}

TEST(WholePipeline, DeadPixelsTakeShadedNeighboursThenTheMedianSmooths) {
    // Flat sensor 200 with offset 160 (10 levels): shaded 190 everywhere but where gains differ.
    const Frame12 sensor(8, 3, 200);
    auto offsets = std::make_shared<CoefficientPlane>(160);
    auto gains = std::make_shared<CoefficientPlane>(4096);
    offsets->set(3, 1, CoefficientPlane::kDefective);
    offsets->set(4, 1, CoefficientPlane::kDefective);
    gains->set(2, 1, 8192); // left neighbour of the run: 2 x (3200 - 160) / 16 = 380
    offsets->set(0, 0, CoefficientPlane::kDefective); // at the line start: takes x 1

    PipelineSettings settings;
    settings.roi = {.xOffset = 0, .yOffset = 0, .widthPixels = 8, .heightLines = 3};
    settings.shading = {
        .offsetEnabled = true, .gainEnabled = true, .defaultGain = 4096, .offsets = offsets, .gains = gains};
    settings.deadPixelReplacement = true;
    settings.format = OutputFormat::Gray16;

    // (3, 1) and (4, 1) take (380 + 190 + 1) >> 1.
    for (const std::vector<uint16_t>& pixels : run16(settings, sensor))
        EXPECT_EQ((std::vector<uint16_t>{pixels[0], pixels[10], pixels[11], pixels[12], pixels[13]}),
                  (std::vector<uint16_t>{190, 380, 285, 285, 190}));
    // The median sees the repaired line: at (3, 1) its neighbourhood holds 380, 285, 285 and six 190s.
    settings.medianFilter = true;
    for (const std::vector<uint16_t>& pixels : run16(settings, sensor))
        EXPECT_EQ(std::pair(pixels[11], pixels[10]), std::pair(uint16_t{190}, uint16_t{190}));
}

TEST(ImagePipeline, SelectorPassesOneFrameInEachPeriodAndAPixelPipelineIsNeeded) {
    ImagePipeline pipeline(std::make_unique<StreamingPipeline>());
    PipelineSettings settings;
    settings.roi = {.xOffset = 0, .yOffset = 0, .widthPixels = 2, .heightLines = 2};
    settings.selector = {.period = 3, .phase = 1};
    pipeline.configure(settings);
    const Frame12 sensor(2, 2, 0x123);
    std::vector<bool> passed;
    for (int k = 0; k < 7; ++k) {
        std::vector<std::byte> out(4, std::byte{0});
        passed.push_back(pipeline.process(sensor.view(), out));
        // A dropped frame leaves the buffer alone; a passed one holds 0x123 >> 4.
        EXPECT_EQ(out[0], passed.back() ? std::byte{0x12} : std::byte{0});
    }
    EXPECT_EQ(passed, (std::vector<bool>{false, true, false, false, true, false, false}));
    EXPECT_EQ(pipeline.framesSeen(), 7u);
    EXPECT_THROW(ImagePipeline(nullptr), std::invalid_argument);
}

TEST(WorkerPool, RunsEveryTaskExactlyOnceCountingTheCallerAmongItsThreads) {
    WorkerPool pool(3);
    std::vector<std::atomic<int>> calls(64);
    // Tasks are told their thread so they can use storage kept per thread: a thread index is in
    // range and never busy with two tasks at once.
    std::array<std::atomic<int>, 3> busy{};
    std::atomic<bool> threadShared = false;
    std::atomic<bool> threadOutOfRange = false;
    pool.run(64, [&](unsigned i, unsigned thread) {
        if (thread >= busy.size()) {
            threadOutOfRange = true;
            return;
        }
        if (++busy[thread] != 1)
            threadShared = true;
        ++calls[i];
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        --busy[thread];
    });
    for (const auto& count : calls)
        EXPECT_EQ(count.load(), 1);
    EXPECT_FALSE(threadShared);
    EXPECT_FALSE(threadOutOfRange);
    pool.run(0, [](unsigned, unsigned) { FAIL(); });
    EXPECT_EQ(WorkerPool(1).threadCount(), 1u);
    EXPECT_EQ(WorkerPool(3).threadCount(), 3u);
    EXPECT_GE(WorkerPool(0).threadCount(), 1u);
}

TEST(WorkerPool, RethrowsATaskErrorAfterTheOtherTasksFinish) {
    WorkerPool pool(2);
    std::atomic<int> finished = 0;
    EXPECT_THROW(pool.run(8,
                          [&](unsigned i, unsigned) {
                              if (i == 3)
                                  throw std::runtime_error("task failed");
                              ++finished;
                          }),
                 std::runtime_error);
    EXPECT_EQ(finished.load(), 7);
    // The pool still works afterwards.
    finished = 0;
    pool.run(4, [&](unsigned, unsigned) { ++finished; });
    EXPECT_EQ(finished.load(), 4);
}

TEST(ParallelCopy, CopiesEveryByteOnceWhateverTheSplit) {
    // Sizes on either side of the smallest split, uneven ones whose pieces end between cache
    // lines, and a frame that splits into as many pieces as the pool allows.
    ParallelCopy copier(3);
    std::mt19937 random(11);
    for (const size_t bytes : {size_t{0}, size_t{1}, size_t{(1u << 20) - 1}, size_t{2u << 20},
                               size_t{(2u << 20) + 4097}, size_t{(7u << 20) + 63}, size_t{32u << 20}}) {
        std::vector<std::byte> from(bytes);
        for (std::byte& b : from)
            b = std::byte(random());
        // A guard byte on either side shows a piece written past its end.
        std::vector<std::byte> to(bytes + 2, std::byte{0xA5});
        copier.copy(to.data() + 1, from.data(), bytes);
        EXPECT_EQ(to.front(), std::byte{0xA5}) << bytes;
        EXPECT_EQ(to.back(), std::byte{0xA5}) << bytes;
        EXPECT_TRUE(std::equal(from.begin(), from.end(), to.begin() + 1)) << bytes;
    }
}

TEST(LargeBuffer, HoldsWhatIsAskedAndRefusesWhatCannotBeCounted) {
    // Below, at and above the size from which blocks go on large pages.
    for (const size_t bytes :
         {size_t{0}, size_t{1}, size_t{(8u << 20) - 1}, size_t{8u << 20}, size_t{(9u << 20) + 3}}) {
        LargeBuffer<std::byte> block(bytes, std::byte{0x3C});
        EXPECT_EQ(std::count(block.begin(), block.end(), std::byte{0x3C}), std::ptrdiff_t(bytes)) << bytes;
    }
    // Rounding up to whole pages must not wrap round to a small block.
    EXPECT_THROW(reserveLargeBuffer(SIZE_MAX - 10), std::bad_alloc);
    EXPECT_THROW(LargeBufferAllocator<uint16_t>().allocate(SIZE_MAX / 2 + 1), std::bad_alloc);
}

TEST(CacheLineBuffer, NoOtherBlockSharesItsLines) {
    // Sizes around whole lines, with small ordinary blocks asked for in between, all kept alive
    // so that the heap packs them as closely as it can.
    std::vector<CacheLineBuffer<uint16_t>> buffers;
    std::vector<std::vector<char>> others;
    for (const size_t elements : {1, 3, 31, 32, 33, 63, 64, 65, 258, 774})
        for (size_t copy = 0; copy < 4; ++copy) {
            buffers.emplace_back(elements, uint16_t(elements));
            for (size_t bytes = 1; bytes <= 64; bytes += 7)
                others.emplace_back(bytes);
        }
    using Lines = std::pair<uintptr_t, uintptr_t>; // first and last line a block touches
    const auto linesOf = [](const void* data, size_t bytes) {
        const auto first = reinterpret_cast<uintptr_t>(data);
        return Lines{first / kCacheLineBytes, (first + bytes - 1) / kCacheLineBytes};
    };
    std::vector<Lines> ordinary;
    for (const auto& other : others)
        ordinary.push_back(linesOf(other.data(), other.size()));
    for (const auto& buffer : buffers) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.data()) % kCacheLineBytes, 0u) << buffer.size();
        EXPECT_EQ(std::count(buffer.begin(), buffer.end(), uint16_t(buffer.size())),
                  std::ptrdiff_t(buffer.size()));
        const Lines own = linesOf(buffer.data(), buffer.size() * sizeof(uint16_t));
        for (const Lines& other : ordinary)
            EXPECT_TRUE(other.second < own.first || own.second < other.first) << buffer.size();
    }
    EXPECT_THROW(CacheLineAllocator<uint16_t>().allocate(SIZE_MAX / 2), std::bad_array_new_length);
}

} // namespace
} // namespace kestrel::board
