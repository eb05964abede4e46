// The persistent worker pool: every task once, reuse, errors, concurrency of callers.
#include "pipeline/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kestrel::board {
namespace {

TEST(WorkerPool, RunsEveryTaskExactlyOnce) {
    WorkerPool pool(2);
    std::vector<std::atomic<int>> calls(17);
    pool.run(17, [&](unsigned i) { ++calls[i]; });
    for (const auto& count : calls)
        EXPECT_EQ(count.load(), 1);
}

TEST(WorkerPool, CountsTheCallerAmongItsThreads) {
    EXPECT_EQ(WorkerPool(1).threadCount(), 1u);
    EXPECT_EQ(WorkerPool(3).threadCount(), 3u);
    EXPECT_GE(WorkerPool(0).threadCount(), 1u);
}

TEST(WorkerPool, ServesManyRunsWithTheSameThreads) {
    WorkerPool pool(3);
    std::mutex mutex;
    std::set<std::thread::id> threads;
    std::atomic<long> total = 0;
    for (int run = 0; run < 2000; ++run) {
        pool.run(3, [&](unsigned i) {
            total += i + 1;
            std::lock_guard lock(mutex);
            threads.insert(std::this_thread::get_id());
        });
    }
    EXPECT_EQ(total.load(), 2000 * 6);
    EXPECT_LE(threads.size(), 3u); // never a thread per run
}

TEST(WorkerPool, RethrowsATaskErrorAfterTheOtherTasksFinish) {
    WorkerPool pool(2);
    std::atomic<int> finished = 0;
    EXPECT_THROW(pool.run(8,
                          [&](unsigned i) {
                              if (i == 3)
                                  throw std::runtime_error("task failed");
                              ++finished;
                          }),
                 std::runtime_error);
    EXPECT_EQ(finished.load(), 7);
    // The pool still works afterwards.
    finished = 0;
    pool.run(4, [&](unsigned) { ++finished; });
    EXPECT_EQ(finished.load(), 4);
}

TEST(WorkerPool, ZeroTasksReturnsAtOnce) {
    WorkerPool pool(2);
    pool.run(0, [](unsigned) { FAIL(); });
}

TEST(WorkerPool, CallersOnSeveralThreadsAreServedInTurn) {
    WorkerPool pool(2);
    std::atomic<long> total = 0;
    std::vector<std::thread> callers;
    for (int c = 0; c < 3; ++c)
        callers.emplace_back([&] {
            for (int run = 0; run < 300; ++run)
                pool.run(4, [&](unsigned i) { total += i; });
        });
    for (auto& caller : callers)
        caller.join();
    EXPECT_EQ(total.load(), 3 * 300 * 6);
}

} // namespace
} // namespace kestrel::board
