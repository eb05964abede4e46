// Which catalogue parameter uses which enumeration table.
#include "params/enumerations.h"

#include <algorithm>

#include "params/parameter_ids.h"

namespace kestrel {
namespace {

using namespace ids;

struct ParameterEnumeration {
    int32_t id;
    EnumerationTable table;
};

constexpr std::array kByParameter = std::to_array<ParameterEnumeration>({
    {FG_CAMERA_LINK_CAMTYPE, kCameraLinkFormatEntries},
    {FG_USEDVAL, kYesNoEntries},
    {FG_FORMAT, kOutputFormatEntries},
    {FG_BITALIGNMENT, kBitAlignmentEntries},
    {FG_GEN_ENABLE, kImageSourceEntries},
    {FG_GEN_START, kOnOffEntries},
    {FG_GEN_TAP1, kOnOffEntries},
    {FG_GEN_TAP2, kOnOffEntries},
    {FG_GEN_TAP3, kOnOffEntries},
    {FG_GEN_TAP4, kOnOffEntries},
    {FG_NOISEFILTER, kOnOffEntries},
    {FG_LUT_TYPE, kLutTypeEntries},
    {FG_LUT_IMPLEMENTATION_TYPE, kLutImplementationEntries},
    {FG_PROCESSING_INVERT, kOnOffEntries},
    {FG_SHADING_OFFSET_ENABLE, kOnOffEntries},
    {FG_SHADING_GAIN_ENABLE, kOnOffEntries},
    {FG_SHADING_DEAD_PIXEL_INTERPOLATION_ENABLE, kOnOffEntries},
    {FG_SHADING_GAIN_CORRECTION_MODE, kGainCorrectionModeEntries},
    {FG_SHADING_APPLY_SETTINGS, kApplyEntries},
    {FG_AREATRIGGERMODE, kAreaTriggerModeEntries},
    {FG_TRIGGERSTATE, kTriggerStateEntries},
    {FG_TRIGGER_EXCEEDED_PERIOD_LIMITS, kYesNoEntries},
    {FG_TRIGGER_EXCEEDED_PERIOD_LIMITS_CLEAR, kApplyEntries},
    {FG_TRIGGERIN_SRC, kTriggerInSourceEntries},
    {FG_TRIGGERIN_POLARITY, kTriggerInPolarityEntries},
    {FG_TRIGGERIN_BYPASS_SRC, kTriggerInSourceEntries},
    {FG_SOFTWARETRIGGER_IS_BUSY, kSoftwareTriggerBusyEntries},
    {FG_TRIGGERIN_STATS_PULSECOUNT_CLEAR, kApplyEntries},
    {FG_TRIGGERIN_STATS_MINMAXFREQUENCY_CLEAR, kApplyEntries},
    {FG_TRIGGERQUEUE_MODE, kOnOffEntries},
    {FG_TRIGGERCC_SELECT0, kCcSelectEntries},
    {FG_TRIGGERCC_SELECT1, kCcSelectEntries},
    {FG_TRIGGERCC_SELECT2, kCcSelectEntries},
    {FG_TRIGGERCC_SELECT3, kCcSelectEntries},
    {FG_TRIGGEROUT_SELECT0, kTriggerOutSelectEntries},
    {FG_TRIGGEROUT_SELECT1, kTriggerOutSelectEntries},
    {FG_TRIGGEROUT_SELECT2, kTriggerOutSelectEntries},
    {FG_TRIGGEROUT_SELECT3, kTriggerOutSelectEntries},
    {FG_TRIGGEROUT_SELECT4, kTriggerOutSelectEntries},
    {FG_TRIGGEROUT_SELECT5, kTriggerOutSelectEntries},
    {FG_TRIGGEROUT_SELECT6, kTriggerOutSelectEntries},
    {FG_TRIGGEROUT_SELECT7, kTriggerOutSelectEntries},
    {FG_TRIGGEROUT_STATS_SOURCE, kPulseGeneratorEntries},
    {FG_TRIGGEROUT_STATS_PULSECOUNT_CLEAR, kApplyEntries},
    {FG_MISSING_CAMERA_FRAME_RESPONSE, kYesNoEntries},
    {FG_MISSING_CAMERA_FRAME_RESPONSE_CLEAR, kApplyEntries},
    {FG_TRIGGER_OUTPUT_EVENT_SELECT, kPulseGeneratorEntries},
    {FG_TRIGGER_LEGACY_MODE, kOnOffEntries},
    {FG_TRIGGERMODE, kLegacyTriggerModeEntries},
    {FG_EXSYNCON, kOnOffEntries},
    {FG_FLASHON, kOnOffEntries},
    {FG_EXSYNCPOLARITY, kLegacyPolarityEntries},
    {FG_FLASH_POLARITY, kLegacyPolarityEntries},
    {FG_CCSEL0, kLegacyCcSelectEntries},
    {FG_CCSEL1, kLegacyCcSelectEntries},
    {FG_CCSEL2, kLegacyCcSelectEntries},
    {FG_CCSEL3, kLegacyCcSelectEntries},
});

constexpr auto kSortedByParameter = [] {
    auto sorted = kByParameter;
    std::sort(sorted.begin(), sorted.end(),
              [](const ParameterEnumeration& a, const ParameterEnumeration& b) { return a.id < b.id; });
    return sorted;
}();

} // namespace

EnumerationTable enumerationOf(int32_t parameterId) {
    const auto it =
        std::lower_bound(kSortedByParameter.begin(), kSortedByParameter.end(), parameterId,
                         [](const ParameterEnumeration& entry, int32_t id) { return entry.id < id; });
    if (it == kSortedByParameter.end() || it->id != parameterId)
        return {};
    return it->table;
}

} // namespace kestrel
