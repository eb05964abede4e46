// Pipeline throughput in pixels per second: whole pipeline, each stage, and memcpy for scale.
#include "pipeline/deadpixel.h"
#include "pipeline/generator_source.h"
#include "pipeline/large_buffer.h"
#include "pipeline/median.h"
#include "pipeline/output.h"
#include "pipeline/reference_pipeline.h"
#include "pipeline/scene_source.h"
#include "pipeline/shading.h"
#include "pipeline/streaming_pipeline.h"

#include <benchmark/benchmark.h>

#include "bench_targets.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace kestrel::board {
namespace {

constexpr uint32_t kSide = 4096;
constexpr size_t kPixels = size_t{kSide} * kSide;

void countPixels(benchmark::State& state, size_t pixelsPerIteration) {
    state.counters["pixels"] = benchmark::Counter(double(pixelsPerIteration) * double(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

// Inputs shared by all benchmarks, built once: a scene frame, realistic coefficients (offsets
// of a few grey levels, gains near unity, one pixel in a thousand defective) and a gamma table.
struct Inputs {
    Frame12 sensor;
    std::shared_ptr<CoefficientPlane> offsets;
    std::shared_ptr<CoefficientPlane> gains;
    Lut gamma;

    Inputs()
        : offsets(std::make_shared<CoefficientPlane>(0)), gains(std::make_shared<CoefficientPlane>(4096)) {
        SceneSettings scene;
        scene.widthPixels = kSide;
        scene.heightLines = kSide;
        SceneSource(scene).render(0, sensor);
        std::mt19937_64 random(5);
        std::span<uint16_t> o = offsets->elements();
        std::span<uint16_t> g = gains->elements();
        for (size_t i = 0; i < kPixels; ++i) {
            const uint64_t bits = random();
            o[i] = bits % 1000 == 0 ? CoefficientPlane::kDefective : uint16_t(192 + (bits >> 16) % 256);
            g[i] = uint16_t(3900 + (bits >> 32) % 400);
        }
        for (size_t i = 0; i < kLutEntries; ++i)
            gamma[i] = uint16_t(std::lround(std::pow(double(i) / 4095.0, 1 / 2.2) * 4095.0));
    }

    PipelineSettings everythingOn(OutputFormat format) const {
        PipelineSettings settings;
        settings.roi = {.xOffset = 0, .yOffset = 0, .widthPixels = kSide, .heightLines = kSide};
        settings.shading = {.offsetEnabled = true,
                            .gainEnabled = true,
                            .defaultGain = 4096,
                            .offsets = offsets,
                            .gains = gains};
        settings.deadPixelReplacement = true;
        settings.medianFilter = true;
        settings.lut = gamma;
        settings.format = format;
        return settings;
    }
};

const Inputs& inputs() {
    static const Inputs shared;
    return shared;
}

void BM_Memcpy(benchmark::State& state) {
    const Frame12& sensor = inputs().sensor;
    // Storage of the same kind as the pipeline's frames, so the floor runs on the same pages.
    LargeBuffer<uint16_t> copy(kPixels);
    for (auto _ : state) {
        std::memcpy(copy.data(), sensor.pixels().data(), kPixels * sizeof(uint16_t));
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    countPixels(state, kPixels);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

// Arguments: threads, output bytes per pixel.
void BM_FullPipeline(benchmark::State& state) {
    const auto threads = unsigned(state.range(0));
    const OutputFormat format = state.range(1) == 1 ? OutputFormat::Gray8 : OutputFormat::Gray16LeftAligned;
    StreamingPipeline pipeline(inputs().everythingOn(format), {.threads = threads});
    LargeBuffer<std::byte> out(outputFrameBytes(pipeline.settings()));
    for (auto _ : state) {
        pipeline.process(inputs().sensor.view(), out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    countPixels(state, kPixels);
}
BENCHMARK(BM_FullPipeline)
    ->ArgNames({"threads", "bytes"})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Args({2, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Argument: the window's side. The same pipeline at every size, the window at the sensor's corner:
// the cost per pixel should not depend on the size of the work.
void BM_FullPipelineSide(benchmark::State& state) {
    const auto side = uint32_t(state.range(0));
    PipelineSettings settings = inputs().everythingOn(OutputFormat::Gray8);
    settings.roi = {.xOffset = 0, .yOffset = 0, .widthPixels = side, .heightLines = side};
    StreamingPipeline pipeline(settings, {.threads = 2});
    LargeBuffer<std::byte> out(outputFrameBytes(settings));
    for (auto _ : state) {
        pipeline.process(inputs().sensor.view(), out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    countPixels(state, settings.roi.pixelCount());
}
BENCHMARK(BM_FullPipelineSide)
    ->ArgName("side")
    ->RangeMultiplier(2)
    ->Range(256, 4096)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

void BM_FullPipelineNoMedian(benchmark::State& state) {
    PipelineSettings settings = inputs().everythingOn(OutputFormat::Gray8);
    settings.medianFilter = false;
    StreamingPipeline pipeline(settings, {.threads = 2});
    LargeBuffer<std::byte> out(outputFrameBytes(settings));
    for (auto _ : state) {
        pipeline.process(inputs().sensor.view(), out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    countPixels(state, kPixels);
}
BENCHMARK(BM_FullPipelineNoMedian)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reference on a 1024 x 1024 window: a measure of how much the streaming version saves.
void BM_ReferencePipeline1024(benchmark::State& state) {
    PipelineSettings settings = inputs().everythingOn(OutputFormat::Gray8);
    settings.roi = {.xOffset = 1024, .yOffset = 1024, .widthPixels = 1024, .heightLines = 1024};
    ReferencePipeline pipeline(settings);
    LargeBuffer<std::byte> out(outputFrameBytes(settings));
    for (auto _ : state) {
        pipeline.process(inputs().sensor.view(), out);
        benchmark::DoNotOptimize(out.data());
    }
    countPixels(state, settings.roi.pixelCount());
}
BENCHMARK(BM_ReferencePipeline1024)->Unit(benchmark::kMillisecond)->UseRealTime();

// Single-thread cost of each stage over a whole frame, line by line as the pipeline runs it.

void BM_StageShading(benchmark::State& state) {
    const Inputs& in = inputs();
    std::vector<uint16_t> line(kSide);
    for (auto _ : state) {
        for (uint32_t y = 0; y < kSide; ++y) {
            shadeLine(in.sensor.row(y), in.offsets->line(y), in.gains->line(y), 4096, line.data(), kSide);
            benchmark::DoNotOptimize(line.data());
        }
    }
    countPixels(state, kPixels);
}
BENCHMARK(BM_StageShading)->Unit(benchmark::kMillisecond)->UseRealTime();

// Shading as the pipeline runs it with replacement on: the defect blocks are flagged on the way.
void BM_StageShadingFindingDefects(benchmark::State& state) {
    const Inputs& in = inputs();
    std::vector<uint16_t> line(kSide);
    std::vector<uint64_t> blocks(defectBlockWords(kSide));
    for (auto _ : state) {
        for (uint32_t y = 0; y < kSide; ++y) {
            shadeLineFindingDefects(in.sensor.row(y), in.offsets->line(y), in.gains->line(y), 4096,
                                    line.data(), kSide, blocks.data());
            benchmark::DoNotOptimize(line.data());
            benchmark::DoNotOptimize(blocks.data());
        }
    }
    countPixels(state, kPixels);
}
BENCHMARK(BM_StageShadingFindingDefects)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StageDeadPixel(benchmark::State& state) {
    const Inputs& in = inputs();
    std::vector<uint16_t> line(kSide);
    for (auto _ : state) {
        for (uint32_t y = 0; y < kSide; ++y) {
            std::memcpy(line.data(), in.sensor.row(y), kSide * sizeof(uint16_t));
            if (lineHasDefects(in.offsets->line(y), kSide))
                replaceDeadPixelsInLine(line.data(), in.offsets->line(y), kSide);
            benchmark::DoNotOptimize(line.data());
        }
    }
    countPixels(state, kPixels);
}
BENCHMARK(BM_StageDeadPixel)->Unit(benchmark::kMillisecond)->UseRealTime();

// Replacement in the blocks the shading pass flagged, the flags worked out beforehand.
void BM_StageDeadPixelInFlaggedBlocks(benchmark::State& state) {
    const Inputs& in = inputs();
    const size_t words = defectBlockWords(kSide);
    std::vector<uint64_t> blocks(words * kSide);
    std::vector<uint16_t> line(kSide);
    for (uint32_t y = 0; y < kSide; ++y)
        shadeLineFindingDefects(in.sensor.row(y), in.offsets->line(y), nullptr, 4096, line.data(), kSide,
                                blocks.data() + y * words);
    for (auto _ : state) {
        for (uint32_t y = 0; y < kSide; ++y) {
            std::memcpy(line.data(), in.sensor.row(y), kSide * sizeof(uint16_t));
            replaceDeadPixelsInBlocks(line.data(), in.offsets->line(y), kSide, blocks.data() + y * words);
            benchmark::DoNotOptimize(line.data());
        }
    }
    countPixels(state, kPixels);
}
BENCHMARK(BM_StageDeadPixelInFlaggedBlocks)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StageMedian(benchmark::State& state) {
    const Inputs& in = inputs();
    // Padded copies of three lines, rotated so the data changes like in the pipeline.
    std::vector<std::vector<uint16_t>> padded(kSide, std::vector<uint16_t>(kSide + 2));
    for (uint32_t y = 0; y < kSide; ++y) {
        std::memcpy(padded[y].data() + 1, in.sensor.row(y), kSide * sizeof(uint16_t));
        padded[y][0] = padded[y][1];
        padded[y][kSide + 1] = padded[y][kSide];
    }
    std::vector<uint16_t> out(kSide);
    std::vector<uint16_t> scratch(medianScratchElements(kSide));
    for (auto _ : state) {
        for (uint32_t y = 0; y < kSide; ++y) {
            const uint32_t above = y == 0 ? 0 : y - 1;
            const uint32_t below = y + 1 == kSide ? y : y + 1;
            medianLine(padded[above].data() + 1, padded[y].data() + 1, padded[below].data() + 1, out.data(),
                       kSide, scratch.data());
            benchmark::DoNotOptimize(out.data());
        }
    }
    countPixels(state, kPixels);
}
BENCHMARK(BM_StageMedian)->Unit(benchmark::kMillisecond)->UseRealTime();

// Argument: output bytes per pixel.
void BM_StageLutAndOutput(benchmark::State& state) {
    const Inputs& in = inputs();
    const OutputFormat format = state.range(0) == 1 ? OutputFormat::Gray8 : OutputFormat::Gray16LeftAligned;
    const OutputTable table(in.gamma, format);
    LargeBuffer<std::byte> out(kPixels * bytesPerPixel(format));
    const size_t lineBytes = kSide * bytesPerPixel(format);
    for (auto _ : state) {
        for (uint32_t y = 0; y < kSide; ++y)
            table.writeLine(in.sensor.row(y), kSide, out.data() + y * lineBytes);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    countPixels(state, kPixels);
}
BENCHMARK(BM_StageLutAndOutput)
    ->ArgName("bytes")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_SourceGenerator(benchmark::State& state) {
    const GeneratorSource source(
        {.widthPixels = kSide, .heightLines = kSide, .tapMask = 15, .rollPerFrame = 1});
    Frame12 frame;
    source.render(0, frame); // the first render also pays for the frame's pages
    uint64_t n = 1;
    for (auto _ : state) {
        source.render(n++, frame);
        benchmark::DoNotOptimize(frame.pixels().data());
    }
    countPixels(state, kPixels);
}
BENCHMARK(BM_SourceGenerator)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SourceScene(benchmark::State& state) {
    SceneSettings scene;
    scene.widthPixels = kSide;
    scene.heightLines = kSide;
    const SceneSource source(scene);
    Frame12 frame;
    source.render(0, frame); // the first render also pays for the frame's pages
    uint64_t n = 1;
    for (auto _ : state) {
        source.render(n++, frame);
        benchmark::DoNotOptimize(frame.pixels().data());
    }
    countPixels(state, kPixels);
}
BENCHMARK(BM_SourceScene)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a settings change costs the scene: light, optics and fixed pattern of every pixel.
void BM_SceneSettingsChange(benchmark::State& state) {
    SceneSettings scene;
    scene.widthPixels = kSide;
    scene.heightLines = kSide;
    for (auto _ : state) {
        ++scene.seed;
        const SceneSource source(scene);
        benchmark::DoNotOptimize(&source);
    }
    countPixels(state, kPixels);
}
BENCHMARK(BM_SceneSettingsChange)->Unit(benchmark::kMillisecond)->UseRealTime();

void summarise(const bench::Results& results, bench::TargetLines& lines) {
    // The pipeline reads the frame and two coefficient planes and writes once: about 1.75x a
    // copy of the frame is the memory floor.
    const double copy = results.realSeconds("BM_Memcpy");
    const double full = results.realSeconds("BM_FullPipeline/threads:2/bytes:1");
    lines.atMost("full pipeline 4096x4096, 2 threads, 8-bit out", full < 0 || copy <= 0 ? -1.0 : full / copy,
                 2.5, "x memcpy");
    // Cost per pixel from 256 x 256 to 4096 x 4096: the dearest within a fifth of the cheapest.
    double cheapest = -1;
    double dearest = -1;
    for (uint32_t side = 256; side <= kSide; side *= 2) {
        const double rate = results.counter("BM_FullPipelineSide/side:" + std::to_string(side), "pixels");
        if (rate <= 0) {
            cheapest = dearest = -1;
            break;
        }
        const double cost = 1 / rate;
        cheapest = cheapest < 0 ? cost : std::min(cheapest, cost);
        dearest = std::max(dearest, cost);
    }
    lines.atMost("pipeline cost per pixel, 256x256 to 4096x4096, dearest over cheapest",
                 cheapest <= 0 ? -1.0 : dearest / cheapest, 1.2, "x");
    const double scene = results.counter("BM_SourceScene", "pixels");
    lines.atLeast("built-in scene 4096x4096", scene < 0 ? -1.0 : scene / 1e9, 1.0, " Gpx/s");
}

} // namespace
} // namespace kestrel::board

int main(int argc, char** argv) {
    return kestrel::bench::runWithTargets(argc, argv, kestrel::board::summarise);
}
