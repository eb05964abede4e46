// A board as the host and the applet see it: design loading, roles, settings, texts, registry.
#include "board.h"
#include "board_registry.h"
#include "design_settings.h"
#include "register_roles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kestrel::boardhw;

namespace {

uint32_t idOf(RegisterRole role) {
    return 1000 + static_cast<uint32_t>(role);
}

// Every role register, plain 16-bit and writable unless its name makes it a table or a text.
std::vector<RegisterDefinition> roleDesign() {
    std::vector<RegisterDefinition> definitions;
    for (std::size_t i = 0; i < kRoleCount; ++i) {
        const auto role = static_cast<RegisterRole>(i);
        const std::string name(roleRegisterName(role));
        definitions.push_back({idOf(role), name, 16, true, kindOfName(name)});
    }
    return definitions;
}

} // namespace

TEST(DesignSettings, ReadRegisterValuesInTheirPhysicalUnits) {
    RegisterFile file(roleDesign());
    const RoleMap roles(file);
    auto set = [&](RegisterRole role, uint64_t value) { ASSERT_EQ(file.force(idOf(role), value), 0); };
    set(RegisterRole::GeneratorEnable, 1);
    set(RegisterRole::GeneratorWidth, 256);
    set(RegisterRole::GeneratorLineWidth, 260);
    set(RegisterRole::GeneratorHeight, 1023);
    set(RegisterRole::GeneratorActive, 7); // 8 of 25 clocks active: 40 MHz
    set(RegisterRole::GeneratorPassive, 16);
    set(RegisterRole::BankXLength1, 640);
    set(RegisterRole::ShadingXOffset0, 4);
    set(RegisterRole::ShadingXLength0, 160);
    set(RegisterRole::OutputFormatSelect, 1);
    set(RegisterRole::CameraFormat, 1);
    set(RegisterRole::NoiseFilterSelect, 1);
    set(RegisterRole::FillLevel1, 80);

    const DesignSettings s = readDesignSettings(file, roles);
    EXPECT_TRUE(s.generator.enabled);
    EXPECT_EQ(s.generator.frameWidthPixels(), 1024u);
    EXPECT_EQ(s.generator.lineLengthClocks(), 1040u);
    EXPECT_EQ(s.generator.frameHeightLines(), 1024u);
    EXPECT_DOUBLE_EQ(s.generator.pixelRateHz(), 40.0e6);
    EXPECT_EQ(s.bankWindow[1].widthPixels, 640u);
    EXPECT_EQ(s.bankWindow[0].widthPixels, 0u);
    EXPECT_EQ(s.shadingWindow[0].xOffsetPixels, 16u);
    EXPECT_EQ(s.shadingWindow[0].widthPixels, 640u);
    EXPECT_TRUE(s.eightBitOutput);
    EXPECT_EQ(s.bitsPerOutputPixel(), 8u);
    EXPECT_EQ(s.cameraBitDepth(), 10u);
    EXPECT_TRUE(s.noiseFilter);
    EXPECT_EQ(s.fillLevelPercent[1], 80u);
}

TEST(DesignSettings, ReadMissingRegistersAsZero) {
    const RegisterFile file({{1, "Unrelated", 8, true}});
    const DesignSettings s = readDesignSettings(file, RoleMap(file));
    EXPECT_FALSE(s.generator.enabled);
    EXPECT_EQ(s.bankWindow[0].heightLines, 0u);
    EXPECT_EQ(s.bitsPerOutputPixel(), 16u);
}

TEST(Board, RefusesEverythingBeforeADesignIsLoaded) {
    Board board(0);
    uint64_t value = 0;
    uint32_t entry = 0;
    BoardImageFormat format{};
    EXPECT_FALSE(board.hasDesign());
    EXPECT_EQ(board.write(1, 1), BOARD_ERR_NO_DESIGN);
    EXPECT_EQ(board.read(1, value), BOARD_ERR_NO_DESIGN);
    EXPECT_EQ(board.force(1, 1), BOARD_ERR_NO_DESIGN);
    EXPECT_EQ(board.writeLut(0, &entry, 1), BOARD_ERR_NO_DESIGN);
    EXPECT_EQ(board.imageFormat(format), BOARD_ERR_NO_DESIGN);
}

TEST(Board, LoadingADesignResetsRegistersAndMemories) {
    Board board(0);
    ASSERT_EQ(board.loadDesign(roleDesign()), BOARD_OK);
    const uint32_t xLength = idOf(RegisterRole::BankXLength0);
    const uint32_t file0 = idOf(RegisterRole::CoefficientFile0);
    ASSERT_EQ(board.write(xLength, 512), BOARD_OK);
    const uint32_t entry = 7;
    ASSERT_EQ(board.writeLut(3, &entry, 1), BOARD_OK);
    ASSERT_EQ(board.setText(file0, "/tmp/coef.tiff"), BOARD_OK);
    std::vector<uint16_t> line(BOARD_COEFFICIENT_SIDE, 9);
    ASSERT_EQ(board.writeCoefficientLines(BOARD_COEFFICIENT_GAIN, 0, 1, line.data()), BOARD_OK);

    ASSERT_EQ(board.loadDesign(roleDesign()), BOARD_OK);
    uint64_t value = 1;
    ASSERT_EQ(board.read(xLength, value), BOARD_OK);
    EXPECT_EQ(value, 0u);
    uint32_t back = 1;
    ASSERT_EQ(board.readLut(3, &back, 1), BOARD_OK);
    EXPECT_EQ(back, 0u);
    char text[8] = "x";
    ASSERT_EQ(board.getText(file0, text, sizeof text), BOARD_OK);
    EXPECT_STREQ(text, "");
    ASSERT_EQ(board.readCoefficientLines(BOARD_COEFFICIENT_GAIN, 0, 1, line.data()), BOARD_OK);
    EXPECT_EQ(line[0], 4096);
}

