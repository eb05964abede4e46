// The initial hardware state: every listed setter once, with its catalogue initial value.
#include "params/initial_values.h"

#include <array>
#include <cstring>

#include "params/parameter_catalogue.h"
#include "params/parameter_handlers.h"
#include "params/parameter_ids.h"

namespace kestrel {

namespace {

using namespace ids;

constexpr auto kInitialStateIds = std::to_array<int32_t>({
    FG_TIMEOUT,
    FG_TURBO_DMA_MODE,
    FG_CAMERA_LINK_CAMTYPE,
    FG_USEDVAL,
    FG_WIDTH,
    FG_HEIGHT,
    FG_XOFFSET,
    FG_YOFFSET,
    FG_FORMAT,
    FG_BITALIGNMENT,
    FG_GEN_ENABLE,
    FG_GEN_START,
    FG_GEN_WIDTH,
    FG_GEN_HEIGHT,
    FG_GEN_LINE_GAP,
    FG_GEN_FREQ,
    FG_GEN_ACCURACY,
    FG_GEN_TAP1,
    FG_GEN_TAP2,
    FG_GEN_TAP3,
    FG_GEN_TAP4,
    FG_GEN_ROLL,
    FG_IMG_SELECT_PERIOD,
    FG_IMG_SELECT,
    FG_NOISEFILTER,
    FG_LUT_TYPE,
    FG_PROCESSING_OFFSET,
    FG_PROCESSING_GAIN,
    FG_PROCESSING_GAMMA,
    FG_PROCESSING_INVERT,
    FG_SHADING_OFFSET_ENABLE,
    FG_SHADING_GAIN_ENABLE,
    FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE,
    FG_SHADING_GAIN_CORRECTION_MODE,
    FG_SHADING_GAIN_NORMALIZATION_VALUE,
    FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD,
    FG_SHADING_APPLY_SETTINGS,
    FG_AREATRIGGERMODE,
    FG_TRIGGERSTATE,
    FG_TRIGGER_FRAMESPERSECOND,
    FG_TRIGGERIN_DEBOUNCE,
    FG_TRIGGERIN_SRC,
    FG_TRIGGERIN_POLARITY,
    FG_TRIGGERIN_DOWNSCALE,
    FG_TRIGGERIN_DOWNSCALE_PHASE,
    FG_TRIGGERIN_BYPASS_SRC,
    FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR,
    FG_TRIGGER_MULTIPLY_PULSES,
    FG_TRIGGERQUEUE_MODE,
    FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_ON_THRESHOLD,
    FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_OFF_THRESHOLD,
    FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE,
    FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE_PHASE,
    FG_TRIGGER_PULSEFORMGEN0_DELAY,
    FG_TRIGGER_PULSEFORMGEN0_WIDTH,
    FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE,
    FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE_PHASE,
    FG_TRIGGER_PULSEFORMGEN1_DELAY,
    FG_TRIGGER_PULSEFORMGEN1_WIDTH,
    FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE,
    FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE_PHASE,
    FG_TRIGGER_PULSEFORMGEN2_DELAY,
    FG_TRIGGER_PULSEFORMGEN2_WIDTH,
    FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE,
    FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE_PHASE,
    FG_TRIGGER_PULSEFORMGEN3_DELAY,
    FG_TRIGGER_PULSEFORMGEN3_WIDTH,
    FG_TRIGGERCC_SELECT0,
    FG_TRIGGERCC_SELECT1,
    FG_TRIGGERCC_SELECT2,
    FG_TRIGGERCC_SELECT3,
    FG_TRIGGEROUT_SELECT0,
    FG_TRIGGEROUT_SELECT1,
    FG_TRIGGEROUT_SELECT2,
    FG_TRIGGEROUT_SELECT3,
    FG_TRIGGEROUT_SELECT4,
    FG_TRIGGEROUT_SELECT5,
    FG_TRIGGEROUT_SELECT6,
    FG_TRIGGEROUT_SELECT7,
    FG_TRIGGEROUT_STATS_SOURCE,
    FG_TRIGGER_OUTPUT_EVENT_SELECT,
    FG_TRIGGER_LEGACY_MODE,
    FG_TRIGGERMODE,
    FG_EXSYNCON,
    FG_FLASHON,
    FG_EXPOSURE,
    FG_EXSYNCDELAY,
    FG_EXSYNCPOLARITY,
    FG_STROBEPULSEDELAY,
    FG_FLASH_POLARITY,
    FG_PRESCALER,
    FG_CCSEL0,
    FG_CCSEL1,
    FG_CCSEL2,
    FG_CCSEL3,
    FG_DIGIO_OUTPUT,
});

// The 8 bytes a setter reads its initial value from, in the parameter's own type.
union InitialValue {
    uint32_t u32;
    int32_t i32;
    double f64;
};

InitialValue initialValueOf(const ParameterDefinition& row) {
    InitialValue value{};
    switch (row.type) {
    case ParameterType::UInt32:
        value.u32 = static_cast<uint32_t>(row.defaultValue.number);
        break;
    case ParameterType::Int32:
        value.i32 = static_cast<int32_t>(row.defaultValue.number);
        break;
    case ParameterType::Double:
        value.f64 = row.defaultValue.number;
        break;
    default:
        break;
    }
    return value;
}

} // namespace

std::span<const int32_t> initialStateParameterIds() {
    return kInitialStateIds;
}

void applyInitialValues(const ParameterHandlerTable& handlers) {
    for (const int32_t id : kInitialStateIds) {
        const ParameterDefinition* row = ParameterCatalogue::byId(id);
        const InitialValue value = initialValueOf(*row);
        try {
            handlers.set(id, &value, false);
        } catch (int32_t) {
            // A parameter whose handler is missing; nothing to write.
        }
    }
}

} // namespace kestrel
