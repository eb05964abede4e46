// The board's acquisition engine: frames from the active source through the pipeline as the
// registers set it, one delivered frame per request of the host's DMA.
#pragma once

#include "design_settings.h"
#include "pipeline/coefficient_plane.h"
#include "pipeline/frame.h"
#include "pipeline/image_pipeline.h"
#include "pipeline/scene_source.h"
#include "pipeline/settings.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

namespace kestrel::boardhw {

class Board;

// What one delivered frame was.
struct DeliveredFrame {
    uint64_t bytes = 0;            // size of the whole formatted frame
    uint64_t sourceFrame = 0;      // number of the sensor frame it came from, 0 at the start
    uint64_t sourceFrames = 0;     // sensor frames the request consumed (the selector drops some)
    double framePeriodSeconds = 0; // time one sensor frame takes at the current settings
};

// The virtual camera free-runs at this rate while nothing triggers it.
constexpr double kCameraFramesPerSecond = 30.0;

// Time one sensor frame of the active source takes: the simulator's line length over its pixel
// rate times its height, or the camera's free-running period.
double sourceFramePeriodSeconds(const DesignSettings& settings);

// The registers as the pipeline reads them (coefficient images and the table come separately).
board::PipelineSettings pipelineSettingsOf(const DesignSettings& settings);

// Reads the registers afresh for every frame, so a setting changed during acquisition takes
// effect from the next frame on, as on the hardware. The coefficient images are copied out of
// the board only when they changed since the last frame. Thread-safe.
class Acquisition {
public:
    explicit Acquisition(const Board& board);
    ~Acquisition();
    Acquisition(const Acquisition&) = delete;
    Acquisition& operator=(const Acquisition&) = delete;

    // Acquisition start: the sources and the selector count from frame 0 again.
    void restart();
    // What the camera looks at while the simulator is off (the synthetic scene until changed);
    // `flatLevel` is the flat field's light at the optical centre. From the next frame on.
    void setScene(board::SceneContent content, double flatLevel);
    // Produces the next frame the image selector passes into `out`; a frame larger than `out` is
    // cut to its size. BOARD_ codes.
    int32_t nextFrame(std::span<std::byte> out, DeliveredFrame& delivered);

private:
    void refreshCoefficients(board::PipelineSettings& settings, const DesignSettings& design);
    const board::FrameSource& sourceFor(const DesignSettings& design);

    const Board& board_;
    std::mutex mutex_;
    board::ImagePipeline pipeline_;
    board::Frame12 sensor_;
    std::vector<std::byte> scratch_;
    uint64_t coefficientGeneration_ = UINT64_MAX;
    std::shared_ptr<const board::CoefficientPlane> offsets_;
    std::shared_ptr<const board::CoefficientPlane> gains_;
    std::unique_ptr<board::FrameSource> source_;
    std::optional<board::SceneSettings> sceneSettings_;
    board::SceneContent sceneContent_ = board::SceneContent::Synthetic;
    double flatLevel_ = board::SceneSettings{}.flatLevel;
};

} // namespace kestrel::boardhw
