// The pipeline's stages by hand: window cut, image selector, lookup table, output format,
// shading arithmetic, dead-pixel replacement, median; each line kernel against its frame version.
#include "pipeline/deadpixel.h"
#include "pipeline/lut.h"
#include "pipeline/median.h"
#include "pipeline/output.h"
#include "pipeline/roi.h"
#include "pipeline/selector.h"
#include "pipeline/settings.h"
#include "pipeline/shading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <random>
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

TEST(RoiCut, WindowPixelIsSensorPixelAtOffsetAndBeyondTheSensorIsBlack) {
    const Frame12 sensor = ramp(10, 8);
    const Frame12 inside =
        cutWindow(sensor.view(), {.xOffset = 3, .yOffset = 2, .widthPixels = 4, .heightLines = 5});
    ASSERT_EQ(std::pair(inside.widthPixels(), inside.heightLines()), std::pair(4u, 5u));
    EXPECT_EQ(inside.at(0, 0), 203);
    EXPECT_EQ(inside.at(3, 4), 606);
    const RoiWindow roi{.xOffset = 8, .yOffset = 6, .widthPixels = 4, .heightLines = 3};
    const Frame12 window = cutWindow(sensor.view(), roi);
    EXPECT_EQ(window.at(0, 0), 608);
    EXPECT_EQ(window.at(1, 1), 709);
    EXPECT_EQ(window.at(2, 0), 0);
    EXPECT_EQ(window.at(0, 2), 0);

    std::vector<uint16_t> scratch(4, 55);
    const uint16_t* line = windowLine(sensor.view(), roi, 1, scratch.data(), nullptr);
    EXPECT_EQ(std::vector<uint16_t>(line, line + 4), (std::vector<uint16_t>{708, 709, 0, 0}));
    line = windowLine(sensor.view(), roi, 2, scratch.data(), nullptr);
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

// Which frames pass is the image pipeline's test; here, which selectors are valid.
TEST(ImageSelector, RefusesPhasesNotBelowThePeriod) {
    EXPECT_TRUE(ImageSelector{}.passes(12345));
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
    std::ranges::copy(std::vector<uint16_t>{0, 1000, 4095, 5}, image.row(0));
    applyLut(image, lut);
    EXPECT_EQ(std::vector<uint16_t>(image.row(0), image.row(0) + 4),
              (std::vector<uint16_t>{4095, 3095, 0, 0xABC}));
}

std::vector<uint8_t> formatted(const Frame12& image, OutputFormat format) {
    std::vector<std::byte> bytes(image.pixelCount() * bytesPerPixel(format));
    writeOutput(image, format, bytes);
    std::vector<uint8_t> result;
    for (std::byte b : bytes)
        result.push_back(uint8_t(b));
    return result;
}

TEST(OutputFormatStage, WritesEachFormatLittleEndianAndRefusesTooSmallBuffer) {
    Frame12 image(3, 1);
    std::ranges::copy(std::vector<uint16_t>{0x0FFF, 0x0A5C, 0x0001}, image.row(0));
    // Eight bits keep the top eight of twelve; left-aligned sixteen shift up by four.
    EXPECT_EQ(formatted(image, OutputFormat::Gray8), (std::vector<uint8_t>{0xFF, 0xA5, 0x00}));
    EXPECT_EQ(formatted(image, OutputFormat::Gray16),
              (std::vector<uint8_t>{0xFF, 0x0F, 0x5C, 0x0A, 0x01, 0x00}));
    EXPECT_EQ(formatted(image, OutputFormat::Gray16LeftAligned),
              (std::vector<uint8_t>{0xF0, 0xFF, 0xC0, 0xA5, 0x10, 0x00}));
    std::vector<std::byte> bytes(3);
    EXPECT_THROW(writeOutput(Frame12(2, 1), OutputFormat::Gray16, bytes), std::invalid_argument);
}

// Lines written past the caches go in whole 64-byte lines from a 64-byte boundary, the rest as
// usual: every length and start around those lines must give the same bytes, none beyond them.
TEST(OutputTable, WritesTheSameLinesToMemoryAsThroughTheCache) {
    std::mt19937_64 random(3);
    Lut lut;
    for (uint16_t& entry : lut)
        entry = uint16_t(random() % 4096);
    std::vector<uint16_t> values(300);
    for (uint16_t& value : values)
        value = uint16_t(random()); // bits above the twelve too
    for (const OutputFormat format :
         {OutputFormat::Gray8, OutputFormat::Gray16, OutputFormat::Gray16LeftAligned}) {
        const OutputTable table(lut, format);
        const size_t pixelBytes = bytesPerPixel(format);
        for (const size_t n : {0, 1, 16, 31, 32, 33, 63, 64, 65, 129, 256, 300}) {
            for (const size_t start : {0, 1, 2, 64}) {
                alignas(64) std::array<std::byte, 64 + 300 * 2 + 64> cached{};
                alignas(64) std::array<std::byte, cached.size()> direct{};
                cached.fill(std::byte{0x5A});
                direct.fill(std::byte{0x5A});
                table.writeLine(values.data(), n, cached.data() + start, OutputStores::Cached);
                table.writeLine(values.data(), n, direct.data() + start, OutputStores::ToMemory);
                OutputTable::finishWrites();
                EXPECT_EQ(cached, direct) << int(format) << " n " << n << " start " << start;
                const auto end = direct.begin() + std::ptrdiff_t(start + n * pixelBytes);
                EXPECT_TRUE(std::all_of(direct.begin(), direct.begin() + std::ptrdiff_t(start),
                                        [](std::byte b) { return b == std::byte{0x5A}; }));
                EXPECT_TRUE(std::all_of(end, direct.end(), [](std::byte b) { return b == std::byte{0x5A}; }));
            }
        }
    }
}

// Lines of values close together are looked up from a window of the table, others one by one:
// lines of every span around the windows' sizes, from the bottom and the top of the table, must
// give what the whole-frame stages give.
TEST(OutputTable, LooksUpCloseAndDistantValuesAsTheFrameStagesDo) {
    std::mt19937_64 random(11);
    Lut lut;
    for (uint16_t& entry : lut)
        entry = uint16_t(random() % 4096);
    constexpr size_t kValues = 320;
    for (const uint32_t span : {0u, 1u, 63u, 64u, 127u, 128u, 255u, 256u, 257u, 511u, 512u, 4095u}) {
        for (const uint32_t lowest : {0u, 4095u - span, uint32_t(random() % (4096 - span))}) {
            // Every run of 32 values holds the lowest and the highest.
            std::vector<uint16_t> values(kValues);
            for (size_t i = 0; i < kValues; ++i) {
                const uint32_t offset = i % 32 == 0   ? 0
                                        : i % 32 == 1 ? span
                                                      : uint32_t(random() % (span + 1));
                values[i] = uint16_t((lowest + offset) | (random() % 16) << 12); // bits above the twelve
            }
            Frame12 frame(kValues, 1);
            for (size_t i = 0; i < kValues; ++i)
                frame.row(0)[i] = values[i] & kSampleMask;
            applyLut(frame, lut);
            for (const OutputFormat format :
                 {OutputFormat::Gray8, OutputFormat::Gray16, OutputFormat::Gray16LeftAligned}) {
                std::vector<std::byte> expected(kValues * bytesPerPixel(format));
                writeOutput(frame, format, expected);
                std::vector<std::byte> written(expected.size());
                OutputTable(lut, format).writeLine(values.data(), kValues, written.data());
                EXPECT_EQ(written, expected)
                    << "span " << span << " from " << lowest << " format " << int(format);
            }
        }
    }
}

// One pixel through the shading formula: q = 16 p - o, r = (q g + 2048) >> 12 (arithmetic),
// result (r + 8) >> 4 clamped to 0..4095; an offset of 65535 marks a defect and subtracts nothing.
TEST(ShadingPixel, GivesTheHandComputedValue) {
    struct Row {
        const char* rule;
        uint16_t pixel, offset, gain, expected;
    };
    const Row rows[] = {
        // q = 1440; r = (1440 * 8192 + 2048) >> 12 = 2880 (2880.5 rounds down after the shift); 180.
        {"offset and double gain", 100, 160, 8192, 180},
        // q = 160; r = (160 * 6144 + 2048) >> 12 = 240; (240 + 8) >> 4 = 15.
        {"gain of one and a half", 10, 0, 6144, 15},
        // q = -20; r = (-81920 + 2048) >> 12 = -20; (-12) >> 4 = -1, clamped to 0.
        {"negative difference clamps to zero", 5, 100, 4096, 0},
        {"largest offset below the mark clamps to zero", 0, 65534, 65535, 0},
        {"minus half a grey level rounds to exactly zero", 0, 8, 4096, 0},
        {"largest gain clamps to 4095", 4095, 0, 65535, 4095},
        {"exactly full scale clamps to 4095", 2048, 0, 8192, 4095},
        {"just below full scale is kept", 2047, 0, 8192, 4094},
        // Offsets are in 1/16 grey: 8 is half a level and rounds back up; 9 takes the level away.
        {"offset of half a grey level rounds up", 100, 8, 4096, 100},
        {"offset just over half a grey level takes the level", 100, 9, 4096, 99},
        {"offset of one and a half levels rounds up", 100, 24, 4096, 99},
        {"offset just over one and a half levels", 100, 25, 4096, 98},
        // q g = -2048: (-2048 + 2048) >> 12 = 0, so -0.5 rounds toward plus infinity.
        {"gain shift rounds half up for negative differences", 0, 1, 2048, 0},
        // q = 3, g = 0.5: 1.5 rounds to 2; then (2 + 8) >> 4 = 0.
        {"gain shift rounds half up before the grey shift", 1, 13, 2048, 0},
        // q = 15, g = 0.5: r = 8; (8 + 8) >> 4 = 1. One rounding of 15 x 0.5 / 16 = 0.47 would give 0.
        {"rounds twice as the design does", 1, 1, 2048, 1},
        {"defect mark subtracts nothing", 100, CoefficientPlane::kDefective, 4096, 100},
    };
    for (const Row& row : rows)
        EXPECT_EQ(shadePixel(row.pixel, row.offset, row.gain), row.expected) << row.rule;
    for (uint16_t p = 0; p <= kMaxSample; ++p)
        ASSERT_EQ(shadePixel(p, 0, 4096), p) << "unity gain and no offset pass every sample";
}

TEST(ShadingFrame, TakesCoefficientsAtSensorCoordinatesWrappingAt4096OnlyWhenEnabled) {
    auto offsets = std::make_shared<CoefficientPlane>(0);
    auto gains = std::make_shared<CoefficientPlane>(4096);
    offsets->set(12, 23, 160); // window pixel (2, 3) with the window at (10, 20)
    gains->set(12, 23, 8192);
    offsets->set(0, 20, 32); // sensor x 4096 wraps to 0
    const RoiWindow roi{.xOffset = 10, .yOffset = 20, .widthPixels = 4, .heightLines = 5};
    struct Row {
        bool offsetOn, gainOn;
        uint16_t defaultGain;
        bool images;
        uint32_t x, y;
        uint16_t expected;
    };
    // The default gain multiplies while gain correction is off; missing images act as initialised.
    const Row rows[] = {{true, true, 4096, true, 2, 3, 180},   {true, true, 4096, true, 1, 3, 100},
                        {true, true, 4096, true, 2, 2, 100},   {false, true, 4096, true, 2, 3, 200},
                        {true, false, 4096, true, 2, 3, 90},   {false, false, 8192, true, 0, 0, 200},
                        {false, false, 8192, true, 2, 3, 200}, {false, false, 4096, true, 2, 3, 100},
                        {true, true, 8192, false, 2, 3, 100},  {true, true, 8192, false, 0, 0, 100}};
    for (const Row& r : rows) {
        const ShadingSettings settings{r.offsetOn, r.gainOn, r.defaultGain, r.images ? offsets : nullptr,
                                       r.images ? gains : nullptr};
        EXPECT_EQ(applyShading(Frame12(4, 5, 100), roi, settings).at(r.x, r.y), r.expected)
            << r.offsetOn << r.gainOn << r.defaultGain << r.images << " at " << r.x << "," << r.y;
    }
    Frame12 window(4, 5);
    for (size_t i = 0; i < window.pixelCount(); ++i)
        window.pixels()[i] = uint16_t(i * 211 % 4096);
    EXPECT_EQ(applyShading(window, roi, {.offsets = offsets, .gains = gains}), window) << "both off";
    const RoiWindow edge{.xOffset = 4094, .yOffset = 20, .widthPixels = 4, .heightLines = 1};
    const Frame12 shaded =
        applyShading(Frame12(4, 1, 100), edge, {.offsetEnabled = true, .offsets = offsets, .gains = nullptr});
    EXPECT_EQ(shaded.at(2, 0), 98); // sensor x 4096 uses the coefficient at x 0
    EXPECT_EQ(shaded.at(1, 0), 100);
}

constexpr uint16_t kDead = CoefficientPlane::kDefective;

// Replaces one line with both versions and checks that they agree; returns the result.
std::vector<uint16_t> replaced(std::vector<uint16_t> line, const std::vector<uint16_t>& marks) {
    const uint32_t width = uint32_t(line.size());
    CoefficientPlane offsets(0);
    const RoiWindow roi{.xOffset = 100, .yOffset = 7, .widthPixels = width, .heightLines = 1};
    for (uint32_t x = 0; x < width; ++x)
        offsets.set(x + roi.xOffset, roi.yOffset, marks[x]);
    Frame12 frame(width, 1);
    std::copy(line.begin(), line.end(), frame.row(0));
    replaceDeadPixels(frame, roi, &offsets);

    EXPECT_EQ(lineHasDefects(marks.data(), marks.size()),
              std::find(marks.begin(), marks.end(), kDead) != marks.end());
    // The shading pass's block flags, from unit-gain shading of the line itself.
    std::vector<uint16_t> shaded(line.size());
    // Stale words from an earlier line must all be overwritten.
    std::vector<uint64_t> blocks(defectBlockWords(line.size()), 0xA5A5A5A5A5A5A5A5);
    shadeLineFindingDefects(line.data(), marks.data(), nullptr, 4096, shaded.data(), line.size(),
                            blocks.data());
    std::vector<uint64_t> flagged(blocks.size(), 0);
    for (size_t x = 0; x < marks.size(); ++x)
        if (marks[x] == kDead)
            flagged[x / kDefectBlockPixels / 64] |= uint64_t{1} << (x / kDefectBlockPixels % 64);
    EXPECT_EQ(blocks, flagged) << "block flags of a line of " << line.size();
    for (size_t x = 0; x < line.size(); ++x)
        shaded[x] = marks[x] == kDead ? shaded[x] : line[x];
    replaceDeadPixelsInBlocks(shaded.data(), marks.data(), line.size(), blocks.data());
    replaceDeadPixelsInLine(line.data(), marks.data(), line.size());
    EXPECT_EQ(line, std::vector<uint16_t>(frame.row(0), frame.row(0) + width));
    EXPECT_EQ(shaded, line) << "replacement in the blocks the shading pass flagged";
    return line;
}

struct LineRow {
    const char* rule;
    std::vector<uint16_t> line, marks, replaced;
};

TEST(DeadPixel, ReplacesEachRunByTheGoodPixelsAroundIt) {
    const LineRow rows[] = {
        {"rounded mean of both neighbours", {10, 99, 30}, {0, kDead, 0}, {10, 20, 30}},
        {"half rounds up", {10, 99, 11}, {0, kDead, 0}, {10, 11, 11}},
        {"at the line start the right one", {99, 50, 60}, {kDead, 0, 0}, {50, 50, 60}},
        {"at the line end the left one", {50, 60, 99}, {0, 0, kDead}, {50, 60, 60}},
        {"a run takes the mean of its ends",
         {10, 1, 2, 3, 31, 5},
         {0, kDead, kDead, kDead, 0, 0},
         {10, 21, 21, 21, 31, 5}},
        {"a run at the start", {1, 2, 3, 40}, {kDead, kDead, kDead, 0}, {40, 40, 40, 40}},
        {"a run at the end", {40, 2, 3, 4}, {0, kDead, kDead, kDead}, {40, 40, 40, 40}},
        {"a whole defective line is 0", {5, 6, 7}, {kDead, kDead, kDead}, {0, 0, 0}},
        {"a single defective pixel is 0", {5}, {kDead}, {0}},
        {"only the defect mark counts", {1, 2, 3}, {65534, 1, 0}, {1, 2, 3}},
        {"runs are independent",
         {9, 0, 4, 0, 0, 8, 0},
         {kDead, 0, 0, kDead, kDead, 0, kDead},
         {0, 0, 4, 6, 6, 8, 8}},
    };
    for (const LineRow& row : rows)
        EXPECT_EQ(replaced(row.line, row.marks), row.replaced) << row.rule;
    // Long lines: each word of block flags, the one that ends on the line's partial block too.
    for (const size_t width : {2021u, 2048u, 2053u, 4096u + 40u}) {
        std::vector<uint16_t> line(width), marks(width, 0);
        for (size_t x = 0; x < width; ++x)
            line[x] = uint16_t(x % 4096);
        marks[width - 2] = marks[width / 2] = kDead;
        replaced(line, marks);
    }
}

TEST(DeadPixel, NeighbourSearchStaysInsideTheWindow) {
    // The good pixel left of the window (sensor x 99) must not be used.
    CoefficientPlane offsets(0);
    offsets.set(100, 0, kDead);
    const RoiWindow roi{.xOffset = 100, .yOffset = 0, .widthPixels = 2, .heightLines = 1};
    Frame12 frame(2, 1);
    frame.at(0, 0) = 3;
    frame.at(1, 0) = 70;
    replaceDeadPixels(frame, roi, &offsets);
    EXPECT_EQ(frame.at(0, 0), 70);
}

TEST(DeadPixel, MarksAreLookedUpPerLineAtSensorCoordinates) {
    CoefficientPlane offsets(0);
    offsets.set(5, 11, kDead);
    const RoiWindow roi{.xOffset = 4, .yOffset = 10, .widthPixels = 3, .heightLines = 2};
    Frame12 frame(3, 2);
    for (uint32_t i = 0; i < 6; ++i)
        frame.pixels()[i] = uint16_t(10 * (i + 1)); // lines {10,20,30} and {40,50,60}
    replaceDeadPixels(frame, roi, &offsets);
    EXPECT_EQ(frame.at(1, 0), 20);
    EXPECT_EQ(frame.at(1, 1), 50); // (40 + 60 + 1) >> 1
}

Frame12 frameOf(uint32_t width, uint32_t height, const std::vector<uint16_t>& values) {
    Frame12 frame(width, height);
    std::copy(values.begin(), values.end(), frame.pixels().begin());
    return frame;
}

TEST(MedianFilter, CentreIsTheFifthSmallestAndCornersUseTheReplicatedBorder) {
    // Around (0, 0) with replication: rows {9,9,1},{9,9,1},{2,2,7} -> sorted 1 1 2 2 7 9 9 9 9.
    const Frame12 image = frameOf(3, 3, {9, 1, 8, 2, 7, 3, 6, 4, 5});
    EXPECT_EQ(medianFilter(image).at(1, 1), 5);
    EXPECT_EQ(medianFilter(image).at(0, 0), 7);
    // Around (2, 2): {7,3,3},{4,5,5},{4,5,5} -> 3 3 4 4 5 5 5 5 7.
    EXPECT_EQ(medianFilter(image).at(2, 2), 5);
}

TEST(MedianFilter, TinyWindowsReplicateTheirBorders) {
    struct Tiny {
        const char* rule;
        uint32_t width;
        uint32_t height;
        std::vector<uint16_t> image;
        std::vector<uint16_t> filtered;
    };
    const Tiny cases[] = {
        {"a single pixel passes unchanged", 1, 1, {1234}, {1234}},
        // Each neighbourhood holds its three columns three times: a running median of three.
        {"a single line is filtered along itself", 4, 1, {5, 1, 9, 2}, {5, 5, 2, 2}},
        {"a single column is filtered along itself", 1, 4, {5, 1, 9, 2}, {5, 5, 2, 2}},
        // Around (0, 0): {a a b}{a a b}{c c d} with a=10 b=20 c=30 d=40 -> 10 10 10 10 20 20 30 30 40.
        {"two by two takes the majority of replicated values", 2, 2, {10, 20, 30, 40}, {20, 20, 30, 30}},
    };
    for (const Tiny& c : cases) {
        const Frame12 image = frameOf(c.width, c.height, c.image);
        EXPECT_EQ(medianFilter(image), frameOf(c.width, c.height, c.filtered)) << c.rule;
    }
}

} // namespace
} // namespace kestrel::board
