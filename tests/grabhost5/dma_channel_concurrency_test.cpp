// A waiting application and the transfer side on different threads.
#include "dma_channel.h"

#include "grabhost5.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace kestrel::host;
using namespace std::chrono_literals;

TEST(DmaChannelConcurrency, AWaiterWakesWhenItsPictureArrives) {
    DmaChannel channel;
    ASSERT_EQ(channel.start(7, std::make_shared<MemoryRing>(1, 8), GH5_GRAB_INFINITE), GH5_OK);
    int64_t result = 0;
    // The timeout is far beyond the test's life: only the pictures can end this wait.
    std::thread waiter([&] { result = channel.waitForPicture(3, 7, 100000s); });
    for (int i = 0; i < 3; ++i)
        channel.pictureTransferred();
    waiter.join();
    EXPECT_GE(result, 3);
}

TEST(DmaChannelConcurrency, AShutdownWakesEveryWaiter) {
    DmaChannel channel;
    ASSERT_EQ(channel.start(7, std::make_shared<MemoryRing>(1, 8), GH5_GRAB_INFINITE), GH5_OK);
    std::vector<int64_t> results(4, 0);
    std::vector<std::thread> waiters;
    for (std::size_t i = 0; i < results.size(); ++i)
        waiters.emplace_back([&, i] { results[i] = channel.waitForPicture(1, 7, 100000s); });
    channel.shutdown();
    for (auto& waiter : waiters)
        waiter.join();
    for (int64_t result : results)
        EXPECT_TRUE(result == GH5_ERR_ABORTED || result == GH5_ERR_NOT_RUNNING) << result;
}
