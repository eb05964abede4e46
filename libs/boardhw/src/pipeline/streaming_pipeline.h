// The fast pipeline: lines stream through the stages, large frames split over the processors.
#pragma once

#include "pipeline/output.h"
#include "pipeline/pixel_pipeline.h"
#include "pipeline/worker_pool.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kestrel::board {

struct StreamingOptions {
    // Threads working on one frame, the caller included; 0 means one per processor.
    unsigned threads = 0;
    // A frame is split into bands of at least this many pixels; smaller frames run on the caller.
    size_t minPixelsPerBand = size_t{1} << 14;
};

// Each line is shaded, repaired and filtered in buffers of a few lines that stay in the cache:
// no intermediate frame is ever built. The median keeps a window of three prepared lines. A
// frame is cut into bands of lines that the threads take one at a time; the line above and below
// a band are prepared twice, once by each neighbour, which costs less than sharing them.
class StreamingPipeline final : public PixelPipeline {
public:
    explicit StreamingPipeline(const StreamingOptions& options = {});
    StreamingPipeline(const PipelineSettings& settings, const StreamingOptions& options = {});
    ~StreamingPipeline() override;

    void configure(const PipelineSettings& settings) override;
    const PipelineSettings& settings() const override { return settings_; }
    void process(const SensorRows& sensor, std::span<std::byte> out) override;

    unsigned threadCount() const { return pool_.threadCount(); }

private:
    class Band;

    unsigned bandCount() const;

    size_t minPixelsPerBand_;
    WorkerPool pool_;
    PipelineSettings settings_;
    std::unique_ptr<OutputTable> table_;
    // One per thread of the pool, indexed by the thread.
    std::vector<std::unique_ptr<Band>> bands_;
};

} // namespace kestrel::board
