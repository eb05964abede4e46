// A small persistent pool of threads that share out the lines of large frames.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrel::board {

// The threads live as long as the pool, so a frame costs two wake-ups, not two thread starts, and
// frames that follow each other closely (an acquisition, a benchmark) cost none: a thread that
// finished looks for the next run, or the caller for the last task's end, for a little while
// (giving the processor to anyone who wants it meanwhile) before it sleeps.
// The calling thread works too: a pool of N threads starts N - 1.
class WorkerPool {
public:
    // `threads` >= 1 counts the caller; 0 means one per processor.
    explicit WorkerPool(unsigned threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    unsigned threadCount() const { return unsigned(workers_.size()) + 1; }

    // What a task is given: its index, and the thread running it (0 for the caller, then 1 up to
    // threadCount() - 1). One thread runs one task at a time, so a task may use storage kept
    // per thread without locking it.
    using Task = std::function<void(unsigned task, unsigned thread)>;

    // Calls task(i, thread) once for every i in [0, tasks), spread over the pool and the caller,
    // and returns when all calls have returned. Threads take the next task as they finish one,
    // so a thread slowed by anything else still finishes its share with the others. The first
    // exception a task throws is rethrown here (the other tasks still run). Calls from several
    // threads are served one after the other.
    void run(unsigned tasks, const Task& task);

private:
    void workerLoop(unsigned thread);
    void drainTasks(unsigned thread);

    std::mutex runMutex_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    const Task* task_ = nullptr;
    unsigned taskCount_ = 0;
    unsigned nextTask_ = 0;
    std::atomic<unsigned> unfinished_ = 0;
    std::atomic<uint64_t> generation_ = 0;
    bool stopping_ = false;
    std::exception_ptr error_;
    std::vector<std::thread> workers_;
};

} // namespace kestrel::board
