// The catalogue table and its compile-time lookup structures.
#include "params/parameter_catalogue.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <limits>

#include "params/parameter_ids.h"

namespace kestrel {
namespace {

using limits::enumeration;
using limits::integer;
using limits::integerArray;
using limits::real;
using limits::text;

// The smallest trigger frequency, 62.5 MHz / 2^32, as the design's frequency range publishes it:
// one bit below the nearest double.
constexpr double kFramesPerSecondMinimum = std::bit_cast<double>(uint64_t{0x3F8DCD64FFFFFFFF});
// Continuous doubles publish the smallest relative step as their increment.
constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

constexpr ParameterDefault kNoDefault{};
constexpr ParameterDefault initialNumber(double value) {
    return {DefaultKind::Initial, value, nullptr};
}
constexpr ParameterDefault storedNumber(double value) {
    return {DefaultKind::Stored, value, nullptr};
}
constexpr ParameterDefault storedText(const char* text) {
    return {DefaultKind::Stored, 0.0, text};
}
constexpr ParameterDefault constantNumber(double value) {
    return {DefaultKind::Constant, value, nullptr};
}
constexpr ParameterDefault constantText(const char* text) {
    return {DefaultKind::Constant, 0.0, text};
}

// The identifier from the public header and the name spelled the same, so neither is written twice.
#define KESTREL_ID_AND_NAME(name) ids::name, #name
// A saved parameter's value-block field.
#define KESTREL_FIELD(member) [](ParameterValueBlock& values) -> ValueField { return &values.member; }

// Dispatch, configuration files and the information tree all read this table.
constexpr std::array<ParameterDefinition, kCatalogueSize> kCatalogue{{
    {0, KESTREL_ID_AND_NAME(FG_TIMEOUT), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(1000000), true,
     "Internal framegrabber image timeout. This is independend of the runtime timeout value.",
     integer(2, 2147483646, 1), KESTREL_FIELD(timeoutSeconds)},
    {1, KESTREL_ID_AND_NAME(FG_TURBO_DMA_MODE), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Enables a maximum DMA performance", integer(0, 1, 1),
     KESTREL_FIELD(turboDmaMode)},
    {2, KESTREL_ID_AND_NAME(FG_APPLET_VERSION), ParameterType::UInt32, ParameterAccess::ReadOnly,
     constantNumber(2), false, "Returns the applet version.", integer(0, 0, 0)},
    {3, KESTREL_ID_AND_NAME(FG_APPLET_REVISION), ParameterType::UInt32, ParameterAccess::ReadOnly,
     constantNumber(4), false, "Returns the applet revision.", integer(0, 0, 0)},
    {4, KESTREL_ID_AND_NAME(FG_APPLET_ID), ParameterType::UInt32, ParameterAccess::ReadOnly,
     constantNumber(0), false, "Returns the applet id.", integer(0, 0, 0)},
    {5, KESTREL_ID_AND_NAME(FG_HAP_FILE), ParameterType::String, ParameterAccess::ReadOnly,
     constantText("Kestrel12.hap"), false,
     "The name of the Hardware-Applet (HAP) file on which this Pelorus Advanced is based.", text("*.hap")},
    {6, KESTREL_ID_AND_NAME(FG_DMASTATUS), ParameterType::UInt32, ParameterAccess::ReadOnly, kNoDefault,
     false, "Returns the status of the DMA transmission.", integer(0, 0, 0)},
    {7, KESTREL_ID_AND_NAME(FG_CAMSTATUS), ParameterType::UInt32, ParameterAccess::ReadOnly, kNoDefault,
     false, "Returns the status of a connected CameraLink camera. For CoaXPress this is not of interest.",
     integer(0, 1, 1)},
    {8, KESTREL_ID_AND_NAME(FG_CAMSTATUS_EXTENDED), ParameterType::UInt32, ParameterAccess::ReadOnly,
     kNoDefault, false,
     "Returns the extended status of the camera. Bit = meaning: 0 = CameraPixelClk, 1 = CameraLval, 2 = "
     "CameraFval, 3 = Camera CC1 Signal, 4 = ExTrg / external trigger, 5 = BufferOverflow, 6 = "
     "BufferStatus-LSB, 7 = BufferStatus-MSB",
     integer(0, 255, 1)},
    {9, KESTREL_ID_AND_NAME(FG_TRANSFER_LEN), ParameterType::HostValue, ParameterAccess::ReadOnly, kNoDefault,
     false, ""},
    {10, KESTREL_ID_AND_NAME(FG_NR_OF_PROCESSES), ParameterType::HostValue, ParameterAccess::ReadOnly,
     kNoDefault, false, ""},
    {11, KESTREL_ID_AND_NAME(FG_NR_OF_DMAS), ParameterType::HostValue, ParameterAccess::ReadOnly, kNoDefault,
     false, ""},
    {12, KESTREL_ID_AND_NAME(FG_NR_OF_CAMS), ParameterType::HostValue, ParameterAccess::ReadOnly, kNoDefault,
     false, ""},
    {13, KESTREL_ID_AND_NAME(FG_DMA_PORT), ParameterType::HostValue, ParameterAccess::ReadOnly, kNoDefault,
     false, ""},
    {14, KESTREL_ID_AND_NAME(FG_CAM_PORT), ParameterType::HostValue, ParameterAccess::ReadOnly, kNoDefault,
     false, ""},
    {15, KESTREL_ID_AND_NAME(FG_APC_STOP_TIMEOUT), ParameterType::HostValue, ParameterAccess::ReadOnly,
     kNoDefault, false, ""},
    {16, KESTREL_ID_AND_NAME(FG_CAMERA_LINK_CAMTYPE), ParameterType::Int32, ParameterAccess::ReadWrite,
     initialNumber(208), true, "Select the Camera Link Mode.", enumeration(kCameraLinkFormatEntries),
     KESTREL_FIELD(cameraLinkCamType)},
    {17, KESTREL_ID_AND_NAME(FG_USEDVAL), ParameterType::Int32, ParameterAccess::ReadWrite, initialNumber(1),
     true, "Use the Camera Link DVAL signal or ignore it.", enumeration(kYesNoEntries),
     KESTREL_FIELD(useDval)},
    {18, KESTREL_ID_AND_NAME(FG_WIDTH), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(1024), true, "Image width of the acquisition ROI.", integer(16, 4096, 16),
     KESTREL_FIELD(widthPixels)},
    {19, KESTREL_ID_AND_NAME(FG_HEIGHT), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(1024), true, "Image height of the acquisition ROI.", integer(2, 4096, 1),
     KESTREL_FIELD(heightLines)},
    {20, KESTREL_ID_AND_NAME(FG_XOFFSET), ParameterType::UInt32, ParameterAccess::ReadWrite, initialNumber(0),
     true, "X-offset of the acquisition ROI.", integer(0, 4080, 16), KESTREL_FIELD(xOffsetPixels)},
    {21, KESTREL_ID_AND_NAME(FG_YOFFSET), ParameterType::UInt32, ParameterAccess::ReadWrite, initialNumber(0),
     true, "Y-offset of the acquisition ROI.", integer(0, 4095, 1), KESTREL_FIELD(yOffsetLines)},
    {22, KESTREL_ID_AND_NAME(FG_FILLLEVEL), ParameterType::UInt32, ParameterAccess::ReadOnly, kNoDefault,
     false, "Fill level of the buffers.", integer(0, 100, 1)},
    {23, KESTREL_ID_AND_NAME(FG_OVERFLOW), ParameterType::UInt32, ParameterAccess::ReadOnly, kNoDefault,
     false, "Signals if the image buffer is in overflow state.", integer(0, 1, 1)},
    {24, KESTREL_ID_AND_NAME(FG_FORMAT), ParameterType::Int32, ParameterAccess::ReadWrite, initialNumber(3),
     true, "Pixel format of the output image.", enumeration(kOutputFormatEntries), KESTREL_FIELD(format)},
    {25, KESTREL_ID_AND_NAME(FG_BITALIGNMENT), ParameterType::Int32, ParameterAccess::ReadWrite,
     initialNumber(1), true, "Defines if the output data are right aligned or left aligned.",
     enumeration(kBitAlignmentEntries), KESTREL_FIELD(bitAlignment)},
    {26, KESTREL_ID_AND_NAME(FG_PIXELDEPTH), ParameterType::UInt32, ParameterAccess::ReadOnly,
     constantNumber(12), false, "Internal processing bit depth of the applet.", integer(0, 128, 1)},
    {27, KESTREL_ID_AND_NAME(FG_GEN_ENABLE), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Use internal frame generator or CameraLink input.",
     enumeration(kImageSourceEntries), KESTREL_FIELD(generatorEnable)},
    {28, KESTREL_ID_AND_NAME(FG_GEN_START), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(1), true, "", enumeration(kOnOffEntries), KESTREL_FIELD(generatorStart)},
    {29, KESTREL_ID_AND_NAME(FG_GEN_WIDTH), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(1024), true, "", integer(0, 65535, 1), KESTREL_FIELD(generatorWidthPixels)},
    {30, KESTREL_ID_AND_NAME(FG_GEN_HEIGHT), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(1024), true, "", integer(0, 65535, 1), KESTREL_FIELD(generatorHeightLines)},
    {31, KESTREL_ID_AND_NAME(FG_GEN_LINE_GAP), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(4), true, "", integer(0, 65535, 1), KESTREL_FIELD(generatorLineGapPixels)},
    {32, KESTREL_ID_AND_NAME(FG_GEN_FREQ), ParameterType::Double, ParameterAccess::ReadWrite,
     initialNumber(40.0), true, "", real(3, 125, 1), KESTREL_FIELD(generatorFrequencyMHz)},
    {33, KESTREL_ID_AND_NAME(FG_GEN_ACCURACY), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(25), true, "", integer(1, 65535, 1), KESTREL_FIELD(generatorAccuracy)},
    {34, KESTREL_ID_AND_NAME(FG_GEN_TAP1), ParameterType::Int32, ParameterAccess::ReadWrite, initialNumber(1),
     true, "", enumeration(kOnOffEntries), KESTREL_FIELD(generatorTaps[0])},
    {35, KESTREL_ID_AND_NAME(FG_GEN_TAP2), ParameterType::Int32, ParameterAccess::ReadWrite, initialNumber(1),
     true, "", enumeration(kOnOffEntries), KESTREL_FIELD(generatorTaps[1])},
    {36, KESTREL_ID_AND_NAME(FG_GEN_TAP3), ParameterType::Int32, ParameterAccess::ReadWrite, initialNumber(1),
     true, "", enumeration(kOnOffEntries), KESTREL_FIELD(generatorTaps[2])},
    {37, KESTREL_ID_AND_NAME(FG_GEN_TAP4), ParameterType::Int32, ParameterAccess::ReadWrite, initialNumber(1),
     true, "", enumeration(kOnOffEntries), KESTREL_FIELD(generatorTaps[3])},
    {38, KESTREL_ID_AND_NAME(FG_GEN_ROLL), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "", integer(0, 255, 1), KESTREL_FIELD(generatorRoll)},
    {39, KESTREL_ID_AND_NAME(FG_GEN_ACTIVE), ParameterType::UInt32, ParameterAccess::ReadOnly, kNoDefault,
     false, "", integer(0, 65535, 1)},
    {40, KESTREL_ID_AND_NAME(FG_GEN_PASSIVE), ParameterType::UInt32, ParameterAccess::ReadOnly, kNoDefault,
     false, "", integer(0, 65535, 1)},
    {41, KESTREL_ID_AND_NAME(FG_GEN_LINE_WIDTH), ParameterType::UInt32, ParameterAccess::ReadOnly, kNoDefault,
     false, "", integer(0, 65535, 1)},
    {42, KESTREL_ID_AND_NAME(FG_IMG_SELECT_PERIOD), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(1), true,
     "Select the length of an image sequence. Only a single image of the sequence is grabbed.",
     integer(1, 256, 1), KESTREL_FIELD(imageSelectPeriod)},
    {43, KESTREL_ID_AND_NAME(FG_IMG_SELECT), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Defines which image in a sequence is grabbed.", integer(0, 255, 1),
     KESTREL_FIELD(imageSelect)},
    {44, KESTREL_ID_AND_NAME(FG_NOISEFILTER), ParameterType::Int32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Enable or disable the noise filter.", enumeration(kOnOffEntries),
     KESTREL_FIELD(noiseFilter)},
    {45, KESTREL_ID_AND_NAME(FG_LUT_TYPE), ParameterType::Int32, ParameterAccess::ReadWrite, initialNumber(3),
     true, "Enables the LUT to be load with custom values or use the applet's processor.",
     enumeration(kLutTypeEntries), KESTREL_FIELD(lutType)},
    {46, KESTREL_ID_AND_NAME(FG_LUT_IMPLEMENTATION_TYPE), ParameterType::UInt32, ParameterAccess::ReadOnly,
     constantNumber(0), false, "Type of LUT implementation.", enumeration(kLutImplementationEntries)},
    {47, KESTREL_ID_AND_NAME(FG_LUT_IN_BITS), ParameterType::UInt32, ParameterAccess::ReadOnly,
     constantNumber(12), false, "Pixel bit depth at LUT input.", integer(0, 0, 0)},
    {48, KESTREL_ID_AND_NAME(FG_LUT_OUT_BITS), ParameterType::UInt32, ParameterAccess::ReadOnly,
     constantNumber(12), false, "Pixel bit depth at LUT output.", integer(0, 0, 0)},
    {49, KESTREL_ID_AND_NAME(FG_LUT_VALUE), ParameterType::Field, ParameterAccess::ReadWrite, storedNumber(0),
     false, "Field with LUT Values.", integerArray(4096, 0, 4095)},
    {50, KESTREL_ID_AND_NAME(FG_LUT_CUSTOM_FILE), ParameterType::String, ParameterAccess::ReadWrite,
     storedText(""), true, "Filename with custom lookup table values.", text("*.lut"),
     KESTREL_FIELD(lutCustomFile)},
    {51, KESTREL_ID_AND_NAME(FG_LUT_SAVE_FILE), ParameterType::String, ParameterAccess::ReadWrite,
     storedText(""), false, "Save current LUT configuration.", text("*.lut")},
    {52, KESTREL_ID_AND_NAME(FG_PROCESSING_OFFSET), ParameterType::Double, ParameterAccess::ReadWrite,
     initialNumber(0.0), true, "Offset correction value. Available when LUT functionality is enabled.",
     real(-1, 1, kEpsilon), KESTREL_FIELD(processingOffset)},
    {53, KESTREL_ID_AND_NAME(FG_PROCESSING_GAIN), ParameterType::Double, ParameterAccess::ReadWrite,
     initialNumber(1.0), true, "Gain correction value. Available when LUT functionality is enabled.",
     real(0, 4096, kEpsilon), KESTREL_FIELD(processingGain)},
    {54, KESTREL_ID_AND_NAME(FG_PROCESSING_GAMMA), ParameterType::Double, ParameterAccess::ReadWrite,
     initialNumber(1.0), true, "Gamma correction value. Available when LUT functionality is enabled.",
     real(-1000, 1000, kEpsilon), KESTREL_FIELD(processingGamma)},
    {55, KESTREL_ID_AND_NAME(FG_PROCESSING_INVERT), ParameterType::Int32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Invert output. Available when LUT functionality is enabled.",
     enumeration(kOnOffEntries), KESTREL_FIELD(processingInvert)},
    {56, KESTREL_ID_AND_NAME(FG_SHADING_OFFSET_ENABLE), ParameterType::Int32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Enables the offset correction.", enumeration(kOnOffEntries),
     KESTREL_FIELD(shadingOffsetEnable)},
    {57, KESTREL_ID_AND_NAME(FG_SHADING_GAIN_ENABLE), ParameterType::Int32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Enables the gain correction.", enumeration(kOnOffEntries),
     KESTREL_FIELD(shadingGainEnable)},
    {58, KESTREL_ID_AND_NAME(FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(0), true, "Enables the dead pixel interpolation.",
     enumeration(kOnOffEntries), KESTREL_FIELD(shadingDeadPixelInterpolationEnable)},
    {59, KESTREL_ID_AND_NAME(FG_SHADING_BLACK_FILENAME), ParameterType::String, ParameterAccess::ReadWrite,
     storedText(""), true, "Filename with black image for auto offset correction.", text("*.tif *.tiff"),
     KESTREL_FIELD(shadingBlackFile)},
    {60, KESTREL_ID_AND_NAME(FG_SHADING_GRAY_FILENAME), ParameterType::String, ParameterAccess::ReadWrite,
     storedText(""), true, "Filename with gray image for auto gain correction.", text("*.tif *.tiff"),
     KESTREL_FIELD(shadingGrayFile)},
    {61, KESTREL_ID_AND_NAME(FG_SHADING_GAIN_CORRECTION_MODE), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(0), true,
     "Select the mode to determine the automatic gain correction values. ",
     enumeration(kGainCorrectionModeEntries), KESTREL_FIELD(shadingGainCorrectionMode)},
    {62, KESTREL_ID_AND_NAME(FG_SHADING_GAIN_NORMALIZATION_VALUE), ParameterType::Double,
     ParameterAccess::ReadWrite, initialNumber(4095.0), true, "The value to which pixels will be normalized.",
     real(0, 4095, 0.000244140625), KESTREL_FIELD(shadingGainNormalizationValue)},
    {63, KESTREL_ID_AND_NAME(FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(0), true, "Threshold for auto dead pixel interpolation.",
     integer(0, 4095, 1), KESTREL_FIELD(shadingDeadPixelThreshold)},
    {64, KESTREL_ID_AND_NAME(FG_SHADING_APPLY_SETTINGS), ParameterType::Int32, ParameterAccess::ReadWrite,
     initialNumber(1), false, "Load files and determine values for auto correction.",
     enumeration(kApplyEntries)},
    {65, KESTREL_ID_AND_NAME(FG_AREATRIGGERMODE), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(1), true, "Trigger mode for the area trigger signal generation.",
     enumeration(kAreaTriggerModeEntries), KESTREL_FIELD(areaTriggerMode)},
    {66, KESTREL_ID_AND_NAME(FG_TRIGGERSTATE), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(2), true, "State of the trigger system.", enumeration(kTriggerStateEntries),
     KESTREL_FIELD(triggerState)},
    {67, KESTREL_ID_AND_NAME(FG_TRIGGER_FRAMESPERSECOND), ParameterType::Double, ParameterAccess::ReadWrite,
     initialNumber(8.0), true, "Base frequency (=frame rate) of the trigger output.",
     real(kFramesPerSecondMinimum, 6250000, kEpsilon), KESTREL_FIELD(triggerFramesPerSecondHz)},
    {68, KESTREL_ID_AND_NAME(FG_TRIGGER_EXCEEDED_PERIOD_LIMITS), ParameterType::UInt32,
     ParameterAccess::ReadOnly, kNoDefault, false,
     "The trigger input signal frequency exceeds the allowed output frequency.", enumeration(kYesNoEntries)},
    {69, KESTREL_ID_AND_NAME(FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR), ParameterType::Int32,
     ParameterAccess::ReadWrite, storedNumber(1), false, "Clear the exceeded period limits register.",
     enumeration(kApplyEntries)},
    {70, KESTREL_ID_AND_NAME(FG_TRIGGERIN_DEBOUNCE), ParameterType::Double, ParameterAccess::ReadWrite,
     initialNumber(1.0), true, "Set the debounce time for trigger input signals.", real(0.096, 3.024, 0.048),
     KESTREL_FIELD(triggerInDebounceUs)},
    {71, KESTREL_ID_AND_NAME(FG_DIGIO_INPUT), ParameterType::UInt32, ParameterAccess::ReadOnly, kNoDefault,
     false, "Current input signal levels of all inputs (Bitmask).", integer(0, 255, 1)},
    {72, KESTREL_ID_AND_NAME(FG_TRIGGERIN_SRC), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Select the trigger input source for external trigger mode.",
     enumeration(kTriggerInSourceEntries), KESTREL_FIELD(triggerInSource)},
    {73, KESTREL_ID_AND_NAME(FG_TRIGGERIN_POLARITY), ParameterType::Int32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Polarity of the trigger input signal.", enumeration(kTriggerInPolarityEntries),
     KESTREL_FIELD(triggerInPolarity)},
    {74, KESTREL_ID_AND_NAME(FG_TRIGGERIN_DOWNSCALE), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(1), true, "Downscale of the trigger input signals.", integer(1, 2147483647, 1),
     KESTREL_FIELD(triggerInDownscale)},
    {75, KESTREL_ID_AND_NAME(FG_TRIGGERIN_DOWNSCALE_PHASE), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Select the pulse index for each downscale series.", integer(0, 4294967294, 1),
     KESTREL_FIELD(triggerInDownscalePhase)},
    {76, KESTREL_ID_AND_NAME(FG_TRIGGERIN_BYPASS_SRC), ParameterType::Int32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Select the trigger input source for external trigger mode.",
     enumeration(kTriggerInSourceEntries), KESTREL_FIELD(triggerInBypassSource)},
    {77, KESTREL_ID_AND_NAME(FG_SENDSOFTWARETRIGGER), ParameterType::UInt32, ParameterAccess::ReadWrite,
     storedNumber(1), false, "Add pulses to trigger queue.", integer(1, 1, 1)},
    {78, KESTREL_ID_AND_NAME(FG_SOFTWARETRIGGER_IS_BUSY), ParameterType::UInt32, ParameterAccess::ReadOnly,
     kNoDefault, false, "Check if the trigger system is still processing software trigger pulses.",
     enumeration(kSoftwareTriggerBusyEntries)},
    {79, KESTREL_ID_AND_NAME(FG_SOFTWARETRIGGER_QUEUE_FILLLEVEL), ParameterType::UInt32,
     ParameterAccess::ReadOnly, kNoDefault, false, "Number of pulses in queue which have to be processed.",
     integer(0, 2040, 1)},
    {80, KESTREL_ID_AND_NAME(FG_TRIGGERIN_STATS_PULSECOUNT), ParameterType::UInt32, ParameterAccess::ReadOnly,
     kNoDefault, false, "Pulse count of input.", integer(0, 65535, 1)},
    {81, KESTREL_ID_AND_NAME(FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR), ParameterType::Int32,
     ParameterAccess::ReadWrite, initialNumber(1), false, "Clear the input signal pulse counter.",
     enumeration(kApplyEntries)},
    {82, KESTREL_ID_AND_NAME(FG_TRIGGERIN_STATS_FREQUENCY), ParameterType::Double, ParameterAccess::ReadOnly,
     kNoDefault, false, "Current Frequency of the input pulses.", real(0, 62500000, kEpsilon)},
    {83, KESTREL_ID_AND_NAME(FG_TRIGGERIN_STATS_MINFREQUENCY), ParameterType::Double,
     ParameterAccess::ReadOnly, kNoDefault, false, "The detected minimum input frequency.",
     real(0, 62500000, kEpsilon)},
    {84, KESTREL_ID_AND_NAME(FG_TRIGGERIN_STATS_MAXFREQUENCY), ParameterType::Double,
     ParameterAccess::ReadOnly, kNoDefault, false, "The detected maximum input frequency.",
     real(0, 62500000, kEpsilon)},
    {85, KESTREL_ID_AND_NAME(FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR), ParameterType::UInt32,
     ParameterAccess::ReadWrite, storedNumber(1), false, "Clear minimum and maximum frequency measurement.",
     enumeration(kApplyEntries)},
    {86, KESTREL_ID_AND_NAME(FG_TRIGGER_MULTIPLY_PULSES), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(1), true,
     "Upscale i.e. duplicate each external or software generated trigger pulse with a period specified by "
     "FG_TRIGGER_FRAMESPERSEC.",
     integer(1, 65535, 1), KESTREL_FIELD(triggerMultiplyPulses)},
    {87, KESTREL_ID_AND_NAME(FG_TRIGGERQUEUE_MODE), ParameterType::Int32, ParameterAccess::ReadWrite,
     initialNumber(0), true,
     "Enable or disable the trigger queue and output frequency limitation specified by "
     "FG_TRIGGER_FRAMESPERSEC.",
     enumeration(kOnOffEntries), KESTREL_FIELD(triggerQueueMode)},
    {88, KESTREL_ID_AND_NAME(FG_TRIGGERQUEUE_FILLLEVEL), ParameterType::UInt32, ParameterAccess::ReadOnly,
     kNoDefault, false, "Filllevel of trigger queue.", integer(0, 2040, 1)},
    {89, KESTREL_ID_AND_NAME(FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_ON_THRESHOLD), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(2047), true,
     "Set the threshold for generating a queue fill level ON event.", integer(2, 2047, 1),
     KESTREL_FIELD(triggerQueueFillLevelOnThreshold)},
    {90, KESTREL_ID_AND_NAME(FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_OFF_THRESHOLD), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(2), true,
     "Set the threshold for generating a queue fill level OFF event.", integer(2, 2047, 1),
     KESTREL_FIELD(triggerQueueFillLevelOffThreshold)},
    {91, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(1), true,
     "Downscale factor of the pulse form generator input.", integer(1, 7, 1),
     KESTREL_FIELD(pulseFormGenerators[0].downscale)},
    {92, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE_PHASE), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(0), true, "Select the pulse index for each downscale series.",
     integer(0, 6, 1), KESTREL_FIELD(pulseFormGenerators[0].downscalePhase)},
    {93, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN0_DELAY), ParameterType::Double,
     ParameterAccess::ReadWrite, initialNumber(0.0), true, "Delay between the input and the output.",
     real(0, 34000000, 0.016), KESTREL_FIELD(pulseFormGenerators[0].delayUs)},
    {94, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN0_WIDTH), ParameterType::Double,
     ParameterAccess::ReadWrite, initialNumber(4000.0), true, "Signal Output Width.",
     real(1, 68000000, 0.016), KESTREL_FIELD(pulseFormGenerators[0].widthUs)},
    {95, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(1), true,
     "Downscale factor of the pulse form generator input.", integer(1, 7, 1),
     KESTREL_FIELD(pulseFormGenerators[1].downscale)},
    {96, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE_PHASE), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(0), true, "Select the pulse index for each downscale series.",
     integer(0, 6, 1), KESTREL_FIELD(pulseFormGenerators[1].downscalePhase)},
    {97, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN1_DELAY), ParameterType::Double,
     ParameterAccess::ReadWrite, initialNumber(0.0), true, "Delay between the input and the output.",
     real(0, 34000000, 0.016), KESTREL_FIELD(pulseFormGenerators[1].delayUs)},
    {98, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN1_WIDTH), ParameterType::Double,
     ParameterAccess::ReadWrite, initialNumber(4.0), true, "Signal Output Width.", real(1, 68000000, 0.016),
     KESTREL_FIELD(pulseFormGenerators[1].widthUs)},
    {99, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(1), true,
     "Downscale factor of the pulse form generator input.", integer(1, 7, 1),
     KESTREL_FIELD(pulseFormGenerators[2].downscale)},
    {100, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE_PHASE), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(0), true, "Select the pulse index for each downscale series.",
     integer(0, 6, 1), KESTREL_FIELD(pulseFormGenerators[2].downscalePhase)},
    {101, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN2_DELAY), ParameterType::Double,
     ParameterAccess::ReadWrite, initialNumber(0.0), true, "Delay between the input and the output.",
     real(0, 34000000, 0.016), KESTREL_FIELD(pulseFormGenerators[2].delayUs)},
    {102, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN2_WIDTH), ParameterType::Double,
     ParameterAccess::ReadWrite, initialNumber(4.0), true, "Signal Output Width.", real(1, 68000000, 0.016),
     KESTREL_FIELD(pulseFormGenerators[2].widthUs)},
    {103, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(1), true,
     "Downscale factor of the pulse form generator input.", integer(1, 7, 1),
     KESTREL_FIELD(pulseFormGenerators[3].downscale)},
    {104, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE_PHASE), ParameterType::UInt32,
     ParameterAccess::ReadWrite, initialNumber(0), true, "Select the pulse index for each downscale series.",
     integer(0, 6, 1), KESTREL_FIELD(pulseFormGenerators[3].downscalePhase)},
    {105, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN3_DELAY), ParameterType::Double,
     ParameterAccess::ReadWrite, initialNumber(0.0), true, "Delay between the input and the output.",
     real(0, 34000000, 0.016), KESTREL_FIELD(pulseFormGenerators[3].delayUs)},
    {106, KESTREL_ID_AND_NAME(FG_TRIGGER_PULSEFORMGEN3_WIDTH), ParameterType::Double,
     ParameterAccess::ReadWrite, initialNumber(4.0), true, "Signal Output Width.", real(1, 68000000, 0.016),
     KESTREL_FIELD(pulseFormGenerators[3].widthUs)},
    {107, KESTREL_ID_AND_NAME(FG_TRIGGERCC_SELECT0), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(6), true, "Select the output source.", enumeration(kCcSelectEntries),
     KESTREL_FIELD(triggerCcSelects[0])},
    {108, KESTREL_ID_AND_NAME(FG_TRIGGERCC_SELECT1), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(5), true, "Select the output source.", enumeration(kCcSelectEntries),
     KESTREL_FIELD(triggerCcSelects[1])},
    {109, KESTREL_ID_AND_NAME(FG_TRIGGERCC_SELECT2), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(5), true, "Select the output source.", enumeration(kCcSelectEntries),
     KESTREL_FIELD(triggerCcSelects[2])},
    {110, KESTREL_ID_AND_NAME(FG_TRIGGERCC_SELECT3), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(5), true, "Select the output source.", enumeration(kCcSelectEntries),
     KESTREL_FIELD(triggerCcSelects[3])},
    {111, KESTREL_ID_AND_NAME(FG_TRIGGEROUT_SELECT0), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(6), true, "Select the output source. Note the differing pin allocation for each camera.",
     enumeration(kTriggerOutSelectEntries), KESTREL_FIELD(triggerOutSelects[0])},
    {112, KESTREL_ID_AND_NAME(FG_TRIGGEROUT_SELECT1), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(7), true, "Select the output source. Note the differing pin allocation for each camera.",
     enumeration(kTriggerOutSelectEntries), KESTREL_FIELD(triggerOutSelects[1])},
    {113, KESTREL_ID_AND_NAME(FG_TRIGGEROUT_SELECT2), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(5), true, "Select the output source. Note the differing pin allocation for each camera.",
     enumeration(kTriggerOutSelectEntries), KESTREL_FIELD(triggerOutSelects[2])},
    {114, KESTREL_ID_AND_NAME(FG_TRIGGEROUT_SELECT3), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(5), true, "Select the output source. Note the differing pin allocation for each camera.",
     enumeration(kTriggerOutSelectEntries), KESTREL_FIELD(triggerOutSelects[3])},
    {115, KESTREL_ID_AND_NAME(FG_TRIGGEROUT_SELECT4), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(5), true, "Select the output source. Note the differing pin allocation for each camera.",
     enumeration(kTriggerOutSelectEntries), KESTREL_FIELD(triggerOutSelects[4])},
    {116, KESTREL_ID_AND_NAME(FG_TRIGGEROUT_SELECT5), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(5), true, "Select the output source. Note the differing pin allocation for each camera.",
     enumeration(kTriggerOutSelectEntries), KESTREL_FIELD(triggerOutSelects[5])},
    {117, KESTREL_ID_AND_NAME(FG_TRIGGEROUT_SELECT6), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(5), true, "Select the output source. Note the differing pin allocation for each camera.",
     enumeration(kTriggerOutSelectEntries), KESTREL_FIELD(triggerOutSelects[6])},
    {118, KESTREL_ID_AND_NAME(FG_TRIGGEROUT_SELECT7), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(5), true, "Select the output source. Note the differing pin allocation for each camera.",
     enumeration(kTriggerOutSelectEntries), KESTREL_FIELD(triggerOutSelects[7])},
    {119, KESTREL_ID_AND_NAME(FG_TRIGGEROUT_STATS_SOURCE), ParameterType::Int32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Select the pulse form generator which has to be analyzed.",
     enumeration(kPulseGeneratorEntries), KESTREL_FIELD(triggerOutStatsSource)},
    {120, KESTREL_ID_AND_NAME(FG_TRIGGEROUT_STATS_PULSECOUNT), ParameterType::UInt32,
     ParameterAccess::ReadOnly, kNoDefault, false, "Pulse count.", integer(0, 65535, 1)},
    {121, KESTREL_ID_AND_NAME(FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR), ParameterType::Int32,
     ParameterAccess::ReadWrite, storedNumber(1), false, "Clear pulse counter.", enumeration(kApplyEntries)},
    {122, KESTREL_ID_AND_NAME(FG_MISSING_CAMERA_FRAME_RESPONSE), ParameterType::UInt32,
     ParameterAccess::ReadOnly, kNoDefault, false, "Frame grabber received no frame for trigger pulse.",
     enumeration(kYesNoEntries)},
    {123, KESTREL_ID_AND_NAME(FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR), ParameterType::Int32,
     ParameterAccess::ReadWrite, storedNumber(1), false, "Clear Missing Camera Frame Response Register.",
     enumeration(kApplyEntries)},
    {124, KESTREL_ID_AND_NAME(FG_TRIGGER_OUTPUT_EVENT_SELECT), ParameterType::Int32,
     ParameterAccess::ReadWrite, initialNumber(0), true,
     "Select the pulse form generator for event monitoring.", enumeration(kPulseGeneratorEntries),
     KESTREL_FIELD(triggerOutputEventSelect)},
    {125, KESTREL_ID_AND_NAME(FG_TRIGGER_LEGACY_MODE), ParameterType::Int32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "Activates the legacy mode.", enumeration(kOnOffEntries),
     KESTREL_FIELD(triggerLegacyMode)},
    {126, KESTREL_ID_AND_NAME(FG_TRIGGERMODE), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "FG_TRIGGERMODE", enumeration(kLegacyTriggerModeEntries),
     KESTREL_FIELD(legacyTriggerMode)},
    {127, KESTREL_ID_AND_NAME(FG_EXSYNCON), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "FG_EXSYNCON", enumeration(kOnOffEntries), KESTREL_FIELD(legacyExsyncOn)},
    {128, KESTREL_ID_AND_NAME(FG_FLASHON), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "FG_FLASHON", enumeration(kOnOffEntries), KESTREL_FIELD(legacyFlashOn)},
    {129, KESTREL_ID_AND_NAME(FG_EXPOSURE), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(4000), true, "FG_EXPOSURE", integer(10, 124990, 10), KESTREL_FIELD(legacyExposureUs)},
    {130, KESTREL_ID_AND_NAME(FG_EXSYNCDELAY), ParameterType::Double, ParameterAccess::ReadWrite,
     initialNumber(0.0), true, "FG_EXSYNCDELAY", real(0, 10230, 10), KESTREL_FIELD(legacyExsyncDelayUs)},
    {131, KESTREL_ID_AND_NAME(FG_EXSYNCPOLARITY), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "FG_EXSYNCPOLARITY", enumeration(kLegacyPolarityEntries),
     KESTREL_FIELD(legacyExsyncPolarity)},
    {132, KESTREL_ID_AND_NAME(FG_STROBEPULSEDELAY), ParameterType::Double, ParameterAccess::ReadWrite,
     initialNumber(0.0), true, "FG_STROBEPULSEDELAY", real(0, 10230, 10),
     KESTREL_FIELD(legacyStrobePulseDelayUs)},
    {133, KESTREL_ID_AND_NAME(FG_FLASH_POLARITY), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(0), true, "FG_FLASH_POLARITY", enumeration(kLegacyPolarityEntries),
     KESTREL_FIELD(legacyFlashPolarity)},
    {134, KESTREL_ID_AND_NAME(FG_PRESCALER), ParameterType::Double, ParameterAccess::ReadWrite,
     initialNumber(10.0), true, "FG_PRESCALER", real(0.032, 1048.56, 0.016),
     KESTREL_FIELD(legacyPrescalerUs)},
    {135, KESTREL_ID_AND_NAME(FG_CCSEL0), ParameterType::UInt32, ParameterAccess::ReadWrite, initialNumber(0),
     true, "FG_CCSEL0", enumeration(kLegacyCcSelectEntries), KESTREL_FIELD(legacyCcSelects[0])},
    {136, KESTREL_ID_AND_NAME(FG_CCSEL1), ParameterType::UInt32, ParameterAccess::ReadWrite, initialNumber(5),
     true, "FG_CCSEL1", enumeration(kLegacyCcSelectEntries), KESTREL_FIELD(legacyCcSelects[1])},
    {137, KESTREL_ID_AND_NAME(FG_CCSEL2), ParameterType::UInt32, ParameterAccess::ReadWrite, initialNumber(5),
     true, "FG_CCSEL2", enumeration(kLegacyCcSelectEntries), KESTREL_FIELD(legacyCcSelects[2])},
    {138, KESTREL_ID_AND_NAME(FG_CCSEL3), ParameterType::UInt32, ParameterAccess::ReadWrite, initialNumber(5),
     true, "FG_CCSEL3", enumeration(kLegacyCcSelectEntries), KESTREL_FIELD(legacyCcSelects[3])},
    {139, KESTREL_ID_AND_NAME(FG_DIGIO_OUTPUT), ParameterType::UInt32, ParameterAccess::ReadWrite,
     initialNumber(3), true, "FG_DIGIO_OUTPUT", integer(0, 3, 1), KESTREL_FIELD(legacyDigitalOutput)},
}};
#undef KESTREL_ID_AND_NAME
#undef KESTREL_FIELD

