// The on-board frame memory and the board's pending events, on their own.
#include "events.h"
#include "onboard_buffer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

using namespace kestrel::boardhw;

namespace {

StoredFrame frameOf(uint64_t bytes, uint64_t number) {
    StoredFrame frame;
    frame.pixels.assign(static_cast<std::size_t>(bytes), std::byte{static_cast<unsigned char>(number)});
    frame.sourceFrame = number;
    return frame;
}

} // namespace

TEST(OnBoardBuffer, WritesTheBanksInTurnAndReportsEachBanksFill) {
    OnBoardBuffer buffer(1000);
    ASSERT_TRUE(buffer.store(frameOf(300, 0)));
    ASSERT_TRUE(buffer.store(frameOf(300, 1)));
    ASSERT_TRUE(buffer.store(frameOf(300, 2)));
    EXPECT_EQ(buffer.fillPercent(0), 60u) << "frames 0 and 2";
    EXPECT_EQ(buffer.fillPercent(1), 30u) << "frame 1";
    EXPECT_EQ(buffer.fillPercent(2), 0u) << "no third bank";
    EXPECT_EQ(buffer.frameCount(), 3u);
    // A bank beyond the last reads nothing of the buffer's other state, whatever it holds.
    OnBoardBuffer small(10);
    ASSERT_TRUE(small.store(frameOf(5, 0)));
    EXPECT_EQ(small.fillPercent(2), 0u);
}

TEST(OnBoardBuffer, RefusesAFrameItsBankCannotHoldEvenWhenTheOtherHasRoom) {
    OnBoardBuffer buffer(1000);
    ASSERT_TRUE(buffer.store(frameOf(600, 0))); // bank 0
    ASSERT_TRUE(buffer.store(frameOf(100, 1))); // bank 1
    EXPECT_FALSE(buffer.hasRoomFor(600)) << "due in bank 0, which has 400 bytes left";
    EXPECT_FALSE(buffer.store(frameOf(600, 2)));
    EXPECT_TRUE(buffer.store(frameOf(400, 3))) << "a frame that fits still goes to bank 0";
    EXPECT_EQ(buffer.fillPercent(0), 100u);
    EXPECT_EQ(buffer.frameCount(), 3u);
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

TEST(OnBoardBuffer, ClearEmptiesBothBanksAndStartsAtTheFirstAgain) {
    OnBoardBuffer buffer(1000);
    ASSERT_TRUE(buffer.store(frameOf(900, 0)));
    buffer.clear();
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(buffer.fillPercent(0), 0u);
    ASSERT_TRUE(buffer.store(frameOf(200, 1)));
    EXPECT_EQ(buffer.fillPercent(0), 20u);
}

TEST(EventHub, GivesEachRecordTheBitOfItsPosition) {
    EventHub hub;
    hub.configure({std::string(kOverflowEvent), "", std::string(kFrameStartEvent)});
    EXPECT_EQ(hub.maskOf(kOverflowEvent), 1u);
    EXPECT_EQ(hub.maskOf(kFrameStartEvent), 4u);
    EXPECT_EQ(hub.maskOf(kFrameEndEvent), 0u) << "not a record of this design";
    EXPECT_EQ(hub.maskOf(""), 0u) << "a record without a name is nobody's";
}

TEST(EventHub, FoldsOccurrencesPerBitUntilAWaitTakesThem) {
    EventHub hub;
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
}

TEST(EventHub, ATimedOutWaitLeavesTheDeliveryAloneAndClearDropsEverything) {
    EventHub hub;
    hub.configure({std::string(kOverflowEvent)});
    EventDelivery delivery{7, 8, 9};
    EXPECT_FALSE(hub.wait(1, std::chrono::milliseconds(1), delivery));
    EXPECT_EQ(delivery.mask, 7u);
    hub.raise(kOverflowEvent, 5);
    hub.clear();
    EXPECT_FALSE(hub.wait(1, std::chrono::milliseconds(0), delivery));
}