TEST(Board, KeepsItsDesignWhenANewOneIsUnusable) {
    Board board(0);
    ASSERT_EQ(board.loadDesign({{5, "Kept", 8, true}}), BOARD_OK);
    ASSERT_EQ(board.write(5, 3), BOARD_OK);
    EXPECT_EQ(board.loadDesign({{5, "A", 8, true}, {5, "B", 8, true}}), BOARD_ERR_INVALID_DESIGN);
    uint64_t value = 0;
    ASSERT_EQ(board.read(5, value), BOARD_OK);
    EXPECT_EQ(value, 3u);
}

TEST(Board, DescribesRegisterKindsWidthsAndAccess) {
    Board board(0);
    ASSERT_EQ(board.loadDesign(roleDesign()), BOARD_OK);
    BoardRegisterDescription d{};
    ASSERT_EQ(board.describe(idOf(RegisterRole::LutContent), d), BOARD_OK);
    EXPECT_EQ(d.kind, BOARD_REGISTER_TABLE);
    ASSERT_EQ(board.describe(idOf(RegisterRole::CoefficientFile1), d), BOARD_OK);
    EXPECT_EQ(d.kind, BOARD_REGISTER_TEXT);
    ASSERT_EQ(board.describe(idOf(RegisterRole::GeneratorRoll), d), BOARD_OK);
    EXPECT_EQ(d.kind, BOARD_REGISTER_VALUE);
    EXPECT_EQ(d.widthBits, 16);
    EXPECT_EQ(d.writable, 1);
    EXPECT_EQ(board.describe(1, d), BOARD_ERR_UNKNOWN_REGISTER);
}

TEST(Board, KeepsTextRegistersWithinTheirLimits) {
    Board board(0);
    ASSERT_EQ(board.loadDesign({{1, "Plain", 8, true, RegisterKind::Value},
                                {2, "Name", 16, true, RegisterKind::Text},
                                {3, "Fixed", 16, false, RegisterKind::Text}}),
              BOARD_OK);
    EXPECT_EQ(board.setText(1, "a"), BOARD_ERR_WRONG_KIND);
    EXPECT_EQ(board.setText(3, "a"), BOARD_ERR_READ_ONLY);
    EXPECT_EQ(board.setText(2, nullptr), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(board.setText(2, std::string(BOARD_MAX_TEXT_BYTES, 'x').c_str()), BOARD_ERR_TEXT_TOO_LONG);
    const std::string longest(BOARD_MAX_TEXT_BYTES - 1, 'y');
    ASSERT_EQ(board.setText(2, longest.c_str()), BOARD_OK);
    std::vector<char> buffer(BOARD_MAX_TEXT_BYTES);
    ASSERT_EQ(board.getText(2, buffer.data(), static_cast<uint32_t>(buffer.size())), BOARD_OK);
    EXPECT_EQ(std::string(buffer.data()), longest);
    EXPECT_EQ(board.getText(2, buffer.data(), static_cast<uint32_t>(longest.size())),
              BOARD_ERR_BUFFER_TOO_SMALL);
}

TEST(Board, ReportsTheImageFormatOfBankZero) {
    Board board(0);
    ASSERT_EQ(board.loadDesign(roleDesign()), BOARD_OK);
    ASSERT_EQ(board.write(idOf(RegisterRole::BankXLength0), 1024), BOARD_OK);
    ASSERT_EQ(board.write(idOf(RegisterRole::BankYLength0), 768), BOARD_OK);
    ASSERT_EQ(board.write(idOf(RegisterRole::BankXOffset0), 16), BOARD_OK);
    ASSERT_EQ(board.write(idOf(RegisterRole::OutputBitAlignment), 1), BOARD_OK);
    ASSERT_EQ(board.write(idOf(RegisterRole::GeneratorEnable), 1), BOARD_OK);
    BoardImageFormat f{};
    ASSERT_EQ(board.imageFormat(f), BOARD_OK);
    EXPECT_EQ(f.widthPixels, 1024u);
    EXPECT_EQ(f.heightLines, 768u);
    EXPECT_EQ(f.xOffsetPixels, 16u);
    EXPECT_EQ(f.bitsPerPixel, 16u);
    EXPECT_EQ(f.leftAligned, 1u);
    EXPECT_EQ(f.generatorSource, 1u);
}

TEST(BoardRegistry, OpensEachBoardOnceAndNeverReusesAHandle) {
    BoardRegistry& registry = BoardRegistry::instance();
    int32_t error = 1;
    void* first = registry.open(2, error);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(error, BOARD_OK);
    EXPECT_EQ(registry.open(2, error), nullptr);
    EXPECT_EQ(error, BOARD_ERR_BOARD_IN_USE);
    ASSERT_EQ(registry.close(first), BOARD_OK);
    EXPECT_EQ(registry.close(first), BOARD_ERR_INVALID_HANDLE);
    void* second = registry.open(2, error);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(registry.find(first), nullptr);
    ASSERT_NE(registry.find(second), nullptr);
    EXPECT_EQ(registry.find(second)->index(), 2);
    EXPECT_EQ(registry.close(second), BOARD_OK);
}

TEST(BoardRegistry, RefusesIndexesOutsideTheMachine) {
    int32_t error = 0;
    EXPECT_EQ(BoardRegistry::instance().open(-1, error), nullptr);
    EXPECT_EQ(error, BOARD_ERR_NO_SUCH_BOARD);
    EXPECT_EQ(BoardRegistry::instance().open(BoardRegistry::kBoardCount, error), nullptr);
    EXPECT_EQ(error, BOARD_ERR_NO_SUCH_BOARD);
}
