// Copies of whole frames shared over the processors, as the DMA into host memory moves them.
#pragma once

#include "pipeline/worker_pool.h"

#include <cstddef>

namespace kestrel::board {

// One thread alone cannot use all of the memory's bandwidth: a 32 MiB frame copies in about half
// the time on two threads. Small copies stay on the caller, where waking a thread would cost
// more than it saves.
class ParallelCopy {
public:
    // `threads` as WorkerPool's: the caller counts, 0 means one per processor.
    explicit ParallelCopy(unsigned threads = 0) : pool_(threads) {}

    // memcpy(to, from, bytes); the ranges must not overlap. Calls from several threads are
    // served one after the other.
    void copy(std::byte* to, const std::byte* from, size_t bytes);

private:
    WorkerPool pool_;
};

} // namespace kestrel::board
