// The small stages: window cut, image selector, lookup table, output format.
#include "pipeline/lut.h"
#include "pipeline/output.h"
#include "pipeline/roi.h"
#include "pipeline/selector.h"
#include "pipeline/settings.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace kestrel::board {
namespace {

Frame12 ramp(uint32_t width, uint32_t height) {
    Frame12 frame(width, height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            frame.at(x, y) = uint16_t(100 * y + x);
    return frame;
}

TEST(RoiCut, WindowPixelIsSensorPixelAtOffset) {
    const Frame12 sensor = ramp(10, 8);
    const Frame12 window =
        cutWindow(sensor.view(), {.xOffset = 3, .yOffset = 2, .widthPixels = 4, .heightLines = 5});
    ASSERT_EQ(window.widthPixels(), 4u);
    ASSERT_EQ(window.heightLines(), 5u);
    EXPECT_EQ(window.at(0, 0), 203);
    EXPECT_EQ(window.at(3, 4), 606);
}

TEST(RoiCut, BeyondTheSensorIsBlack) {
    const Frame12 sensor = ramp(10, 8);
    const RoiWindow roi{.xOffset = 8, .yOffset = 6, .widthPixels = 4, .heightLines = 3};
    const Frame12 window = cutWindow(sensor.view(), roi);
    EXPECT_EQ(window.at(0, 0), 608);
    EXPECT_EQ(window.at(1, 1), 709);
    EXPECT_EQ(window.at(2, 0), 0);
    EXPECT_EQ(window.at(0, 2), 0);

    std::vector<uint16_t> scratch(4, 55);
    const uint16_t* line = windowLine(sensor.view(), roi, 1, scratch.data());
    EXPECT_EQ(std::vector<uint16_t>(line, line + 4), (std::vector<uint16_t>{708, 709, 0, 0}));
    line = windowLine(sensor.view(), roi, 2, scratch.data());
    EXPECT_EQ(std::vector<uint16_t>(line, line + 4), (std::vector<uint16_t>{0, 0, 0, 0}));
}

TEST(RoiCut, KeepsOnlyTwelveDataBits) {
    Frame12 sensor(2, 1);
    sensor.at(0, 0) = 0xF123;
    sensor.at(1, 0) = 0x1FFF;
    const Frame12 window =
        cutWindow(sensor.view(), {.xOffset = 0, .yOffset = 0, .widthPixels = 2, .heightLines = 1});
    EXPECT_EQ(window.at(0, 0), 0x123);
    EXPECT_EQ(window.at(1, 0), 0xFFF);
}

TEST(ImageSelector, PassesFramesWhosePositionInThePeriodIsThePhase) {
    const ImageSelector selector{.period = 4, .phase = 3};
    std::vector<uint64_t> passed;
    for (uint64_t k = 0; k < 12; ++k)
        if (selector.passes(k))
            passed.push_back(k);
    EXPECT_EQ(passed, (std::vector<uint64_t>{3, 7, 11}));
    EXPECT_TRUE(ImageSelector{}.passes(0));
    EXPECT_TRUE(ImageSelector{}.passes(12345));
}

TEST(PipelineSettingsCheck, RefusesSelectorPhaseNotBelowPeriod) {
    PipelineSettings settings;
    settings.selector = {.period = 4, .phase = 4};
    EXPECT_THROW(validate(settings), std::invalid_argument);
    settings.selector = {.period = 0, .phase = 0};
    EXPECT_THROW(validate(settings), std::invalid_argument);
    settings.selector = {.period = 256, .phase = 255};
    EXPECT_NO_THROW(validate(settings));
}

TEST(LookupTable, ReplacesEachValueByItsEntryKeepingTwelveBits) {
    Lut lut = identityLut();
    for (size_t i = 0; i < kLutEntries; ++i)
        lut[i] = uint16_t(4095 - i);
    lut[5] = 0x1ABC;
    Frame12 image(4, 1);
    image.at(0, 0) = 0;
    image.at(1, 0) = 1000;
    image.at(2, 0) = 4095;
    image.at(3, 0) = 5;
    applyLut(image, lut);
    EXPECT_EQ(image.at(0, 0), 4095);
    EXPECT_EQ(image.at(1, 0), 3095);
    EXPECT_EQ(image.at(2, 0), 0);
    EXPECT_EQ(image.at(3, 0), 0xABC);
}

std::vector<uint8_t> formatted(const Frame12& image, OutputFormat format) {
    std::vector<std::byte> bytes(image.pixelCount() * bytesPerPixel(format));
    writeOutput(image, format, bytes);
    std::vector<uint8_t> result;
    for (std::byte b : bytes)
        result.push_back(uint8_t(b));
    return result;
}

TEST(OutputFormatStage, WritesEachFormatLittleEndian) {
    Frame12 image(3, 1);
    image.at(0, 0) = 0x0FFF;
    image.at(1, 0) = 0x0A5C;
    image.at(2, 0) = 0x0001;
    // Eight bits keep the top eight of twelve; left-aligned sixteen shift up by four.
    EXPECT_EQ(formatted(image, OutputFormat::Gray8), (std::vector<uint8_t>{0xFF, 0xA5, 0x00}));
    EXPECT_EQ(formatted(image, OutputFormat::Gray16),
              (std::vector<uint8_t>{0xFF, 0x0F, 0x5C, 0x0A, 0x01, 0x00}));
    EXPECT_EQ(formatted(image, OutputFormat::Gray16LeftAligned),
              (std::vector<uint8_t>{0xF0, 0xFF, 0xC0, 0xA5, 0x10, 0x00}));
}

TEST(OutputFormatStage, RefusesTooSmallBuffer) {
    std::vector<std::byte> bytes(3);
    EXPECT_THROW(writeOutput(Frame12(2, 1), OutputFormat::Gray16, bytes), std::invalid_argument);
}

TEST(OutputTableStage, FusedTableEqualsLookupThenFormat) {
    Lut lut = identityLut();
    for (size_t i = 0; i < kLutEntries; ++i)
        lut[i] = uint16_t((i * 37 + 11) % 4096);
    Frame12 image(4096, 1);
    for (uint32_t x = 0; x < 4096; ++x)
        image.at(x, 0) = uint16_t(x);
    for (OutputFormat format : {OutputFormat::Gray8, OutputFormat::Gray16, OutputFormat::Gray16LeftAligned}) {
        Frame12 looked = image;
        applyLut(looked, lut);
        const std::vector<uint8_t> expected = formatted(looked, format);
        std::vector<std::byte> bytes(expected.size() + 1);
        // An odd destination address: the host's buffers need not be aligned.
        OutputTable(lut, format).writeLine(image.row(0), 4096, bytes.data() + 1);
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(uint8_t(bytes[i + 1]), expected[i]) << i;
    }
}

} // namespace
} // namespace kestrel::board
