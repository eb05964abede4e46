// The names of the registers the emulated design acts on.
#include "register_roles.h"

#include <algorithm>
#include <string>

namespace kestrel::boardhw {
namespace {

constexpr std::array<std::string_view, kRoleCount> kRoleNames = {
    "AAGenEnable",
    "AAGenStart",
    "AAGenWidth",
    "AAGenLineWidth",
    "AAGenHeight",
    "AAGenActive",
    "AAGenPassive",
    "AAGenMask",
    "AAGenRoll",
    "Device1_Process0_Camera_Format",
    "Device1_Process0_Camera_UseDval",
    "Device1_Process0_Buffer_0_DRAM_A_0_XLength",
    "Device1_Process0_Buffer_0_DRAM_A_1_XLength",
    "Device1_Process0_Buffer_0_DRAM_A_0_YLength",
    "Device1_Process0_Buffer_0_DRAM_A_1_YLength",
    "Device1_Process0_Buffer_0_DRAM_A_0_XOffset",
    "Device1_Process0_Buffer_0_DRAM_A_1_XOffset",
    "Device1_Process0_Buffer_0_DRAM_A_0_YOffset",
    "Device1_Process0_Buffer_0_DRAM_A_1_YOffset",
    "Device1_Process0_Shading_ShadingBuffer_0_XLength",
    "Device1_Process0_Shading_ShadingBuffer_1_XLength",
    "Device1_Process0_Shading_ShadingBuffer_0_YLength",
    "Device1_Process0_Shading_ShadingBuffer_1_YLength",
    "Device1_Process0_Shading_ShadingBuffer_0_XOffset",
    "Device1_Process0_Shading_ShadingBuffer_1_XOffset",
    "Device1_Process0_Shading_ShadingBuffer_0_YOffset",
    "Device1_Process0_Shading_ShadingBuffer_1_YOffset",
    "Device1_Process0_Shading_ShadingBuffer_0_UpdateROI",
    "Device1_Process0_Shading_ShadingBuffer_1_UpdateROI",
    "Device1_Process0_Shading_ShadingBuffer_0_CoefficientFile 0",
    "Device1_Process0_Shading_ShadingBuffer_1_CoefficientFile 0",
    "Device1_Process0_Shading_ShadingBuffer_0_LoadCoefficients",
    "Device1_Process0_Shading_ShadingBuffer_1_LoadCoefficients",
    "Device1_Process0_Shading_EnableOffset_Enable_Value",
    "Device1_Process0_Shading_EnableGain_Enable_Value",
    "Device1_Process0_Shading_EnableGain_Default_Value",
    "Device1_Process0_NoiseFilter_EnableDeadPixelReplacement_Value",
    "Device1_Process0_NoiseFilter_Select_Value",
    "Device1_Process0_ImageSelector_FG_IMG_SELECT_PERIOD_Divisor",
    "Device1_Process0_ImageSelector_FG_IMG_SELECT_PHASE_Number",
    "Device1_Process0_LookupTable_LookupTable_LUTcontent",
    "Device1_Process0_OutputFormat_FG_FORMAT_SelectSource",
    "Device1_Process0_OutputFormat_FG_BITALIGNMENT_Value",
    "Device1_Process0_Overflow_OverflowOccurred",
    "Device1_Process0_Buffer_0_DRAM_A_0_FillLevel",
    "Device1_Process0_Buffer_0_DRAM_A_1_FillLevel",
};

} // namespace

std::string_view roleRegisterName(RegisterRole role) {
    return kRoleNames.at(static_cast<std::size_t>(role));
}

std::optional<RegisterRole> roleOfName(std::string_view name) {
    const auto it = std::find(kRoleNames.begin(), kRoleNames.end(), name);
    if (it == kRoleNames.end())
        return std::nullopt;
    return static_cast<RegisterRole>(it - kRoleNames.begin());
}

RegisterKind kindOfName(std::string_view name) {
    const auto role = roleOfName(name);
    if (!role)
        return RegisterKind::Value;
    switch (*role) {
    case RegisterRole::LutContent:
        return RegisterKind::Table;
    case RegisterRole::CoefficientFile0:
    case RegisterRole::CoefficientFile1:
        return RegisterKind::Text;
    default:
        return RegisterKind::Value;
    }
}

RoleMap::RoleMap(const RegisterFile& registers) {
    for (std::size_t i = 0; i < kRoleCount; ++i)
        ids_[i] = registers.idOf(std::string(kRoleNames[i]));
}

std::optional<RegisterRole> RoleMap::roleOf(uint32_t id) const {
    if (id == 0)
        return std::nullopt;
    const auto it = std::find(ids_.begin(), ids_.end(), id);
    if (it == ids_.end())
        return std::nullopt;
    return static_cast<RegisterRole>(it - ids_.begin());
}

} // namespace kestrel::boardhw
