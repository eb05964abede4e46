// A new value block holds the initial value of every writable catalogue parameter.
#include "params/parameter_value_block.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <variant>

#include "params/parameter_catalogue.h"
#include "params/parameter_ids.h"

namespace kestrel {
namespace {

using namespace ids;
using Value = std::variant<double, std::string>;
using Field = std::function<Value(const ParameterValueBlock&)>;

// Where each writable parameter lives in the block.
std::map<int32_t, Field> fieldsById() {
    using B = ParameterValueBlock;
    std::map<int32_t, Field> f;
    f[FG_TIMEOUT] = [](const B& b) -> Value { return double(b.timeoutSeconds); };
    f[FG_TURBO_DMA_MODE] = [](const B& b) -> Value { return double(b.turboDmaMode); };
    f[FG_CAMERA_LINK_CAMTYPE] = [](const B& b) -> Value { return double(b.cameraLinkCamType); };
    f[FG_USEDVAL] = [](const B& b) -> Value { return double(b.useDval); };
    f[FG_WIDTH] = [](const B& b) -> Value { return double(b.widthPixels); };
    f[FG_HEIGHT] = [](const B& b) -> Value { return double(b.heightLines); };
    f[FG_XOFFSET] = [](const B& b) -> Value { return double(b.xOffsetPixels); };
    f[FG_YOFFSET] = [](const B& b) -> Value { return double(b.yOffsetLines); };
    f[FG_FORMAT] = [](const B& b) -> Value { return double(b.format); };
    f[FG_BITALIGNMENT] = [](const B& b) -> Value { return double(b.bitAlignment); };
    f[FG_GEN_ENABLE] = [](const B& b) -> Value { return double(b.generatorEnable); };
    f[FG_GEN_START] = [](const B& b) -> Value { return double(b.generatorStart); };
    f[FG_GEN_WIDTH] = [](const B& b) -> Value { return double(b.generatorWidthPixels); };
    f[FG_GEN_HEIGHT] = [](const B& b) -> Value { return double(b.generatorHeightLines); };
    f[FG_GEN_LINE_GAP] = [](const B& b) -> Value { return double(b.generatorLineGapPixels); };
    f[FG_GEN_FREQ] = [](const B& b) -> Value { return b.generatorFrequencyMHz; };
    f[FG_GEN_ACCURACY] = [](const B& b) -> Value { return double(b.generatorAccuracy); };
    f[FG_GEN_TAP1] = [](const B& b) -> Value { return double(b.generatorTaps[0]); };
    f[FG_GEN_TAP2] = [](const B& b) -> Value { return double(b.generatorTaps[1]); };
    f[FG_GEN_TAP3] = [](const B& b) -> Value { return double(b.generatorTaps[2]); };
    f[FG_GEN_TAP4] = [](const B& b) -> Value { return double(b.generatorTaps[3]); };
    f[FG_GEN_ROLL] = [](const B& b) -> Value { return double(b.generatorRoll); };
    f[FG_IMG_SELECT_PERIOD] = [](const B& b) -> Value { return double(b.imageSelectPeriod); };
    f[FG_IMG_SELECT] = [](const B& b) -> Value { return double(b.imageSelect); };
    f[FG_NOISEFILTER] = [](const B& b) -> Value { return double(b.noiseFilter); };
    f[FG_LUT_TYPE] = [](const B& b) -> Value { return double(b.lutType); };
    f[FG_LUT_VALUE] = [](const B& b) -> Value {
        for (uint32_t v : b.lutValues)
            if (v != 0)
                return 1.0;
        return 0.0;
    };
    f[FG_LUT_CUSTOM_FILE] = [](const B& b) -> Value { return b.lutCustomFile; };
    f[FG_LUT_SAVE_FILE] = [](const B& b) -> Value { return b.lutSaveFile; };
    f[FG_PROCESSING_OFFSET] = [](const B& b) -> Value { return b.processingOffset; };
    f[FG_PROCESSING_GAIN] = [](const B& b) -> Value { return b.processingGain; };
    f[FG_PROCESSING_GAMMA] = [](const B& b) -> Value { return b.processingGamma; };
    f[FG_PROCESSING_INVERT] = [](const B& b) -> Value { return double(b.processingInvert); };
    f[FG_SHADING_OFFSET_ENABLE] = [](const B& b) -> Value { return double(b.shadingOffsetEnable); };
    f[FG_SHADING_GAIN_ENABLE] = [](const B& b) -> Value { return double(b.shadingGainEnable); };
    f[FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE] = [](const B& b) -> Value {
        return double(b.shadingDeadPixelInterpolationEnable);
    };
    f[FG_SHADING_BLACK_FILENAME] = [](const B& b) -> Value { return b.shadingBlackFile; };
    f[FG_SHADING_GRAY_FILENAME] = [](const B& b) -> Value { return b.shadingGrayFile; };
    f[FG_SHADING_GAIN_CORRECTION_MODE] = [](const B& b) -> Value {
        return double(b.shadingGainCorrectionMode);
    };
    f[FG_SHADING_GAIN_NORMALIZATION_VALUE] = [](const B& b) -> Value {
        return b.shadingGainNormalizationValue;
    };
    f[FG_SHADING_DEAD_PIXEL_INTERPOLATION_THRESHOLD] = [](const B& b) -> Value {
        return double(b.shadingDeadPixelThreshold);
    };
    f[FG_SHADING_APPLY_SETTINGS] = [](const B& b) -> Value { return double(b.shadingApplySettings); };
    f[FG_AREATRIGGERMODE] = [](const B& b) -> Value { return double(b.areaTriggerMode); };
    f[FG_TRIGGERSTATE] = [](const B& b) -> Value { return double(b.triggerState); };
    f[FG_TRIGGER_FRAMESPERSECOND] = [](const B& b) -> Value { return b.triggerFramesPerSecondHz; };
    f[FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR] = [](const B& b) -> Value {
        return double(b.triggerExceededPeriodLimitsClear);
    };
    f[FG_TRIGGERIN_DEBOUNCE] = [](const B& b) -> Value { return b.triggerInDebounceUs; };
    f[FG_TRIGGERIN_SRC] = [](const B& b) -> Value { return double(b.triggerInSource); };
    f[FG_TRIGGERIN_POLARITY] = [](const B& b) -> Value { return double(b.triggerInPolarity); };
    f[FG_TRIGGERIN_DOWNSCALE] = [](const B& b) -> Value { return double(b.triggerInDownscale); };
    f[FG_TRIGGERIN_DOWNSCALE_PHASE] = [](const B& b) -> Value { return double(b.triggerInDownscalePhase); };
    f[FG_TRIGGERIN_BYPASS_SRC] = [](const B& b) -> Value { return double(b.triggerInBypassSource); };
    f[FG_SENDSOFTWARETRIGGER] = [](const B& b) -> Value { return double(b.sendSoftwareTriggerPulses); };
    f[FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR] = [](const B& b) -> Value {
        return double(b.triggerInPulseCountClear);
    };
    f[FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR] = [](const B& b) -> Value {
        return double(b.triggerInMinMaxFrequencyClear);
    };
    f[FG_TRIGGER_MULTIPLY_PULSES] = [](const B& b) -> Value { return double(b.triggerMultiplyPulses); };
    f[FG_TRIGGERQUEUE_MODE] = [](const B& b) -> Value { return double(b.triggerQueueMode); };
    f[FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_ON_THRESHOLD] = [](const B& b) -> Value {
        return double(b.triggerQueueFillLevelOnThreshold);
    };
    f[FG_TRIGGER_QUEUE_FILLLEVEL_EVENT_OFF_THRESHOLD] = [](const B& b) -> Value {
        return double(b.triggerQueueFillLevelOffThreshold);
    };
    const int32_t generatorIds[4][4] = {
        {FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE, FG_TRIGGER_PULSEFORMGEN0_DOWNSCALE_PHASE,
         FG_TRIGGER_PULSEFORMGEN0_DELAY, FG_TRIGGER_PULSEFORMGEN0_WIDTH},
        {FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE, FG_TRIGGER_PULSEFORMGEN1_DOWNSCALE_PHASE,
         FG_TRIGGER_PULSEFORMGEN1_DELAY, FG_TRIGGER_PULSEFORMGEN1_WIDTH},
        {FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE, FG_TRIGGER_PULSEFORMGEN2_DOWNSCALE_PHASE,
         FG_TRIGGER_PULSEFORMGEN2_DELAY, FG_TRIGGER_PULSEFORMGEN2_WIDTH},
        {FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE, FG_TRIGGER_PULSEFORMGEN3_DOWNSCALE_PHASE,
         FG_TRIGGER_PULSEFORMGEN3_DELAY, FG_TRIGGER_PULSEFORMGEN3_WIDTH}};
    for (std::size_t g = 0; g < 4; ++g) {
        f[generatorIds[g][0]] = [g](const B& b) -> Value {
            return double(b.pulseFormGenerators[g].downscale);
        };
        f[generatorIds[g][1]] = [g](const B& b) -> Value {
            return double(b.pulseFormGenerators[g].downscalePhase);
        };
        f[generatorIds[g][2]] = [g](const B& b) -> Value { return b.pulseFormGenerators[g].delayUs; };
        f[generatorIds[g][3]] = [g](const B& b) -> Value { return b.pulseFormGenerators[g].widthUs; };
    }
    const int32_t ccIds[4] = {FG_TRIGGERCC_SELECT0, FG_TRIGGERCC_SELECT1, FG_TRIGGERCC_SELECT2,
                              FG_TRIGGERCC_SELECT3};
    for (std::size_t i = 0; i < 4; ++i)
        f[ccIds[i]] = [i](const B& b) -> Value { return double(b.triggerCcSelects[i]); };
    const int32_t outIds[8] = {FG_TRIGGEROUT_SELECT0, FG_TRIGGEROUT_SELECT1, FG_TRIGGEROUT_SELECT2,
                               FG_TRIGGEROUT_SELECT3, FG_TRIGGEROUT_SELECT4, FG_TRIGGEROUT_SELECT5,
                               FG_TRIGGEROUT_SELECT6, FG_TRIGGEROUT_SELECT7};
    for (std::size_t i = 0; i < 8; ++i)
        f[outIds[i]] = [i](const B& b) -> Value { return double(b.triggerOutSelects[i]); };
    f[FG_TRIGGEROUT_STATS_SOURCE] = [](const B& b) -> Value { return double(b.triggerOutStatsSource); };
    f[FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR] = [](const B& b) -> Value {
        return double(b.triggerOutPulseCountClear);
    };
    f[FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR] = [](const B& b) -> Value {
        return double(b.missingCameraFrameResponseClear);
    };
    f[FG_TRIGGER_OUTPUT_EVENT_SELECT] = [](const B& b) -> Value {
        return double(b.triggerOutputEventSelect);
    };
    f[FG_TRIGGER_LEGACY_MODE] = [](const B& b) -> Value { return double(b.triggerLegacyMode); };
    f[FG_TRIGGERMODE] = [](const B& b) -> Value { return double(b.legacyTriggerMode); };
    f[FG_EXSYNCON] = [](const B& b) -> Value { return double(b.legacyExsyncOn); };
    f[FG_FLASHON] = [](const B& b) -> Value { return double(b.legacyFlashOn); };
    f[FG_EXPOSURE] = [](const B& b) -> Value { return double(b.legacyExposureUs); };
    f[FG_EXSYNCDELAY] = [](const B& b) -> Value { return b.legacyExsyncDelayUs; };
    f[FG_EXSYNCPOLARITY] = [](const B& b) -> Value { return double(b.legacyExsyncPolarity); };
    f[FG_STROBEPULSEDELAY] = [](const B& b) -> Value { return b.legacyStrobePulseDelayUs; };
    f[FG_FLASH_POLARITY] = [](const B& b) -> Value { return double(b.legacyFlashPolarity); };
    f[FG_PRESCALER] = [](const B& b) -> Value { return b.legacyPrescalerUs; };
    const int32_t ccselIds[4] = {FG_CCSEL0, FG_CCSEL1, FG_CCSEL2, FG_CCSEL3};
    for (std::size_t i = 0; i < 4; ++i)
        f[ccselIds[i]] = [i](const B& b) -> Value { return double(b.legacyCcSelects[i]); };
    f[FG_DIGIO_OUTPUT] = [](const B& b) -> Value { return double(b.legacyDigitalOutput); };
    return f;
}

TEST(ParameterValueBlock, HoldsAFieldForEveryWritableParameterAndNoOther) {
    const auto fields = fieldsById();
    int writable = 0;
    for (const auto& row : ParameterCatalogue::all()) {
        if (row.readOnly()) {
            EXPECT_EQ(fields.count(row.id), 0u) << row.name;
        } else {
            ++writable;
            EXPECT_EQ(fields.count(row.id), 1u) << row.name;
        }
    }
    EXPECT_EQ(static_cast<int>(fields.size()), writable);
}

TEST(ParameterValueBlock, StartsAtTheCatalogueDefaults) {
    const ParameterValueBlock block;
    const auto fields = fieldsById();
    for (const auto& row : ParameterCatalogue::all()) {
        const auto it = fields.find(row.id);
        if (it == fields.end())
            continue;
        const Value value = it->second(block);
        if (row.type == ParameterType::String)
            EXPECT_EQ(std::get<std::string>(value), row.defaultValue.text) << row.name;
        else
            EXPECT_EQ(std::get<double>(value), row.defaultValue.number) << row.name;
    }
}

TEST(ParameterValueBlock, LookupTableStartsAllZero) {
    const ParameterValueBlock block;
    EXPECT_EQ(block.lutValues.size(), kLutEntries);
    for (uint32_t v : block.lutValues)
        ASSERT_EQ(v, 0u);
}

} // namespace
} // namespace kestrel