constexpr bool indexesMatchPositions() {
    for (std::size_t i = 0; i < kCatalogue.size(); ++i)
        if (kCatalogue[i].index != static_cast<int32_t>(i))
            return false;
    return true;
}
static_assert(indexesMatchPositions(), "catalogue rows must be in list-index order");

// Configuration files save and load exactly the rows that name a value-block field.
constexpr bool savedRowsHaveFields() {
    for (const auto& row : kCatalogue)
        if (row.saved != (row.field != nullptr))
            return false;
    return true;
}
static_assert(savedRowsHaveFields(), "a saved parameter names its value-block field, and only it");

// Identifier lookup: (id, index) pairs sorted by id.
struct IdSlot {
    int32_t id;
    int32_t index;
};

constexpr std::array<IdSlot, kCatalogueSize> makeIdTable() {
    std::array<IdSlot, kCatalogueSize> table{};
    for (std::size_t i = 0; i < kCatalogue.size(); ++i)
        table[i] = {kCatalogue[i].id, static_cast<int32_t>(i)};
    std::sort(table.begin(), table.end(), [](IdSlot a, IdSlot b) { return a.id < b.id; });
    return table;
}
constexpr auto kIdTable = makeIdTable();

constexpr bool idsUnique() {
    for (std::size_t i = 1; i < kIdTable.size(); ++i)
        if (kIdTable[i - 1].id == kIdTable[i].id)
            return false;
    return true;
}
static_assert(idsUnique(), "catalogue identifiers must be unique");

