// Camera simulator through the exports: board registers, shadows, the pixel-rate model, published
// minima and the restore on failing writes.
#include "pipeline_fixture.h"

namespace kestrel::test {
namespace {

using SimulatorParameters = PipelineOnBoard;

TEST_F(SimulatorParameters, Frequency40WithAccuracy25Writes7And16) {
    ASSERT_EQ(applet.set<double>(FG_GEN_FREQ, 20.0), 0);
    EXPECT_EQ(writesOf([&] { ASSERT_EQ(applet.set<double>(FG_GEN_FREQ, 40.0), 0); },
                       {designName(GeneratorRegister::Active), designName(GeneratorRegister::Passive)}),
              (NamedWrites{{designName(GeneratorRegister::Active), 7},
                           {designName(GeneratorRegister::Passive), 16}}));
    EXPECT_EQ(u32(FG_GEN_ACTIVE), 8u);
    EXPECT_EQ(u32(FG_GEN_PASSIVE), 17u);
}

TEST_F(SimulatorParameters, FrequencyAtTheBaseRateLeavesNoPassiveCycle) {
    ASSERT_EQ(applet.set<double>(FG_GEN_FREQ, 125.0), 0);
    EXPECT_EQ(u32(FG_GEN_ACTIVE), 25u);
    EXPECT_EQ(u32(FG_GEN_PASSIVE), 0u);
    EXPECT_EQ(reg(designName(GeneratorRegister::Active)), 24u);
    EXPECT_EQ(reg(designName(GeneratorRegister::Passive)), 0xFFFFu); // all bits of the 16-bit counter
}

TEST_F(SimulatorParameters, AccuracyResplitsTheStoredFrequency) {
    ASSERT_EQ(applet.set<uint32_t>(FG_GEN_ACCURACY, 125), 0);
    EXPECT_EQ(u32(FG_GEN_ACTIVE), 40u);
    EXPECT_EQ(u32(FG_GEN_PASSIVE), 85u);
    EXPECT_EQ(reg(designName(GeneratorRegister::Active)), 39u);
    EXPECT_EQ(reg(designName(GeneratorRegister::Passive)), 84u);
}

TEST_F(SimulatorParameters, AccuracyBelowHalfTheBaseRateOverFrequencyIsRefused) {
    // 62.5 / 40.0 = 1.5625, so 2 is the least accuracy.
    EXPECT_EQ(applet.set<uint32_t>(FG_GEN_ACCURACY, 1), -6000);
    EXPECT_EQ(applet.set<uint32_t>(FG_GEN_ACCURACY, 65536), -6000);
    EXPECT_EQ(u32(FG_GEN_ACCURACY), 25u);
    EXPECT_EQ(applet.set<uint32_t>(FG_GEN_ACCURACY, 2), 0);
    EXPECT_EQ(applet.set<uint32_t>(FG_GEN_ACCURACY, 65535), 0);
}

// The width and line-width registers count pairs of four pixels, rounded down; the line width
// adds the line gap, so both setters write both registers, width first.
TEST_F(SimulatorParameters, WidthAndLineGapWriteFourPixelPairCounts) {
    const struct {
        int32_t id;
        uint32_t value;
        uint64_t widthCount, lineWidthCount;
        uint32_t lineWidthPixels;
    } rows[] = {
        {FG_GEN_WIDTH, 1024, 256, 257, 1028},
        {FG_GEN_WIDTH, 1023, 255, 256, 1027}, // 2 x 1027 / 8
        {FG_GEN_LINE_GAP, 100, 256, 281, 1124},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(writesOf([&] { ASSERT_EQ(applet.set<uint32_t>(row.id, row.value), 0); },
                           {designName(GeneratorRegister::Width), designName(GeneratorRegister::LineWidth)}),
                  (NamedWrites{{designName(GeneratorRegister::Width), row.widthCount},
                               {designName(GeneratorRegister::LineWidth), row.lineWidthCount}}));
        EXPECT_EQ(u32(FG_GEN_LINE_WIDTH), row.lineWidthPixels);
        ASSERT_EQ(applet.set<uint32_t>(FG_GEN_WIDTH, 1024), 0);
        ASSERT_EQ(applet.set<uint32_t>(FG_GEN_LINE_GAP, 4), 0);
    }
    EXPECT_EQ(applet.set<uint32_t>(FG_GEN_LINE_GAP, 65536), -6000);
    EXPECT_EQ(applet.set<uint32_t>(FG_GEN_WIDTH, 65536), -6000);
}

TEST_F(SimulatorParameters, TapsChangeTheirBitOfTheMask) {
    ASSERT_EQ(reg(designName(GeneratorRegister::Mask)), 15u);
    ASSERT_EQ(applet.set<int32_t>(FG_GEN_TAP2, 0), 0);
    EXPECT_EQ(reg(designName(GeneratorRegister::Mask)), 13u);
    EXPECT_EQ(i32(FG_GEN_TAP2), 0);
    ASSERT_EQ(applet.set<int32_t>(FG_GEN_TAP4, 0), 0);
    EXPECT_EQ(reg(designName(GeneratorRegister::Mask)), 5u);
    ASSERT_EQ(applet.set<int32_t>(FG_GEN_TAP2, 1), 0);
    EXPECT_EQ(reg(designName(GeneratorRegister::Mask)), 7u);
    ASSERT_EQ(applet.set<int32_t>(FG_GEN_TAP4, 1), 0);
    EXPECT_EQ(reg(designName(GeneratorRegister::Mask)), 15u);
    EXPECT_EQ(applet.set<int32_t>(FG_GEN_TAP1, 2), -6000);
}

TEST_F(SimulatorParameters, FailedTapWriteKeepsTheMaskShadow) {
    applet.failWrites(designName(GeneratorRegister::Mask), kBrokenRegister);
    EXPECT_EQ(applet.set<int32_t>(FG_GEN_TAP1, 0), kBrokenRegister);
    EXPECT_EQ(i32(FG_GEN_TAP1), 1);
    applet.failWrites(designName(GeneratorRegister::Mask), 0);
    // The shadow still has tap 1 set, so clearing tap 3 writes 11, not 10.
    ASSERT_EQ(applet.set<int32_t>(FG_GEN_TAP3, 0), 0);
    EXPECT_EQ(reg(designName(GeneratorRegister::Mask)), 11u);
}

TEST_F(SimulatorParameters, FailingPassiveWriteKeepsTheNewActiveAndTheOldFrequency) {
    applet.failWrites(designName(GeneratorRegister::Passive), kBrokenRegister);
    EXPECT_EQ(applet.set<double>(FG_GEN_FREQ, 50.0), kBrokenRegister);
    EXPECT_EQ(f64(FG_GEN_FREQ), 40.0);
    EXPECT_EQ(u32(FG_GEN_ACTIVE), 10u); // written before the broken register
    EXPECT_EQ(u32(FG_GEN_PASSIVE), 17u);
    EXPECT_EQ(reg(designName(GeneratorRegister::Active)), 9u);
    EXPECT_EQ(reg(designName(GeneratorRegister::Passive)), 16u);
    EXPECT_EQ(infoNode(FG_GEN_ACCURACY)->kind.integer.minimum, 2);
}

TEST_F(SimulatorParameters, FailingPassiveWriteKeepsTheOldAccuracyAndTheNewActive) {
    applet.failWrites(designName(GeneratorRegister::Passive), kBrokenRegister);
    EXPECT_EQ(applet.set<uint32_t>(FG_GEN_ACCURACY, 50), kBrokenRegister);
    EXPECT_EQ(u32(FG_GEN_ACCURACY), 25u);
    EXPECT_EQ(u32(FG_GEN_ACTIVE), 16u);
    EXPECT_EQ(u32(FG_GEN_PASSIVE), 17u);
    EXPECT_EQ(infoNode(FG_GEN_FREQ)->kind.real.minimum, 3.0);
}

} // namespace
} // namespace kestrel::test
