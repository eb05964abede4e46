// The table of the fixed categories and features, in publication order.
#include "info/fixed_tree_table.h"

#include <bit>
#include <limits>

#include "device/parameter_info_node.h"
#include "params/parameter_ids.h"

namespace kestrel {
namespace {

// The smallest trigger frequency, 62.5 MHz / 2^32, as the design's frequency range publishes it:
// one bit below the nearest double.
const double kFramesPerSecondMinimum = std::bit_cast<double>(uint64_t{0x3F8DCD64FFFFFFFF});
// The access words, short so that each row keeps its two lines.
constexpr int32_t kRO = kNodeAccessReadOnly;
constexpr int32_t kRW = kNodeAccessReadWrite;
constexpr int32_t kRW7 = kNodeAccessReadWriteBit2;

// Continuous doubles publish the smallest relative step as their increment.
constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

constexpr FixedFeatureLimits integer(int64_t minimum, int64_t maximum, int64_t increment) {
    FixedFeatureLimits limits{FixedFeatureKind::Integer};
    limits.integerMinimum = minimum;
    limits.integerMaximum = maximum;
    limits.integerIncrement = increment;
    return limits;
}

constexpr FixedFeatureLimits real(double minimum, double maximum, double increment) {
    FixedFeatureLimits limits{FixedFeatureKind::Double};
    limits.doubleMinimum = minimum;
    limits.doubleMaximum = maximum;
    limits.doubleIncrement = increment;
    return limits;
}

// The entries are the parameter's enumeration table (enumerationOf), which its setter accepts.
constexpr FixedFeatureLimits enumeration() {
    return FixedFeatureLimits{FixedFeatureKind::Enumeration};
}

constexpr FixedFeatureLimits text(const char* filter) {
    FixedFeatureLimits limits{FixedFeatureKind::String};
    limits.filter = filter;
    return limits;
}

constexpr FixedFeatureLimits integerArray(int64_t elementCount, int64_t minimum, int64_t maximum) {
    FixedFeatureLimits limits{FixedFeatureKind::IntegerArray};
    limits.integerMinimum = minimum;
    limits.integerMaximum = maximum;
    limits.integerIncrement = elementCount;
    return limits;
}

// Some categories hold features of their own after their sub-categories: the output selectors
// of "Digital Output", the mode switches of "Trigger", the shading enables and the LUT type and
// files. Their path names the parent alone.
// clang-format off
const FixedFeature kFixedFeatures[] = {
    {{"Camera Link"}, "Input Format",
     ids::FG_CAMERA_LINK_CAMTYPE, enumeration(), "", kRW7, 1},
    {{"Camera Link"}, "Use DVAL",
     ids::FG_USEDVAL, enumeration(), "", kRW7, 1},
    {{"ROI"}, "Width",
     ids::FG_WIDTH, integer(16, 4096, 16), "pixel", kRW, 2},
    {{"ROI"}, "Height",
     ids::FG_HEIGHT, integer(2, 4096, 1), "pixel", kRW, 2},
    {{"ROI"}, "XOffset",
     ids::FG_XOFFSET, integer(0, 4080, 16), "pixel", kRW, 2},
    {{"ROI"}, "YOffset",
     ids::FG_YOFFSET, integer(0, 4095, 1), "pixel", kRW, 2},
    {{"Trigger", "Legacy"}, "FG_TRIGGERMODE",
     ids::FG_TRIGGERMODE, enumeration(), "", kRW7, 1},
    {{"Trigger", "Legacy"}, "FG_EXSYNCON",
     ids::FG_EXSYNCON, enumeration(), "", kRW7, 1},
    {{"Trigger", "Legacy"}, "FG_FLASHON",
     ids::FG_FLASHON, enumeration(), "", kRW7, 1},
    {{"Trigger", "Legacy"}, "FG_EXPOSURE",
     ids::FG_EXPOSURE, integer(10, 124990, 10), "", kRW7, 1},
    {{"Trigger", "Legacy"}, "FG_EXSYNCDELAY",
     ids::FG_EXSYNCDELAY, real(0, 10230, 10), "\xB5s", kRW7, 2},
    {{"Trigger", "Legacy"}, "FG_EXSYNCPOLARITY",
     ids::FG_EXSYNCPOLARITY, enumeration(), "", kRW7, 1},
    {{"Trigger", "Legacy"}, "FG_STROBEPULSEDELAY",
     ids::FG_STROBEPULSEDELAY, real(0, 10230, 10), "\xB5s", kRW7, 2},
    {{"Trigger", "Legacy"}, "FG_FLASH_POLARITY",
     ids::FG_FLASH_POLARITY, enumeration(), "", kRW7, 1},
    {{"Trigger", "Legacy"}, "FG_PRESCALER",
     ids::FG_PRESCALER, real(0.032, 1048.56, 0.016), "\xB5s", kRW7, 1},
    {{"Trigger", "Legacy"}, "FG_CCSEL0",
     ids::FG_CCSEL0, enumeration(), "", kRW7, 1},
    {{"Trigger", "Legacy"}, "FG_CCSEL1",
     ids::FG_CCSEL1, enumeration(), "", kRW7, 1},
    {{"Trigger", "Legacy"}, "FG_CCSEL2",
     ids::FG_CCSEL2, enumeration(), "", kRW7, 1},
    {{"Trigger", "Legacy"}, "FG_CCSEL3",
     ids::FG_CCSEL3, enumeration(), "", kRW7, 1},
    {{"Trigger", "Legacy"}, "FG_DIGIO_OUTPUT",
     ids::FG_DIGIO_OUTPUT, integer(0, 3, 1), "", kRW7, 1},
    {{"Trigger", "Trigger Input", "External"}, "Input Debounce",
     ids::FG_TRIGGERIN_DEBOUNCE, real(0.096, 3.024, 0.048), "\xB5s", kRW7, 1},
    {{"Trigger", "Trigger Input", "External"}, "Digital Input",
     ids::FG_DIGIO_INPUT, integer(0, 255, 1), "", kRO, 1},
    {{"Trigger", "Trigger Input", "External"}, "Source",
     ids::FG_TRIGGERIN_SRC, enumeration(), "", kRW7, 1},
    {{"Trigger", "Trigger Input", "External"}, "Polarity",
     ids::FG_TRIGGERIN_POLARITY, enumeration(), "", kRW7, 1},
    {{"Trigger", "Trigger Input", "External"}, "Input Downscale",
     ids::FG_TRIGGERIN_DOWNSCALE, integer(1, 2147483647, 1), "", kRW7, 2},
    {{"Trigger", "Trigger Input", "External"}, "Downscale Phase",
     ids::FG_TRIGGERIN_DOWNSCALE_PHASE, integer(0, 4294967294, 1), "", kRW7, 2},
    {{"Trigger", "Trigger Input", "External"}, "Bypass Source",
     ids::FG_TRIGGERIN_BYPASS_SRC, enumeration(), "", kRW7, 1},
    {{"Trigger", "Trigger Input", "Software Trigger"}, "Send Pulses",
     ids::FG_SENDSOFTWARETRIGGER, integer(1, 1, 1), "pulses", kRW7, 2},
    {{"Trigger", "Trigger Input", "Software Trigger"}, "Software Trigger Busy",
     ids::FG_SOFTWARETRIGGER_IS_BUSY, enumeration(), "", kRO, 1},
    {{"Trigger", "Trigger Input", "Software Trigger"}, "Software Trigger Queue Filllevel",
     ids::FG_SOFTWARETRIGGER_QUEUE_FILLLEVEL, integer(0, 2040, 1), "pulses", kRO, 2},
    {{"Trigger", "Trigger Input", "Statistics"}, "Input Pulses",
     ids::FG_TRIGGERIN_STATS_PULSECOUNT, integer(0, 65535, 1), "pulses", kRO, 1},
    {{"Trigger", "Trigger Input", "Statistics"}, "Clear Pulse Count",
     ids::FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR, enumeration(), "", kRW7, 1},
    {{"Trigger", "Trigger Input", "Statistics"}, "Current Frequency",
     ids::FG_TRIGGERIN_STATS_FREQUENCY, real(0, 62500000, kEpsilon), "Hz", kRO, 1},
    {{"Trigger", "Trigger Input", "Statistics"}, "Minimum Frequency",
     ids::FG_TRIGGERIN_STATS_MINFREQUENCY, real(0, 62500000, kEpsilon), "Hz", kRO, 1},
    {{"Trigger", "Trigger Input", "Statistics"}, "Maximum Frequency",
     ids::FG_TRIGGERIN_STATS_MAXFREQUENCY, real(0, 62500000, kEpsilon), "Hz", kRO, 1},
    {{"Trigger", "Trigger Input", "Statistics"}, "Clear MinMax Frequency",
     ids::FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR, enumeration(), "", kRW7, 1},
    {{"Trigger", "Sequencer"}, "Upscale Trigger Pulses",
     ids::FG_TRIGGER_MULTIPLY_PULSES, integer(1, 65535, 1), "", kRW7, 1},
    {{"Trigger", "Queue"}, "Queue Mode",
     ids::FG_TRIGGERQUEUE_MODE, enumeration(), "", kRW7, 1},
    {{"Trigger", "Queue"}, "Filllevel",
     ids::FG_TRIGGERQUEUE_FILLLEVEL, integer(0, 2040, 1), "pulses", kRO, 1},
    {{"Trigger", "Queue"}, "Queue Fill Level Event On Threshold",
     ids::FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_ON_THRESHOLD, integer(2, 2047, 1), "pulses", kRW7, 1},
    {{"Trigger", "Queue"}, "Queue Fill Level Event Off Threshold",
     ids::FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_OFF_THRESHOLD, integer(2, 2047, 1), "pulses", kRW7, 1},
    {{"Trigger", "Pulse Form Generator 0"}, "Downscale",
     ids::FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE, integer(1, 7, 1), "", kRW7, 2},
    {{"Trigger", "Pulse Form Generator 0"}, "Phase",
     ids::FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE_PHASE, integer(0, 6, 1), "", kRW7, 2},
    {{"Trigger", "Pulse Form Generator 0"}, "Delay",
     ids::FG_TRIGGER_PULSEFORMGEN0_DELAY, real(0, 34000000, 0.016), "\xB5s", kRW7, 1},
    {{"Trigger", "Pulse Form Generator 0"}, "Signal Width",
     ids::FG_TRIGGER_PULSEFORMGEN0_WIDTH, real(1, 68000000, 0.016), "\xB5s", kRW7, 1},
    {{"Trigger", "Pulse Form Generator 1"}, "Downscale",
     ids::FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE, integer(1, 7, 1), "", kRW7, 2},
    {{"Trigger", "Pulse Form Generator 1"}, "Phase",
     ids::FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE_PHASE, integer(0, 6, 1), "", kRW7, 2},
    {{"Trigger", "Pulse Form Generator 1"}, "Delay",
     ids::FG_TRIGGER_PULSEFORMGEN1_DELAY, real(0, 34000000, 0.016), "\xB5s", kRW7, 1},
    {{"Trigger", "Pulse Form Generator 1"}, "Signal Width",
     ids::FG_TRIGGER_PULSEFORMGEN1_WIDTH, real(1, 68000000, 0.016), "\xB5s", kRW7, 1},
    {{"Trigger", "Pulse Form Generator 2"}, "Downscale",
     ids::FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE, integer(1, 7, 1), "", kRW7, 2},
    {{"Trigger", "Pulse Form Generator 2"}, "Phase",
     ids::FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE_PHASE, integer(0, 6, 1), "", kRW7, 2},
    {{"Trigger", "Pulse Form Generator 2"}, "Delay",
     ids::FG_TRIGGER_PULSEFORMGEN2_DELAY, real(0, 34000000, 0.016), "\xB5s", kRW7, 1},
    {{"Trigger", "Pulse Form Generator 2"}, "Signal Width",
     ids::FG_TRIGGER_PULSEFORMGEN2_WIDTH, real(1, 68000000, 0.016), "\xB5s", kRW7, 1},
    {{"Trigger", "Pulse Form Generator 3"}, "Downscale",
     ids::FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE, integer(1, 7, 1), "", kRW7, 2},
    {{"Trigger", "Pulse Form Generator 3"}, "Phase",
     ids::FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE_PHASE, integer(0, 6, 1), "", kRW7, 2},
    {{"Trigger", "Pulse Form Generator 3"}, "Delay",
     ids::FG_TRIGGER_PULSEFORMGEN3_DELAY, real(0, 34000000, 0.016), "\xB5s", kRW7, 1},
    {{"Trigger", "Pulse Form Generator 3"}, "Signal Width",
     ids::FG_TRIGGER_PULSEFORMGEN3_WIDTH, real(1, 68000000, 0.016), "\xB5s", kRW7, 1},
    {{"Trigger", "CC Signal Mapping"}, "CC0",
     ids::FG_TRIGGERCC_SELECT0, enumeration(), "", kRW7, 1},
    {{"Trigger", "CC Signal Mapping"}, "CC1",
     ids::FG_TRIGGERCC_SELECT1, enumeration(), "", kRW7, 1},
    {{"Trigger", "CC Signal Mapping"}, "CC2",
     ids::FG_TRIGGERCC_SELECT2, enumeration(), "", kRW7, 1},
    {{"Trigger", "CC Signal Mapping"}, "CC3",
     ids::FG_TRIGGERCC_SELECT3, enumeration(), "", kRW7, 1},
    {{"Trigger", "Digital Output", "Statistics"}, "Trigger Exceeded Period Limits",
     ids::FG_TRIGGER_EXCEEDED_PERIOD_LIMITS, enumeration(), "", kRO, 1},
    {{"Trigger", "Digital Output", "Statistics"}, "Clear Exceeded Period Limits Register",
     ids::FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR, enumeration(), "", kRW7, 1},
    {{"Trigger", "Digital Output", "Statistics"}, "Source",
     ids::FG_TRIGGEROUT_STATS_SOURCE, enumeration(), "", kRW7, 1},
    {{"Trigger", "Digital Output", "Statistics"}, "Pulse Count",
     ids::FG_TRIGGEROUT_STATS_PULSECOUNT, integer(0, 65535, 1), "pulses", kRO, 1},
    {{"Trigger", "Digital Output", "Statistics"}, "Clear pulse counter",
     ids::FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR, enumeration(), "", kRW7, 1},
    {{"Trigger", "Digital Output", "Statistics"}, "Missing Camera Frame Response",
     ids::FG_MISSING_CAMERA_FRAME_RESPONSE, enumeration(), "", kRO, 1},
    {{"Trigger", "Digital Output", "Statistics"}, "Clear Frame Response Register",
     ids::FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR, enumeration(), "", kRW7, 1},
    {{"Trigger", "Digital Output"}, "Output 0",
     ids::FG_TRIGGEROUT_SELECT0, enumeration(), "", kRW7, 1},
    {{"Trigger", "Digital Output"}, "Output 1",
     ids::FG_TRIGGEROUT_SELECT1, enumeration(), "", kRW7, 1},
    {{"Trigger", "Digital Output"}, "Output 2",
     ids::FG_TRIGGEROUT_SELECT2, enumeration(), "", kRW7, 1},
    {{"Trigger", "Digital Output"}, "Output 3",
     ids::FG_TRIGGEROUT_SELECT3, enumeration(), "", kRW7, 1},
    {{"Trigger", "Digital Output"}, "Output 4",
     ids::FG_TRIGGEROUT_SELECT4, enumeration(), "", kRW7, 1},
    {{"Trigger", "Digital Output"}, "Output 5",
     ids::FG_TRIGGEROUT_SELECT5, enumeration(), "", kRW7, 1},
    {{"Trigger", "Digital Output"}, "Output 6",
     ids::FG_TRIGGEROUT_SELECT6, enumeration(), "", kRW7, 1},
    {{"Trigger", "Digital Output"}, "Output 7",
     ids::FG_TRIGGEROUT_SELECT7, enumeration(), "", kRW7, 1},
    {{"Trigger", "Output Event"}, "Output Event Select",
     ids::FG_TRIGGER_OUTPUT_EVENT_SELECT, enumeration(), "", kRW7, 1},
    {{"Trigger"}, "Area Trigger Mode",
     ids::FG_AREATRIGGERMODE, enumeration(), "", kRW7, 1},
    {{"Trigger"}, "Trigger State",
     ids::FG_TRIGGERSTATE, enumeration(), "", kRW7, 1},
    {{"Trigger"}, "Frames/Sec",
     ids::FG_TRIGGER_FRAMESPERSECOND, real(kFramesPerSecondMinimum, 6250000, kEpsilon), "Hz", kRW7, 2},
    {{"Trigger"}, "Trigger Legacy Mode",
     ids::FG_TRIGGER_LEGACY_MODE, enumeration(), "", kRW7, 1},
    {{"Overflow"}, "Buffer fill level",
     ids::FG_FILLLEVEL, integer(0, 100, 1), "%", kRO, 1},
    {{"Overflow"}, "Buffer overflow",
     ids::FG_OVERFLOW, integer(0, 1, 1), "", kRO, 1},
    {{"Image Selector"}, "Image select period",
     ids::FG_IMG_SELECT_PERIOD, integer(1, 256, 1), "image", kRW7, 1},
    {{"Image Selector"}, "Image select",
     ids::FG_IMG_SELECT, integer(0, 255, 1), "image", kRW7, 1},
    {{"Shading Correction", "Auto Shading Correction"}, "Black Image",
     ids::FG_SHADING_BLACK_FILENAME, text("*.tif *.tiff"), "", kRW7, 1},
    {{"Shading Correction", "Auto Shading Correction"}, "Gray Image",
     ids::FG_SHADING_GRAY_FILENAME, text("*.tif *.tiff"), "", kRW7, 1},
    {{"Shading Correction", "Auto Shading Correction"}, "Gain Correction Mode ",
     ids::FG_SHADING_GAIN_CORRECTION_MODE, enumeration(), "", kRW7, 1},
    {{"Shading Correction", "Auto Shading Correction"}, "Gain Normalization Value",
     ids::FG_SHADING_GAIN_NORMALIZATION_VALUE, real(0, 4095, 0.000244140625), "", kRW7, 1},
    {{"Shading Correction", "Auto Shading Correction"}, "Dead Pixel Interpolation Threshold",
     ids::FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD, integer(0, 4095, 1), "", kRW7, 1},
    {{"Shading Correction", "Auto Shading Correction"}, "Apply Settings ",
     ids::FG_SHADING_APPLY_SETTINGS, enumeration(), "", kRW, 1},
    {{"Shading Correction"}, "Offset Enable",
     ids::FG_SHADING_OFFSET_ENABLE, enumeration(), "", kRW7, 1},
    {{"Shading Correction"}, "Gain Enable",
     ids::FG_SHADING_GAIN_ENABLE, enumeration(), "", kRW7, 1},
    {{"Shading Correction"}, "Dead Pixel Interpolation ",
     ids::FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, enumeration(), "", kRW7, 1},
    {{"Noise Filter"}, "Noise Filter",
     ids::FG_NOISEFILTER, enumeration(), "", kRW7, 1},
    {{"Lookup Table", "Applet Properties"}, "LUT Implementation Type",
     ids::FG_LUT_IMPLEMENTATION_TYPE, enumeration(), "", kRO, 1},
    {{"Lookup Table", "Applet Properties"}, "LUT In Bits",
     ids::FG_LUT_IN_BITS, integer(0, 0, 0), "bit", kRO, 1},
    {{"Lookup Table", "Applet Properties"}, "LUT Out Bits",
     ids::FG_LUT_OUT_BITS, integer(0, 0, 0), "bit", kRO, 1},
    {{"Lookup Table"}, "Type",
     ids::FG_LUT_TYPE, enumeration(), "", kRW7, 1},
    {{"Lookup Table"}, "LUT Values",
     ids::FG_LUT_VALUE, integerArray(4096, 0, 4095), "", kRW7, 1},
    {{"Lookup Table"}, "Load File",
     ids::FG_LUT_CUSTOM_FILE, text("*.lut"), "", kRW7, 1},
    {{"Lookup Table"}, "Save File",
     ids::FG_LUT_SAVE_FILE, text("*.lut"), "", kRW7, 1},
    {{"Processing"}, "Offset",
     ids::FG_PROCESSING_OFFSET, real(-1, 1, kEpsilon), "", kRW7, 1},
    {{"Processing"}, "Gain",
     ids::FG_PROCESSING_GAIN, real(0, 4096, kEpsilon), "", kRW7, 1},
    {{"Processing"}, "Gamma",
     ids::FG_PROCESSING_GAMMA, real(-1000, 1000, kEpsilon), "", kRW7, 1},
    {{"Processing"}, "Invert",
     ids::FG_PROCESSING_INVERT, enumeration(), "", kRW7, 1},
    {{"Output Format"}, "Output Format",
     ids::FG_FORMAT, enumeration(), "", kRW, 1},
    {{"Output Format"}, "Alignment",
     ids::FG_BITALIGNMENT, enumeration(), "", kRW7, 1},
    {{"Output Format"}, "Pixel Depth",
     ids::FG_PIXELDEPTH, integer(0, 128, 1), "bit", kRO, 1},
    {{"Camera Simulator"}, "Image Source",
     ids::FG_GEN_ENABLE, enumeration(), "", kRW7, 1},
    {{"Camera Simulator"}, "Image Start",
     ids::FG_GEN_START, enumeration(), "", kRW7, 1},
    {{"Camera Simulator"}, "Width",
     ids::FG_GEN_WIDTH, integer(0, 65535, 1), "pixel", kRW7, 1},
    {{"Camera Simulator"}, "Height",
     ids::FG_GEN_HEIGHT, integer(0, 65535, 1), "pixel", kRW7, 1},
    {{"Camera Simulator"}, "Line Gap",
     ids::FG_GEN_LINE_GAP, integer(0, 65535, 1), "pixel", kRW7, 1},
    {{"Camera Simulator"}, "Frequency",
     ids::FG_GEN_FREQ, real(3, 125, 1), "MHz", kRW7, 2},
    {{"Camera Simulator"}, "Accuracy",
     ids::FG_GEN_ACCURACY, integer(1, 65535, 1), "", kRW7, 2},
    {{"Camera Simulator"}, "Tap 1",
     ids::FG_GEN_TAP1, enumeration(), "", kRW7, 1},
    {{"Camera Simulator"}, "Tap 2",
     ids::FG_GEN_TAP2, enumeration(), "", kRW7, 1},
    {{"Camera Simulator"}, "Tap 3",
     ids::FG_GEN_TAP3, enumeration(), "", kRW7, 1},
    {{"Camera Simulator"}, "Tap 4",
     ids::FG_GEN_TAP4, enumeration(), "", kRW7, 1},
    {{"Camera Simulator"}, "Roll",
     ids::FG_GEN_ROLL, integer(0, 255, 1), "", kRW7, 1},
    {{"Camera Simulator"}, "Active",
     ids::FG_GEN_ACTIVE, integer(0, 65535, 1), "", kRO, 1},
    {{"Camera Simulator"}, "Passive",
     ids::FG_GEN_PASSIVE, integer(0, 65535, 1), "", kRO, 1},
    {{"Camera Simulator"}, "Line Width",
     ids::FG_GEN_LINE_WIDTH, integer(0, 65535, 1), "pixel", kRO, 1},
    {{"Miscellaneous"}, "Timeout",
     ids::FG_TIMEOUT, integer(2, 2147483646, 1), "seconds", kRW7, 1},
    {{"Miscellaneous"}, "Turbo DMA Mode",
     ids::FG_TURBO_DMA_MODE, integer(0, 1, 1), "", kRW, 1},
    {{"Miscellaneous"}, "Applet version",
     ids::FG_APPLET_VERSION, integer(0, 0, 0), "", kRO, 1},
    {{"Miscellaneous"}, "Applet revision",
     ids::FG_APPLET_REVISION, integer(0, 0, 0), "", kRO, 1},
    {{"Miscellaneous"}, "Applet Id",
     ids::FG_APPLET_ID, integer(0, 0, 0), "", kRO, 1},
    {{"Miscellaneous"}, "HAP file",
     ids::FG_HAP_FILE, text("*.hap"), "", kRO, 1},
    {{"Miscellaneous"}, "DMA Status",
     ids::FG_DMASTATUS, integer(0, 0, 0), "", kRO, 1},
    {{"Miscellaneous"}, "Camera Status",
     ids::FG_CAMSTATUS, integer(0, 1, 1), "", kRO, 1},
    {{"Miscellaneous"}, "Camera Status Extended",
     ids::FG_CAMSTATUS_EXTENDED, integer(0, 255, 1), "", kRO, 1},
};
// clang-format on

} // namespace

std::span<const FixedFeature> fixedFeatures() {
    return kFixedFeatures;
}

} // namespace kestrel
