// The board's acquisition engine: the camera (or the camera simulator) exposes frames on board
// time, free-running or on the trigger's pulses; frames run through the pipeline as the registers
// set it into the on-board buffer, from which the host's DMA takes them.
#pragma once

#include "design_settings.h"
#include "onboard_buffer.h"
#include "pipeline/coefficient_plane.h"
#include "pipeline/frame.h"
#include "pipeline/image_pipeline.h"
#include "pipeline/image_sequence_source.h"
#include "pipeline/parallel_copy.h"
#include "pipeline/scene_source.h"
#include "pipeline/settings.h"

#include <cstddef>
#include <cstdint>
#include <deque>
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
    uint64_t exposureNs = 0;       // board time the exposure started (board-time acquisition)
    uint64_t completedNs = 0;      // board time the frame was complete on the board
    uint64_t framesLostBefore = 0; // frames lost to a full on-board buffer before this one
};

// The state of the on-board side of an acquisition.
struct OnBoardStatus {
    uint64_t nowNs = 0;         // board time last advanced to
    uint64_t framesStored = 0;  // frames waiting in the on-board buffer for the DMA
    uint64_t framesLost = 0;    // frames the full on-board buffer could not take, since the start
    uint64_t framesExposed = 0; // exposures since the start
    std::array<uint32_t, kOnBoardBanks> fillPercent{};
    bool overflow = false;
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
//
// Two ways to run it. nextFrame() makes the next frame at once (no board time, no on-board
// buffer). advanceTo() runs board time: exposures start free-running one frame period apart, or
// at the trigger's exposure edges while the trigger drives the camera; a frame is complete one
// frame period after its exposure started (a triggered camera reads out one frame at a time), and
// then goes into the on-board buffer, or is lost when that is full: the overflow register is set
// and the overflow event fires. takeFrame() is the DMA. A stored frame's pixels are made when the
// DMA takes it, with the settings it completed under (see StoredFrame).
class Acquisition {
public:
    explicit Acquisition(Board& board);
    ~Acquisition();
    Acquisition(const Acquisition&) = delete;
    Acquisition& operator=(const Acquisition&) = delete;

    // Acquisition start: board time 0, the sources and the selector count from frame 0 again, the
    // on-board buffer is empty, the overflow and fill-level registers read 0, the trigger restarts
    // and pending events are dropped.
    void restart();
    // What the camera looks at while the simulator is off (the synthetic scene until changed);
    // `flatLevel` is the flat field's light at the optical centre. From the next frame on.
    void setScene(board::SceneContent content, double flatLevel);
    // Images the camera shows instead of its scene, frame n showing image n mod count; none
    // brings the scene back. From the next frame on.
    void setCameraImages(std::shared_ptr<const board::CameraImages> images);
    // Produces the next frame the image selector passes into `out`; a frame larger than `out` is
    // cut to its size. BOARD_ codes.
    int32_t nextFrame(std::span<std::byte> out, DeliveredFrame& delivered);

    // Runs board time up to nowNs (an earlier time is ignored). BOARD_ codes.
    int32_t advanceTo(uint64_t nowNs);
    // The next board time after the current one at which something happens by itself.
    std::optional<uint64_t> nextActivityNs();
    // Moves the oldest frame of the on-board buffer into `out` (cut to its size). False when the
    // buffer is empty.
    bool takeFrame(std::span<std::byte> out, DeliveredFrame& delivered);
    OnBoardStatus status();

private:
    struct Exposure {
        uint64_t startNs = 0;
        uint64_t endNs = 0;
    };

    void refreshCoefficients(board::PipelineSettings& settings, const DesignSettings& design);
    const std::shared_ptr<const board::FrameSource>& sourceFor(const DesignSettings& design);
    template <class Source, class Settings>
    const std::shared_ptr<const board::FrameSource>& sourceWith(const Settings& settings);
    // The recipe for a frame completing now. Frames that wait under other settings are made at
    // once, into the board's memory, so that only the newest recipe is ever kept waiting.
    std::shared_ptr<const FrameRecipe> recipeFor(const board::PipelineSettings& settings,
                                                 const std::shared_ptr<const board::FrameSource>& source);
    void render(const FrameRecipe& recipe, uint64_t frame, std::span<std::byte> out);
    // Makes a waiting frame's pixels in the board's memory; the frame keeps no recipe after.
    void renderOnBoard(StoredFrame& frame);
    // Configures the pipeline from the registers as they are now; the output size.
    int32_t configure(DesignSettings& design, board::PipelineSettings& settings);
    // One sensor frame completes: through the selector into the on-board buffer, or lost.
    int32_t complete(const Exposure& exposure);
    void startExposure(uint64_t startNs, uint64_t periodNs);
    uint64_t framePeriodNs();
    void publishBufferState();
    bool triggerDrivesCamera();

    Board& board_;
    std::mutex mutex_;
    board::ImagePipeline pipeline_;
    board::ParallelCopy dma_;
    std::vector<std::byte> scratch_;
    uint64_t coefficientGeneration_ = UINT64_MAX;
    std::shared_ptr<const board::CoefficientPlane> offsets_;
    std::shared_ptr<const board::CoefficientPlane> gains_;
    std::shared_ptr<const board::FrameSource> source_;
    std::shared_ptr<const FrameRecipe> newestRecipe_;
    board::SceneContent sceneContent_ = board::SceneContent::Synthetic;
    double flatLevel_ = board::SceneSettings{}.flatLevel;
    std::shared_ptr<const board::CameraImages> cameraImages_;

    // Board time.
    uint64_t nowNs_ = 0;
    uint64_t nextFreeRunNs_ = 0;     // next free-running exposure
    uint64_t cameraBusyUntilNs_ = 0; // end of the last exposure's readout
    std::deque<Exposure> inFlight_;  // exposures whose frames are not complete yet
    OnBoardBuffer onBoard_;
    uint64_t framesLost_ = 0;
    uint64_t framesExposed_ = 0;
    bool overflow_ = false;
};

} // namespace kestrel::boardhw
