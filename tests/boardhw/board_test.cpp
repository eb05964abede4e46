// The board's C++ core on its own: register file and memories, design settings, the board, the
// registry, the on-board frame memory and pending events.
#include "board.h"
#include "board_registry.h"
#include "coefficient_memory.h"
#include "design_settings.h"
#include "events.h"
#include "lut_memory.h"
#include "onboard_buffer.h"
#include "register_file.h"
#include "register_roles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

using namespace kestrel::boardhw;

namespace {

using Defs = std::vector<RegisterDefinition>;

TEST(RegisterFile, MasksToTheWidthAndRefusesWhatTheRegisterDoesNotAllow) {
    RegisterFile file({{1, "Narrow", 2, true, RegisterKind::Value},
                       {2, "Status", 7, false, RegisterKind::Value},
                       {3, "Wide", 48, true, RegisterKind::Value},
                       {4, "Full", 64, true, RegisterKind::Value},
                       {5, "Table", 12, true, RegisterKind::Table},
                       {6, "Text", 16, true, RegisterKind::Text}});
    for (const auto& [id, written, kept] : {std::tuple{1u, uint64_t{7}, uint64_t{3}},
                                            {3u, ~uint64_t{0}, 0xFFFFFFFFFFFFull},
                                            {4u, ~uint64_t{0}, ~uint64_t{0}}}) {
        uint64_t value = 0;
        ASSERT_EQ(file.write(id, written), BOARD_OK);
        ASSERT_EQ(file.read(id, value), BOARD_OK);
        EXPECT_EQ(value, kept) << id;
    }
    ASSERT_EQ(file.force(2, 0x1FF), BOARD_OK);
    EXPECT_EQ(file.valueOr0(2), 0x7Fu) << "forced writes are masked too";
    EXPECT_EQ(file.write(2, 5), BOARD_ERR_READ_ONLY);
    EXPECT_EQ(file.valueOr0(2), 0x7Fu);
    uint64_t value = 99;
    EXPECT_EQ(file.write(77, 1), BOARD_ERR_UNKNOWN_REGISTER);
    EXPECT_EQ(file.read(77, value), BOARD_ERR_UNKNOWN_REGISTER);
    EXPECT_EQ(file.write(5, 1), BOARD_ERR_WRONG_KIND);
    EXPECT_EQ(file.force(6, 1), BOARD_ERR_WRONG_KIND);
    EXPECT_EQ(file.read(6, value), BOARD_ERR_WRONG_KIND);
    EXPECT_EQ(value, 99u);
    EXPECT_EQ(file.idOf("Wide"), 3u);
    EXPECT_EQ(file.idOf("wide"), 0u);
    ASSERT_NE(file.find(5), nullptr);
    EXPECT_EQ(file.find(5)->kind, RegisterKind::Table);
    EXPECT_EQ(file.find(0), nullptr);
    for (const Defs& unusable :
         {Defs{{0, "Zero", 8, true}}, Defs{{1, "NoBits", 0, true}}, Defs{{1, "TooWide", 65, true}},
          Defs{{1, "A", 8, true}, {1, "B", 8, true}}, Defs{{1, "A", 8, true}, {2, "A", 8, true}}})
        EXPECT_THROW(RegisterFile{unusable}, std::invalid_argument) << unusable.back().name;
}

TEST(LutMemory, KeepsRangesAndRefusesOversizedEntriesAndRangesOutsideWhole) {
    LutMemory lut;
    const std::vector<uint32_t> entries = {1, 2, 4095};
    ASSERT_EQ(lut.write(4093, entries.data(), 3), BOARD_OK);
    std::vector<uint32_t> back(3);
    ASSERT_EQ(lut.read(4093, back.data(), 3), BOARD_OK);
    EXPECT_EQ(back, entries);
    const std::vector<uint32_t> oversized = {7, 4096, 9};
    EXPECT_EQ(lut.write(0, oversized.data(), 3), BOARD_ERR_OUT_OF_RANGE);
    EXPECT_EQ(lut.at(0), 0u);
    uint32_t entry = 1;
    EXPECT_EQ(lut.write(4096, &entry, 1), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(lut.read(4095, &entry, 2), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(lut.write(0xFFFFFFFFu, &entry, 2), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(lut.write(0, nullptr, 1), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(lut.write(4096, nullptr, 0), BOARD_OK);
}

TEST(CoefficientMemory, ReadsItsResetValueUntilWrittenAndRefusesLinesOutside) {
    CoefficientMemory gain(4096);
    std::vector<uint16_t> lines(2 * CoefficientMemory::kSide, 1);
    ASSERT_EQ(gain.readLines(4095, 1, lines.data()), BOARD_OK);
    EXPECT_EQ(lines.front(), 4096);
    EXPECT_EQ(lines[CoefficientMemory::kSide - 1], 4096);
    EXPECT_FALSE(gain.allocated());
    CoefficientMemory offset(0);
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
    EXPECT_EQ(offset.writeLines(4096, 1, lines.data()), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(offset.readLines(4095, 2, lines.data()), BOARD_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(offset.writeLines(0, 1, nullptr), BOARD_ERR_INVALID_ARGUMENT);
}

uint32_t idOf(RegisterRole role) {
    return 1000 + static_cast<uint32_t>(role);
}

// Every role register, plain 16-bit and writable unless its name makes it a table or a text.
Defs roleDesign() {
    Defs definitions;
    for (std::size_t i = 0; i < kRoleCount; ++i) {
        const std::string name(roleRegisterName(static_cast<RegisterRole>(i)));
        definitions.push_back({idOf(static_cast<RegisterRole>(i)), name, 16, true, kindOfName(name)});
    }
    return definitions;
}

TEST(Board, RefusesEverythingBeforeADesignAndKeepsItsDesignWhenANewOneIsUnusable) {
    Board board(0);
    uint64_t value = 0;
    uint32_t entry = 0;
    BoardImageFormat format{};
    EXPECT_FALSE(board.hasDesign());
    for (const int32_t code : {board.write(1, 1), board.read(1, value), board.force(1, 1),
                               board.writeLut(0, &entry, 1), board.imageFormat(format)})
        EXPECT_EQ(code, BOARD_ERR_NO_DESIGN);
    ASSERT_EQ(board.loadDesign({{5, "Kept", 8, true}}), BOARD_OK);
    ASSERT_EQ(board.write(5, 3), BOARD_OK);
    EXPECT_EQ(board.loadDesign({{5, "A", 8, true}, {5, "B", 8, true}}), BOARD_ERR_INVALID_DESIGN);
    ASSERT_EQ(board.read(5, value), BOARD_OK);
    EXPECT_EQ(value, 3u);
}

TEST(Board, LoadingADesignResetsRegistersAndMemories) {
    Board board(0);
    ASSERT_EQ(board.loadDesign(roleDesign()), BOARD_OK);
    const uint32_t xLength = idOf(RegisterRole::BankXLength0);
    const uint32_t file0 = idOf(RegisterRole::CoefficientFile0);
    ASSERT_EQ(board.write(xLength, 512), BOARD_OK);
    uint32_t entry = 7;
    ASSERT_EQ(board.writeLut(3, &entry, 1), BOARD_OK);
    ASSERT_EQ(board.setText(file0, "/tmp/coef.tiff"), BOARD_OK);
    std::vector<uint16_t> line(BOARD_COEFFICIENT_SIDE, 9);
    ASSERT_EQ(board.writeCoefficientLines(BOARD_COEFFICIENT_GAIN, 0, 1, line.data()), BOARD_OK);

    ASSERT_EQ(board.loadDesign(roleDesign()), BOARD_OK);
    uint64_t value = 1;
    ASSERT_EQ(board.read(xLength, value), BOARD_OK);
    EXPECT_EQ(value, 0u);
    ASSERT_EQ(board.readLut(3, &entry, 1), BOARD_OK);
    EXPECT_EQ(entry, 0u);
    char text[8] = "x";
    ASSERT_EQ(board.getText(file0, text, sizeof text), BOARD_OK);
    EXPECT_STREQ(text, "");
    ASSERT_EQ(board.readCoefficientLines(BOARD_COEFFICIENT_GAIN, 0, 1, line.data()), BOARD_OK);
    EXPECT_EQ(line[0], 4096);
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

TEST(BoardRegistry, OpensEachBoardOnceNeverReusesAHandleAndRefusesIndexesOutside) {
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
    for (int32_t index : {-1, int32_t{BoardRegistry::kBoardCount}}) {
        EXPECT_EQ(registry.open(index, error), nullptr);
        EXPECT_EQ(error, BOARD_ERR_NO_SUCH_BOARD);
    }
}

StoredFrame frameOf(uint64_t bytes, uint64_t number) {
    StoredFrame frame;
    frame.bytes = bytes;
    frame.pixels.assign(static_cast<std::size_t>(bytes), std::byte{static_cast<unsigned char>(number)});
    frame.sourceFrame = number;
    return frame;
}

TEST(OnBoardBuffer, WritesTheBanksInTurnAndRefusesAFrameItsBankCannotHold) {
    OnBoardBuffer buffer(1000);
    for (uint64_t n = 0; n < 3; ++n)
        ASSERT_TRUE(buffer.store(frameOf(300, n)));
    EXPECT_EQ(buffer.fillPercent(0), 60u) << "frames 0 and 2";
    EXPECT_EQ(buffer.fillPercent(1), 30u) << "frame 1";
    EXPECT_EQ(buffer.fillPercent(2), 0u) << "no third bank";
    EXPECT_EQ(buffer.frameCount(), 3u);
    ASSERT_TRUE(buffer.store(frameOf(100, 3))); // bank 1 at 40 %
    EXPECT_FALSE(buffer.hasRoomFor(500)) << "due in bank 0, which has 400 bytes left";
    EXPECT_FALSE(buffer.store(frameOf(500, 4)));
    EXPECT_TRUE(buffer.store(frameOf(400, 5))) << "a frame that fits still goes to bank 0";
    EXPECT_EQ(buffer.fillPercent(0), 100u);
    EXPECT_EQ(buffer.frameCount(), 5u);
    buffer.clear();
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(buffer.fillPercent(0), 0u);
    ASSERT_TRUE(buffer.store(frameOf(200, 1)));
    EXPECT_EQ(buffer.fillPercent(0), 20u) << "a cleared buffer starts at the first bank again";
    StoredFrame unmade;
    unmade.bytes = 300;
    ASSERT_TRUE(buffer.store(std::move(unmade)));
    EXPECT_EQ(buffer.fillPercent(1), 30u) << "a frame whose pixels are not made yet takes its size";
}

TEST(OnBoardBuffer, GivesFramesOldestFirstAndFreesTheirBank) {
    OnBoardBuffer buffer(1000);
    for (uint64_t n = 0; n < 4; ++n)
        ASSERT_TRUE(buffer.store(frameOf(500, n)));
    EXPECT_FALSE(buffer.hasRoomFor(1));
    for (uint64_t n = 0; n < 4; ++n) {
        auto frame = buffer.take();
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(frame->sourceFrame, n);
        EXPECT_EQ(frame->pixels.front(), std::byte{static_cast<unsigned char>(n)});
        buffer.recycle(std::move(frame->pixels));
    }
    EXPECT_FALSE(buffer.take().has_value());
    EXPECT_EQ(buffer.fillPercent(0), 0u);
    EXPECT_EQ(buffer.fillPercent(1), 0u);
    EXPECT_EQ(buffer.spare(700).size(), 700u) << "a recycled buffer comes back at the asked size";
}

TEST(EventHub, FoldsOccurrencesPerBitOfTheRecordsPositionUntilAWaitTakesThem) {
    EventHub hub;
    hub.configure({std::string(kOverflowEvent), "", std::string(kFrameStartEvent)});
    EXPECT_EQ(hub.maskOf(kOverflowEvent), 1u);
    EXPECT_EQ(hub.maskOf(kFrameStartEvent), 4u);
    EXPECT_EQ(hub.maskOf(kFrameEndEvent), 0u) << "not a record of this design";
    EXPECT_EQ(hub.maskOf(""), 0u) << "a record without a name is nobody's";

    hub.configure({std::string(kOverflowEvent), std::string(kFrameStartEvent), std::string(kFrameEndEvent)});
    hub.raise(kFrameStartEvent, 500);
    hub.raise(kFrameStartEvent, 900);
    hub.raise(kFrameEndEvent, 700);
    hub.raise(kOverflowEvent, 100);
    hub.raise("Device1_NoSuchEvent", 1);
    EventDelivery delivery;
    ASSERT_TRUE(hub.wait(2 | 4, std::chrono::milliseconds(0), delivery));
    EXPECT_EQ(delivery.mask, 6u);
    EXPECT_EQ(delivery.timestampNs, 500u) << "the earliest of the bits taken";
    EXPECT_EQ(delivery.missed, 1u) << "the second frame start folded into the first";
    EXPECT_FALSE(hub.wait(2 | 4, std::chrono::milliseconds(0), delivery)) << "taken bits are gone";
    ASSERT_TRUE(hub.wait(~uint64_t{0}, std::chrono::milliseconds(0), delivery));
    EXPECT_EQ(delivery.mask, 1u) << "the overflow stayed pending for another wait";
    EXPECT_EQ(delivery.timestampNs, 100u);
    EXPECT_EQ(delivery.missed, 0u);

    delivery = {7, 8, 9};
    EXPECT_FALSE(hub.wait(1, std::chrono::milliseconds(1), delivery));
    EXPECT_EQ(delivery.mask, 7u) << "a timed-out wait leaves the delivery alone";
    hub.raise(kOverflowEvent, 5);
    hub.clear();
    EXPECT_FALSE(hub.wait(1, std::chrono::milliseconds(0), delivery));
}

} // namespace
