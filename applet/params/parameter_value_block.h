// The current value of every writable catalogue parameter.
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
// Members state no defaults: the catalogue rows hold them, and freshValueBlock() (in
// params/initial_values.h) makes a block that starts at them.
struct ParameterValueBlock {
    // Miscellaneous and DMA
    uint32_t timeoutSeconds; // FG_TIMEOUT
    uint32_t turboDmaMode;   // FG_TURBO_DMA_MODE

    // Camera Link port
    int32_t cameraLinkCamType; // FG_CAMERA_LINK_CAMTYPE
    int32_t useDval;           // FG_USEDVAL

    // Region of interest
    uint32_t widthPixels;   // FG_WIDTH
    uint32_t heightLines;   // FG_HEIGHT
    uint32_t xOffsetPixels; // FG_XOFFSET
    uint32_t yOffsetLines;  // FG_YOFFSET

    // Output format
    int32_t format;       // FG_FORMAT
    int32_t bitAlignment; // FG_BITALIGNMENT

    // Camera simulator
    uint32_t generatorEnable;             // FG_GEN_ENABLE
    uint32_t generatorStart;              // FG_GEN_START
    uint32_t generatorWidthPixels;        // FG_GEN_WIDTH
    uint32_t generatorHeightLines;        // FG_GEN_HEIGHT
    uint32_t generatorLineGapPixels;      // FG_GEN_LINE_GAP
    double generatorFrequencyMHz;         // FG_GEN_FREQ
    uint32_t generatorAccuracy;           // FG_GEN_ACCURACY
    std::array<int32_t, 4> generatorTaps; // FG_GEN_TAP1 .. FG_GEN_TAP4
    uint32_t generatorRoll;               // FG_GEN_ROLL

    // Image selector and noise filter
    uint32_t imageSelectPeriod; // FG_IMG_SELECT_PERIOD
    uint32_t imageSelect;       // FG_IMG_SELECT
    int32_t noiseFilter;        // FG_NOISEFILTER

    // Lookup table and its processor
    int32_t lutType;                             // FG_LUT_TYPE
    std::array<uint32_t, kLutEntries> lutValues; // FG_LUT_VALUE, one entry per input value
    std::string lutCustomFile;                   // FG_LUT_CUSTOM_FILE
    std::string lutSaveFile;                     // FG_LUT_SAVE_FILE
    double processingOffset;                     // FG_PROCESSING_OFFSET
    double processingGain;                       // FG_PROCESSING_GAIN
    double processingGamma;                      // FG_PROCESSING_GAMMA
    int32_t processingInvert;                    // FG_PROCESSING_INVERT

    // Shading correction
    int32_t shadingOffsetEnable;                  // FG_SHADING_OFFSET_ENABLE
    int32_t shadingGainEnable;                    // FG_SHADING_GAIN_ENABLE
    uint32_t shadingDeadPixelInterpolationEnable; // FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE
    std::string shadingBlackFile;                 // FG_SHADING_BLACK_FILENAME
    std::string shadingGrayFile;                  // FG_SHADING_GRAY_FILENAME
    uint32_t shadingGainCorrectionMode;           // FG_SHADING_GAIN_CORRECTION_MODE
    double shadingGainNormalizationValue;         // FG_SHADING_GAIN_NORMALIZATION_VALUE
    uint32_t shadingDeadPixelThreshold;           // FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD
    int32_t shadingApplySettings;                 // FG_SHADING_APPLY_SETTINGS (action)

    // Area trigger: mode, state and frequency
    uint32_t areaTriggerMode;                 // FG_AREATRIGGERMODE
    uint32_t triggerState;                    // FG_TRIGGERSTATE
    double triggerFramesPerSecondHz;          // FG_TRIGGER_FRAMESPERSECOND
    int32_t triggerExceededPeriodLimitsClear; // FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR (action)

    // Area trigger: input stage
    double triggerInDebounceUs;             // FG_TRIGGERIN_DEBOUNCE
    uint32_t triggerInSource;               // FG_TRIGGERIN_SRC
    int32_t triggerInPolarity;              // FG_TRIGGERIN_POLARITY
    uint32_t triggerInDownscale;            // FG_TRIGGERIN_DOWNSCALE
    uint32_t triggerInDownscalePhase;       // FG_TRIGGERIN_DOWNSCALE_PHASE
    int32_t triggerInBypassSource;          // FG_TRIGGERIN_BYPASS_SRC
    uint32_t sendSoftwareTriggerPulses;     // FG_SENDSOFTWARETRIGGER (action)
    int32_t triggerInPulseCountClear;       // FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR (action)
    uint32_t triggerInMinMaxFrequencyClear; // FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR (action)

    // Area trigger: sequencer and queue
    uint32_t triggerMultiplyPulses;             // FG_TRIGGER_MULTIPLY_PULSES
    int32_t triggerQueueMode;                   // FG_TRIGGERQUEUE_MODE
    uint32_t triggerQueueFillLevelOnThreshold;  // FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_ON_THRESHOLD
    uint32_t triggerQueueFillLevelOffThreshold; // FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_OFF_THRESHOLD

    // Area trigger: the four pulse-form generators (index 0..3)
    struct PulseFormGenerator {
        uint32_t downscale;      // FG_TRIGGER_PULSEFORMGENn_DOWNSCALE
        uint32_t downscalePhase; // FG_TRIGGER_PULSEFORMGENn_DOWNSCALE_PHASE
        double delayUs;          // FG_TRIGGER_PULSEFORMGENn_DELAY
        double widthUs;          // FG_TRIGGER_PULSEFORMGENn_WIDTH
    };
    std::array<PulseFormGenerator, 4> pulseFormGenerators;

    // Area trigger: output selects, statistics and events
    std::array<uint32_t, 4> triggerCcSelects;  // FG_TRIGGERCC_SELECT0..3
    std::array<uint32_t, 8> triggerOutSelects; // FG_TRIGGEROUT_SELECT0..7
    int32_t triggerOutStatsSource;             // FG_TRIGGEROUT_STATS_SOURCE
    int32_t triggerOutPulseCountClear;         // FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR (action)
    int32_t missingCameraFrameResponseClear;   // FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR (action)
    int32_t triggerOutputEventSelect;          // FG_TRIGGER_OUTPUT_EVENT_SELECT

    // Legacy trigger interface
    int32_t triggerLegacyMode;               // FG_TRIGGER_LEGACY_MODE
    uint32_t legacyTriggerMode;              // FG_TRIGGERMODE
    uint32_t legacyExsyncOn;                 // FG_EXSYNCON
    uint32_t legacyFlashOn;                  // FG_FLASHON
    uint32_t legacyExposureUs;               // FG_EXPOSURE
    double legacyExsyncDelayUs;              // FG_EXSYNCDELAY
    uint32_t legacyExsyncPolarity;           // FG_EXSYNCPOLARITY
    double legacyStrobePulseDelayUs;         // FG_STROBEPULSEDELAY
    uint32_t legacyFlashPolarity;            // FG_FLASH_POLARITY
    double legacyPrescalerUs;                // FG_PRESCALER
    std::array<uint32_t, 4> legacyCcSelects; // FG_CCSEL0..3
    uint32_t legacyDigitalOutput;            // FG_DIGIO_OUTPUT
};

// A field of one value block, in its own type; monostate for a parameter without a field.
using ValueField = std::variant<std::monostate, uint32_t*, int32_t*, double*, std::string*>;

// Where a saved parameter's value lives in a value block; the catalogue row holds it.
using ValueFieldOf = ValueField (*)(ParameterValueBlock& values);

} // namespace kestrel
