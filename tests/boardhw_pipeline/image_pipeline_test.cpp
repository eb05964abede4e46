// The whole pipeline on patterns whose every output pixel a formula predicts; frame selection.
#include "pipeline/generator_source.h"
#include "pipeline/image_pipeline.h"
#include "pipeline/reference_pipeline.h"
#include "pipeline/streaming_pipeline.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace kestrel::board {
namespace {

enum class Flavour { Reference, Streaming };

std::unique_ptr<PixelPipeline> makePixels(Flavour flavour) {
    if (flavour == Flavour::Reference)
        return std::make_unique<ReferencePipeline>();
    return std::make_unique<StreamingPipeline>(StreamingOptions{.threads = 2, .minPixelsPerBand = 8});
}

class WholePipeline : public testing::TestWithParam<Flavour> {
protected:
    std::vector<uint16_t> run16(const PipelineSettings& settings, const Frame12& sensor) {
        ImagePipeline pipeline(makePixels(GetParam()));
        pipeline.configure(settings);
        std::vector<std::byte> bytes(pipeline.outputBytes());
        EXPECT_TRUE(pipeline.process(sensor.view(), bytes));
        std::vector<uint16_t> pixels(bytes.size() / 2);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint16_t(uint16_t(bytes[2 * i]) | uint16_t(bytes[2 * i + 1]) << 8);
        return pixels;
    }
};

TEST_P(WholePipeline, GeneratorRampThroughWindowOffsetGainTableAndFormat) {
    // Ramp p = x + y + 2 n (roll 2, frame 5); window at (100, 50), 16 x 4.
    GeneratorSource source({.widthPixels = 256, .heightLines = 64, .tapMask = 15, .rollPerFrame = 2});
    Frame12 sensor;
    source.render(5, sensor);

    auto offsets = std::make_shared<CoefficientPlane>(32); // 2 grey levels everywhere
    auto gains = std::make_shared<CoefficientPlane>(4096);
    for (uint32_t y = 50; y < 54; ++y)
        for (uint32_t x = 108; x < 116; ++x)
            gains->set(x, y, 6144); // x 1.5 on the right half of the window

    PipelineSettings settings;
    settings.roi = {.xOffset = 100, .yOffset = 50, .widthPixels = 16, .heightLines = 4};
    settings.shading = {
        .offsetEnabled = true, .gainEnabled = true, .defaultGain = 4096, .offsets = offsets, .gains = gains};
    for (size_t i = 0; i < kLutEntries; ++i)
        settings.lut[i] = uint16_t(4095 - i); // inverting table
    settings.format = OutputFormat::Gray16LeftAligned;

    const std::vector<uint16_t> pixels = run16(settings, sensor);
    for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 16; ++x) {
            const uint32_t p = (x + 100) + (y + 50) + 10;
            // q = 16 p - 32; with gain 1.5: r = 1.5 q exactly (q even), result (r + 8) >> 4.
            const uint32_t shaded = x < 8 ? p - 2 : (24 * p - 48 + 8) >> 4;
            ASSERT_EQ(pixels[y * 16 + x], uint16_t((4095 - shaded) << 4)) << x << "," << y;
        }
    }
    // Two pixels by hand: (0, 0): p = 160, 158, inverted 3937, left aligned 62992.
    EXPECT_EQ(pixels[0], 62992);
    // (15, 3): p = 178, q = 2816, r = 4224, (4232 >> 4) = 264, inverted 3831 -> 61296.
    EXPECT_EQ(pixels[3 * 16 + 15], 61296);
}

TEST_P(WholePipeline, DeadPixelsTakeShadedNeighboursThenTheMedianSmooths) {
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

    std::vector<uint16_t> pixels = run16(settings, sensor);
    EXPECT_EQ(pixels[0], 190);
    EXPECT_EQ(pixels[8 + 2], 380);
    EXPECT_EQ(pixels[8 + 3], 285); // (380 + 190 + 1) >> 1
    EXPECT_EQ(pixels[8 + 4], 285);
    EXPECT_EQ(pixels[8 + 5], 190);

    // The median sees the repaired line: at (3, 1) its neighbourhood holds 380, 285, 285 and six 190s.
    settings.medianFilter = true;
    pixels = run16(settings, sensor);
    EXPECT_EQ(pixels[8 + 3], 190);
    EXPECT_EQ(pixels[8 + 2], 190);
}

INSTANTIATE_TEST_SUITE_P(BothImplementations, WholePipeline,
                         testing::Values(Flavour::Reference, Flavour::Streaming),
                         [](const testing::TestParamInfo<Flavour>& flavour) {
                             return flavour.param == Flavour::Reference ? "Reference" : "Streaming";
                         });

TEST(ImagePipeline, SelectorPassesOneFrameInEachPeriod) {
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
}

TEST(ImagePipeline, RefusesMissingPixelPipeline) {
    EXPECT_THROW(ImagePipeline(nullptr), std::invalid_argument);
}

} // namespace
} // namespace kestrel::board
