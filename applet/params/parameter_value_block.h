// The current value of every writable catalogue parameter, starting at the values a new applet has.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>

namespace kestrel {

// Number of entries of the lookup table behind FG_LUT_VALUE (12-bit input).
inline constexpr std::size_t kLutEntries = 4096;

// Plain record owned by the applet object. Setters store here after validating and restore the
// old value when a register write fails; configuration save/load reads and writes it. Read-only
// parameters have no field: they are constants, computed, or read from the board or host on get.
struct ParameterValueBlock {
    // Miscellaneous and DMA
    uint32_t timeoutSeconds = 1000000; // FG_TIMEOUT
    uint32_t turboDmaMode = 0;         // FG_TURBO_DMA_MODE

    // Camera Link port
    int32_t cameraLinkCamType = 208; // FG_CAMERA_LINK_CAMTYPE (FG_CL_MEDIUM_8_BIT)
    int32_t useDval = 1;             // FG_USEDVAL

    // Region of interest
    uint32_t widthPixels = 1024; // FG_WIDTH
    uint32_t heightLines = 1024; // FG_HEIGHT
    uint32_t xOffsetPixels = 0;  // FG_XOFFSET
    uint32_t yOffsetLines = 0;   // FG_YOFFSET

    // Output format
    int32_t format = 3;       // FG_FORMAT (FG_GRAY)
    int32_t bitAlignment = 1; // FG_BITALIGNMENT (FG_LEFT_ALIGNED)

    // Camera simulator
    uint32_t generatorEnable = 0;                     // FG_GEN_ENABLE
    uint32_t generatorStart = 1;                      // FG_GEN_START
    uint32_t generatorWidthPixels = 1024;             // FG_GEN_WIDTH
    uint32_t generatorHeightLines = 1024;             // FG_GEN_HEIGHT
    uint32_t generatorLineGapPixels = 4;              // FG_GEN_LINE_GAP
    double generatorFrequencyMHz = 40.0;              // FG_GEN_FREQ
    uint32_t generatorAccuracy = 25;                  // FG_GEN_ACCURACY
    std::array<int32_t, 4> generatorTaps{1, 1, 1, 1}; // FG_GEN_TAP1 .. FG_GEN_TAP4
    uint32_t generatorRoll = 0;                       // FG_GEN_ROLL

    // Image selector and noise filter
    uint32_t imageSelectPeriod = 1; // FG_IMG_SELECT_PERIOD
    uint32_t imageSelect = 0;       // FG_IMG_SELECT
    int32_t noiseFilter = 0;        // FG_NOISEFILTER

    // Lookup table and its processor
    int32_t lutType = 3;                           // FG_LUT_TYPE (LUT_TYPE_PROCESSING)
    std::array<uint32_t, kLutEntries> lutValues{}; // FG_LUT_VALUE, one entry per input value
    std::string lutCustomFile;                     // FG_LUT_CUSTOM_FILE
    std::string lutSaveFile;                       // FG_LUT_SAVE_FILE
    double processingOffset = 0.0;                 // FG_PROCESSING_OFFSET
    double processingGain = 1.0;                   // FG_PROCESSING_GAIN
    double processingGamma = 1.0;                  // FG_PROCESSING_GAMMA
    int32_t processingInvert = 0;                  // FG_PROCESSING_INVERT

    // Shading correction
    int32_t shadingOffsetEnable = 0;                  // FG_SHADING_OFFSET_ENABLE
    int32_t shadingGainEnable = 0;                    // FG_SHADING_GAIN_ENABLE
    uint32_t shadingDeadPixelInterpolationEnable = 0; // FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE
    std::string shadingBlackFile;                     // FG_SHADING_BLACK_FILENAME
    std::string shadingGrayFile;                      // FG_SHADING_GRAY_FILENAME
    uint32_t shadingGainCorrectionMode = 0;           // FG_SHADING_GAIN_CORRECTION_MODE (FG_MAX_VALUE)
    double shadingGainNormalizationValue = 4095.0;    // FG_SHADING_GAIN_NORMALIZATION_VALUE
    uint32_t shadingDeadPixelThreshold = 0;           // FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD
    int32_t shadingApplySettings = 1;                 // FG_SHADING_APPLY_SETTINGS (action)

    // Area trigger: mode, state and frequency
    uint32_t areaTriggerMode = 1;                 // FG_AREATRIGGERMODE (ATM_GENERATOR)
    uint32_t triggerState = 2;                    // FG_TRIGGERSTATE (TS_SYNC_STOP)
    double triggerFramesPerSecondHz = 8.0;        // FG_TRIGGER_FRAMESPERSECOND
    int32_t triggerExceededPeriodLimitsClear = 1; // FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR (action)