// Name lookup: open addressing with linear probing, FNV-1a, load factor about a quarter so
// that a miss usually ends at the first empty slot.
constexpr std::size_t kNameSlots = 512;
static_assert((kNameSlots & (kNameSlots - 1)) == 0);

constexpr uint32_t hashName(std::string_view name) {
    uint32_t hash = 2166136261u;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

struct NameTable {
    std::array<int16_t, kNameSlots> slots{};
    bool unique = true;
};

constexpr NameTable makeNameTable() {
    NameTable table;
    for (auto& slot : table.slots)
        slot = -1;
    for (std::size_t i = 0; i < kCatalogue.size(); ++i) {
        const std::string_view name = kCatalogue[i].name;
        std::size_t slot = hashName(name) & (kNameSlots - 1);
        while (table.slots[slot] >= 0) {
            if (name == kCatalogue[table.slots[slot]].name)
                table.unique = false;
            slot = (slot + 1) & (kNameSlots - 1);
        }
        table.slots[slot] = static_cast<int16_t>(i);
    }
    return table;
}
constexpr NameTable kNameTable = makeNameTable();
static_assert(kNameTable.unique, "catalogue names must be unique");

} // namespace

std::span<const ParameterDefinition> ParameterCatalogue::all() {
    return kCatalogue;
}

const ParameterDefinition* ParameterCatalogue::byIndex(int32_t index) {
    if (index < 0 || index >= kCatalogueSize)
        return nullptr;
    return &kCatalogue[static_cast<std::size_t>(index)];
}

const ParameterDefinition* ParameterCatalogue::byId(int32_t id) {
    const auto it = std::lower_bound(kIdTable.begin(), kIdTable.end(), id,
                                     [](IdSlot slot, int32_t key) { return slot.id < key; });
    if (it == kIdTable.end() || it->id != id)
        return nullptr;
    return &kCatalogue[static_cast<std::size_t>(it->index)];
}

const ParameterDefinition* ParameterCatalogue::byName(std::string_view name) {
    std::size_t slot = hashName(name) & (kNameSlots - 1);
    for (;;) {
        const int16_t index = kNameTable.slots[slot];
        if (index < 0)
            return nullptr;
        const ParameterDefinition& row = kCatalogue[static_cast<std::size_t>(index)];
        if (name == row.name)
            return &row;
        slot = (slot + 1) & (kNameSlots - 1);
    }
}

} // namespace kestrel
