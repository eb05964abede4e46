// Waiting for pictures while other threads stop the acquisition or free the grabber.
#include "grabhost5.h"
#include "grabhost5_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

namespace {

class Acquiring : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("KESTREL_APPLET_PATH", FAKE_APPLET_DIR, 1);
        // Stopped time: the waits below can only end by the stop or the free, never by a picture.
        ASSERT_EQ(gh5_clock_select(GH5_CLOCK_STOPPED), GH5_OK);
        ASSERT_EQ(gh5_board_open(0, &board_), GH5_OK);
        ASSERT_EQ(gh5_grabber_create(board_, "FakeApplet", &grabber_), GH5_OK) << gh5_error_detail();
        ASSERT_EQ(gh5_memory_alloc(grabber_, 2, 64, &memory_), GH5_OK);
        ASSERT_EQ(grabber_->exports->Fg_AcquireEx(grabber_, 0, GH5_GRAB_INFINITE, GH5_ACQ_STANDARD, memory_),
                  GH5_OK);
    }
    void TearDown() override {
        if (grabber_ != nullptr) {
            EXPECT_EQ(gh5_grabber_free(grabber_), GH5_OK);
        }
        EXPECT_EQ(gh5_board_close(board_), GH5_OK);
        gh5_clock_select(GH5_CLOCK_REAL);
    }

    Gh5Board* board_ = nullptr;
    Gh5Grabber* grabber_ = nullptr;
    uint64_t memory_ = 0;
};

} // namespace

TEST_F(Acquiring, AStopEndsAWaitWithAbortedInsteadOfTheTimeout) {
    int64_t result = 0;
    std::thread waiter([&] {
        // The timeout is far beyond the test's life: only the stop can end this wait.
        result = grabber_->exports->Fg_getLastPicNumberBlockingEx(grabber_, 1, 0, 100000, memory_);
    });
    // Stopping until it succeeds, then keep the channel stopped; the waiter must see the stop
    // whether it started waiting before or after it.
    ASSERT_EQ(grabber_->exports->Fg_stopAcquireEx(grabber_, 0, memory_, GH5_STOP_ASYNC), GH5_OK);
    waiter.join();
    EXPECT_TRUE(result == GH5_ERR_ABORTED || result == GH5_ERR_NOT_RUNNING) << result;
}

TEST_F(Acquiring, FreeingTheGrabberEndsEveryWaitOnItsHostHandle) {
    void* host = gh5_grabber_host(grabber_);
    ASSERT_NE(host, nullptr);
    std::vector<std::thread> waiters;
    std::vector<int64_t> results(3, 0);
    for (std::size_t i = 0; i < results.size(); ++i)
        waiters.emplace_back(
            [&, i] { results[i] = Fg_getLastPicNumberBlockingEx(host, 1, 0, 100000, memory_); });
    // The waiters may call before or after the free; the host handle refuses them afterwards, so
    // none may hang or crash.
    Gh5Grabber* grabber = grabber_;
    grabber_ = nullptr;
    EXPECT_EQ(gh5_grabber_free(grabber), GH5_OK);
    for (auto& waiter : waiters)
        waiter.join();
    for (int64_t result : results)
        EXPECT_LT(result, 0);
}
