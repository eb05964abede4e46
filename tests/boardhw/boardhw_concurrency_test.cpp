// Several threads on one board: every access sees whole values, nothing is lost.
#include "boardhw.h"
#include "test_design.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(BoardConcurrency, ThreadsWritingTheirOwnRegistersEachReadBackTheirLastValue) {
    int32_t error = 0;
    void* board = Board_Open(0, &error);
    ASSERT_NE(board, nullptr);
    const auto image = kestrel::testing::openSmallDesign();
    ASSERT_EQ(Board_LoadDesign(board, image.get()), BOARD_OK);

    const std::vector<uint32_t> ids = {100201, 100202, 100203, 100204};
    std::vector<int> failures(ids.size(), 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < ids.size(); ++t) {
        threads.emplace_back([&, t] {
            for (uint64_t v = 0; v < 2000; ++v) {
                uint64_t back = 0;
                if (Board_WriteRegister(board, ids[t], v) != BOARD_OK ||
                    Board_ReadRegister(board, ids[t], &back) != BOARD_OK || back != v)
                    ++failures[t];
                uint32_t entry = static_cast<uint32_t>(v % 4096);
                if (Board_WriteLut(board, static_cast<uint32_t>(t), &entry, 1) != BOARD_OK)
                    ++failures[t];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (std::size_t t = 0; t < ids.size(); ++t)
        EXPECT_EQ(failures[t], 0) << "thread " << t;
    EXPECT_EQ(Board_Close(board), BOARD_OK);
}

TEST(BoardConcurrency, ClosingWhileOthersCallLeavesThemWithACodeNotACrash) {
    int32_t error = 0;
    void* board = Board_Open(1, &error);
    ASSERT_NE(board, nullptr);
    const auto image = kestrel::testing::openSmallDesign();
    ASSERT_EQ(Board_LoadDesign(board, image.get()), BOARD_OK);
    std::thread caller([board] {
        for (int i = 0; i < 5000; ++i) {
            const int32_t rc = Board_WriteRegister(board, 100201, static_cast<uint64_t>(i));
            if (rc != BOARD_OK && rc != BOARD_ERR_INVALID_HANDLE)
                ADD_FAILURE() << rc;
        }
    });
    EXPECT_EQ(Board_Close(board), BOARD_OK);
    caller.join();
}
