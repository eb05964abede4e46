// The register file and the board's memories: masks, access rules, ranges.
#include "coefficient_memory.h"
#include "lut_memory.h"
#include "register_file.h"

#include "boardhw.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace kestrel::boardhw;

namespace {

RegisterFile smallFile() {
    return RegisterFile({
        {1, "Narrow", 2, true, RegisterKind::Value},
        {2, "Status", 7, false, RegisterKind::Value},
        {3, "Wide", 48, true, RegisterKind::Value},
        {4, "Full", 64, true, RegisterKind::Value},
        {5, "Table", 12, true, RegisterKind::Table},
        {6, "Text", 16, true, RegisterKind::Text},
    });
}

} // namespace

TEST(RegisterFile, MasksWrittenValuesToTheRegisterWidth) {
    RegisterFile file = smallFile();
    uint64_t value = 0;
    ASSERT_EQ(file.write(1, 7), BOARD_OK);
    ASSERT_EQ(file.read(1, value), BOARD_OK);
    EXPECT_EQ(value, 3u);
    ASSERT_EQ(file.write(3, ~uint64_t{0}), BOARD_OK);
    ASSERT_EQ(file.read(3, value), BOARD_OK);
    EXPECT_EQ(value, 0xFFFFFFFFFFFFull);
    ASSERT_EQ(file.write(4, ~uint64_t{0}), BOARD_OK);
    ASSERT_EQ(file.read(4, value), BOARD_OK);
    EXPECT_EQ(value, ~uint64_t{0});
}

TEST(RegisterFile, RefusesWritesToReadOnlyRegistersAndKeepsTheValue) {
    RegisterFile file = smallFile();
    ASSERT_EQ(file.force(2, 42), BOARD_OK);
    EXPECT_EQ(file.write(2, 5), BOARD_ERR_READ_ONLY);
    uint64_t value = 0;
    ASSERT_EQ(file.read(2, value), BOARD_OK);
    EXPECT_EQ(value, 42u);
}

TEST(RegisterFile, ForcedWritesAreMaskedToo) {
    RegisterFile file = smallFile();
    ASSERT_EQ(file.force(2, 0x1FF), BOARD_OK);
    EXPECT_EQ(file.valueOr0(2), 0x7Fu);
}

TEST(RegisterFile, RefusesUnknownIdsAndValueAccessToTablesAndTexts) {
    RegisterFile file = smallFile();
    uint64_t value = 99;
    EXPECT_EQ(file.write(77, 1), BOARD_ERR_UNKNOWN_REGISTER);
    EXPECT_EQ(file.read(77, value), BOARD_ERR_UNKNOWN_REGISTER);
    EXPECT_EQ(file.write(5, 1), BOARD_ERR_WRONG_KIND);
    EXPECT_EQ(file.force(6, 1), BOARD_ERR_WRONG_KIND);
    EXPECT_EQ(file.read(6, value), BOARD_ERR_WRONG_KIND);
    EXPECT_EQ(value, 99u);
}

TEST(RegisterFile, FindsRegistersByIdAndName) {
    RegisterFile file = smallFile();
    EXPECT_EQ(file.idOf("Wide"), 3u);
    EXPECT_EQ(file.idOf("wide"), 0u);
    ASSERT_NE(file.find(5), nullptr);
    EXPECT_EQ(file.find(5)->kind, RegisterKind::Table);
    EXPECT_EQ(file.find(0), nullptr);
}

TEST(RegisterFile, RejectsUnusableTables) {
    using Defs = std::vector<RegisterDefinition>;
    EXPECT_THROW(RegisterFile(Defs{{0, "Zero", 8, true}}), std::invalid_argument);
    EXPECT_THROW(RegisterFile(Defs{{1, "NoBits", 0, true}}), std::invalid_argument);
    EXPECT_THROW(RegisterFile(Defs{{1, "TooWide", 65, true}}), std::invalid_argument);
    EXPECT_THROW(RegisterFile(Defs{{1, "A", 8, true}, {1, "B", 8, true}}), std::invalid_argument);
    EXPECT_THROW(RegisterFile(Defs{{1, "A", 8, true}, {2, "A", 8, true}}), std::invalid_argument);
}

TEST(LutMemory, WritesAndReadsRanges) {
    LutMemory lut;
    const std::vector<uint32_t> entries = {1, 2, 4095};
    ASSERT_EQ(lut.write(4093, entries.data(), 3), BOARD_OK);
    std::vector<uint32_t> back(3);
    ASSERT_EQ(lut.read(4093, back.data(), 3), BOARD_OK);
    EXPECT_EQ(back, entries);
    EXPECT_EQ(lut.at(0), 0u);
}

TEST(LutMemory, RefusesATransferWithAnOversizedEntryWhole) {
    LutMemory lut;
    const std::vector<uint32_t> entries = {7, 4096, 9};
    EXPECT_EQ(lut.write(0, entries.data(), 3), BOARD_ERR_OUT_OF_RANGE);
    EXPECT_EQ(lut.at(0), 0u);
}

TEST(LutMemory, RefusesRangesOutsideTheMemory) {
    LutMemory lut;
    uint32_t entry = 1;
    EXPECT_EQ(lut.write(4096, &entry, 1), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(lut.read(4095, &entry, 2), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(lut.write(0xFFFFFFFFu, &entry, 2), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(lut.write(0, nullptr, 1), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(lut.write(4096, nullptr, 0), BOARD_OK);
}

TEST(CoefficientMemory, ReadsItsResetValueWithoutAllocating) {
    CoefficientMemory gain(4096);
    std::vector<uint16_t> line(CoefficientMemory::kSide, 1);
    ASSERT_EQ(gain.readLines(4095, 1, line.data()), BOARD_OK);
    EXPECT_EQ(line.front(), 4096);
    EXPECT_EQ(line.back(), 4096);
    EXPECT_FALSE(gain.allocated());
}

TEST(CoefficientMemory, KeepsWrittenLinesAndTheRestAtReset) {
    CoefficientMemory offset(0);
    std::vector<uint16_t> lines(2 * CoefficientMemory::kSide);
    for (std::size_t i = 0; i < lines.size(); ++i)
        lines[i] = static_cast<uint16_t>(i);
    ASSERT_EQ(offset.writeLines(10, 2, lines.data()), BOARD_OK);
    EXPECT_TRUE(offset.allocated());
    EXPECT_EQ(offset.at(5, 10), 5);
    EXPECT_EQ(offset.at(5, 11), 4096 + 5);
    EXPECT_EQ(offset.at(5, 12), 0);
    offset.reset();
    EXPECT_FALSE(offset.allocated());
    EXPECT_EQ(offset.at(5, 10), 0);
}

TEST(CoefficientMemory, RefusesLinesOutsideTheMemory) {
    CoefficientMemory offset(0);
    std::vector<uint16_t> line(CoefficientMemory::kSide);
    EXPECT_EQ(offset.writeLines(4096, 1, line.data()), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(offset.readLines(4095, 2, line.data()), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(offset.writeLines(0, 1, nullptr), BOARD_ERR_INVALID_ARGUMENT);
}
