// Persistent worker threads for the streaming pipeline.
#include "pipeline/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace kestrel::board {

namespace {

// About the time a small frame's band takes: long enough to catch the next frame of a stream,
// short enough not to matter when none comes.
constexpr auto kLookBeforeSleeping = std::chrono::microseconds(200);

// Yields until done() or the look-out time is over; true when done.
template <class Done> bool lookFor(Done done) {
    const auto until = std::chrono::steady_clock::now() + kLookBeforeSleeping;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::yield();
    }
    return true;
}

} // namespace

WorkerPool::WorkerPool(unsigned threads) {
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    workers_.reserve(threads - 1);
    for (unsigned thread = 1; thread < threads; ++thread)
        workers_.emplace_back([this, thread] { workerLoop(thread); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void WorkerPool::run(unsigned tasks, const Task& task) {
    if (tasks == 0)
        return;
    if (workers_.empty() || tasks == 1) {
        for (unsigned i = 0; i < tasks; ++i)
            task(i, 0);
        return;
    }
    std::lock_guard runLock(runMutex_);
    {
        std::lock_guard lock(mutex_);
        task_ = &task;
        taskCount_ = tasks;
        nextTask_ = 0;
        unfinished_ = tasks;
        error_ = nullptr;
        ++generation_;
    }
    wake_.notify_all();
    drainTasks(0);
    lookFor([this] { return unfinished_.load() == 0; });
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [this] { return unfinished_ == 0; });
    task_ = nullptr;
    if (error_)
        std::rethrow_exception(std::exchange(error_, nullptr));
}

void WorkerPool::drainTasks(unsigned thread) {
    for (;;) {
        const Task* task = nullptr;
        unsigned index = 0;
        {
            std::lock_guard lock(mutex_);
            if (nextTask_ >= taskCount_)
                return;
            // A claimed task keeps its run unfinished, so task_ stays valid while it runs.
            task = task_;
            index = nextTask_++;
        }
        std::exception_ptr error;
        try {
            (*task)(index, thread);
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard lock(mutex_);
        if (error && !error_)
            error_ = error;
        if (--unfinished_ == 0)
            finished_.notify_all();
    }
}

void WorkerPool::workerLoop(unsigned thread) {
    uint64_t seenGeneration = 0;
    for (;;) {
        lookFor([&] { return generation_.load() != seenGeneration; });
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seenGeneration; });
            if (stopping_)
                return;
            seenGeneration = generation_;
        }
        drainTasks(thread);
    }
}

} // namespace kestrel::board