    // Area trigger: input stage
    double triggerInDebounceUs = 1.0;           // FG_TRIGGERIN_DEBOUNCE
    uint32_t triggerInSource = 0;               // FG_TRIGGERIN_SRC
    int32_t triggerInPolarity = 0;              // FG_TRIGGERIN_POLARITY
    uint32_t triggerInDownscale = 1;            // FG_TRIGGERIN_DOWNSCALE
    uint32_t triggerInDownscalePhase = 0;       // FG_TRIGGERIN_DOWNSCALE_PHASE
    int32_t triggerInBypassSource = 0;          // FG_TRIGGERIN_BYPASS_SRC
    uint32_t sendSoftwareTriggerPulses = 1;     // FG_SENDSOFTWARETRIGGER (action)
    int32_t triggerInPulseCountClear = 1;       // FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR (action)
    uint32_t triggerInMinMaxFrequencyClear = 1; // FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR (action)

    // Area trigger: sequencer and queue
    uint32_t triggerMultiplyPulses = 1;               // FG_TRIGGER_MULTIPLY_PULSES
    int32_t triggerQueueMode = 0;                     // FG_TRIGGERQUEUE_MODE
    uint32_t triggerQueueFillLevelOnThreshold = 2047; // FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_ON_THRESHOLD
    uint32_t triggerQueueFillLevelOffThreshold = 2;   // FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_OFF_THRESHOLD

    // Area trigger: the four pulse-form generators (index 0..3)
    struct PulseFormGenerator {
        uint32_t downscale = 1;      // FG_TRIGGER_PULSEFORMGENn_DOWNSCALE
        uint32_t downscalePhase = 0; // FG_TRIGGER_PULSEFORMGENn_DOWNSCALE_PHASE
        double delayUs = 0.0;        // FG_TRIGGER_PULSEFORMGENn_DELAY
        double widthUs = 4.0;        // FG_TRIGGER_PULSEFORMGENn_WIDTH
    };
    std::array<PulseFormGenerator, 4> pulseFormGenerators{PulseFormGenerator{1, 0, 0.0, 4000.0},
                                                          PulseFormGenerator{}, PulseFormGenerator{},
                                                          PulseFormGenerator{}};

    // Area trigger: output selects, statistics and events
    std::array<uint32_t, 4> triggerCcSelects{6, 5, 5, 5};              // FG_TRIGGERCC_SELECT0..3
    std::array<uint32_t, 8> triggerOutSelects{6, 7, 5, 5, 5, 5, 5, 5}; // FG_TRIGGEROUT_SELECT0..7
    int32_t triggerOutStatsSource = 0;                                 // FG_TRIGGEROUT_STATS_SOURCE
    int32_t triggerOutPulseCountClear = 1;       // FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR (action)
    int32_t missingCameraFrameResponseClear = 1; // FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR (action)
    int32_t triggerOutputEventSelect = 0;        // FG_TRIGGER_OUTPUT_EVENT_SELECT

    // Legacy trigger interface
    int32_t triggerLegacyMode = 0;                       // FG_TRIGGER_LEGACY_MODE
    uint32_t legacyTriggerMode = 0;                      // FG_TRIGGERMODE (FREE_RUN)
    uint32_t legacyExsyncOn = 0;                         // FG_EXSYNCON
    uint32_t legacyFlashOn = 0;                          // FG_FLASHON
    uint32_t legacyExposureUs = 4000;                    // FG_EXPOSURE
    double legacyExsyncDelayUs = 0.0;                    // FG_EXSYNCDELAY
    uint32_t legacyExsyncPolarity = 0;                   // FG_EXSYNCPOLARITY
    double legacyStrobePulseDelayUs = 0.0;               // FG_STROBEPULSEDELAY
    uint32_t legacyFlashPolarity = 0;                    // FG_FLASH_POLARITY
    double legacyPrescalerUs = 10.0;                     // FG_PRESCALER
    std::array<uint32_t, 4> legacyCcSelects{0, 5, 5, 5}; // FG_CCSEL0..3
    uint32_t legacyDigitalOutput = 3;                    // FG_DIGIO_OUTPUT
};

// A field of one value block, in its own type; monostate for a parameter without a field.
using ValueField = std::variant<std::monostate, uint32_t*, int32_t*, double*, std::string*>;

// Where a saved parameter's value lives in a value block; the catalogue row holds it.
using ValueFieldOf = ValueField (*)(ParameterValueBlock& values);

} // namespace kestrel
