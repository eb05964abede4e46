// The applet on virtual board 0 for the pipeline parameter tests, with the parameter ids, the
// design names of the registers these parameters drive, and the published limits of the tree.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "applet_on_board.h"
#include "board_write_log.h"
#include "grabhost5_host.h"
#include "params/parameter_ids.h"

namespace kestrel::test {

using namespace kestrel::ids;

// The code a broken register answers in these tests; the board passes it on unchanged.
inline constexpr int32_t kBrokenRegister = -7042;

namespace names {
inline constexpr const char* kCameraFormat = "Device1_Process0_Camera_Format";
inline constexpr const char* kUseDval = "Device1_Process0_Camera_UseDval";
inline constexpr const char* kBank0XLength = "Device1_Process0_Buffer_0_DRAM_A_0_XLength";
inline constexpr const char* kBank1XLength = "Device1_Process0_Buffer_0_DRAM_A_1_XLength";
inline constexpr const char* kBank0YLength = "Device1_Process0_Buffer_0_DRAM_A_0_YLength";
inline constexpr const char* kBank1YLength = "Device1_Process0_Buffer_0_DRAM_A_1_YLength";
inline constexpr const char* kBank0XOffset = "Device1_Process0_Buffer_0_DRAM_A_0_XOffset";
inline constexpr const char* kBank1XOffset = "Device1_Process0_Buffer_0_DRAM_A_1_XOffset";
inline constexpr const char* kBank0YOffset = "Device1_Process0_Buffer_0_DRAM_A_0_YOffset";
inline constexpr const char* kBank1YOffset = "Device1_Process0_Buffer_0_DRAM_A_1_YOffset";
inline constexpr const char* kBank0FillLevel = "Device1_Process0_Buffer_0_DRAM_A_0_FillLevel";
inline constexpr const char* kBank1FillLevel = "Device1_Process0_Buffer_0_DRAM_A_1_FillLevel";
inline constexpr const char* kShading0XLength = "Device1_Process0_Shading_ShadingBuffer_0_XLength";
inline constexpr const char* kShading1XLength = "Device1_Process0_Shading_ShadingBuffer_1_XLength";
inline constexpr const char* kShading0YLength = "Device1_Process0_Shading_ShadingBuffer_0_YLength";
inline constexpr const char* kShading1YLength = "Device1_Process0_Shading_ShadingBuffer_1_YLength";
inline constexpr const char* kShading0XOffset = "Device1_Process0_Shading_ShadingBuffer_0_XOffset";
inline constexpr const char* kShading1XOffset = "Device1_Process0_Shading_ShadingBuffer_1_XOffset";
inline constexpr const char* kShading0YOffset = "Device1_Process0_Shading_ShadingBuffer_0_YOffset";
inline constexpr const char* kShading1YOffset = "Device1_Process0_Shading_ShadingBuffer_1_YOffset";
inline constexpr const char* kShading0Update = "Device1_Process0_Shading_ShadingBuffer_0_UpdateROI";
inline constexpr const char* kShading1Update = "Device1_Process0_Shading_ShadingBuffer_1_UpdateROI";
inline constexpr const char* kOverflow = "Device1_Process0_Overflow_OverflowOccurred";
inline constexpr const char* kFormatSelect = "Device1_Process0_OutputFormat_FG_FORMAT_SelectSource";
inline constexpr const char* kBitAlignment = "Device1_Process0_OutputFormat_FG_BITALIGNMENT_Value";
inline constexpr const char* kSelectPeriod = "Device1_Process0_ImageSelector_FG_IMG_SELECT_PERIOD_Divisor";
inline constexpr const char* kSelectPhase = "Device1_Process0_ImageSelector_FG_IMG_SELECT_PHASE_Number";
inline constexpr const char* kNoiseFilter = "Device1_Process0_NoiseFilter_Select_Value";
inline constexpr const char* kGenEnable = "AAGenEnable";
inline constexpr const char* kGenStart = "AAGenStart";
inline constexpr const char* kGenWidth = "AAGenWidth";
inline constexpr const char* kGenLineWidth = "AAGenLineWidth";
inline constexpr const char* kGenHeight = "AAGenHeight";
inline constexpr const char* kGenActive = "AAGenActive";
inline constexpr const char* kGenPassive = "AAGenPassive";
inline constexpr const char* kGenMask = "AAGenMask";
inline constexpr const char* kGenRoll = "AAGenRoll";
} // namespace names

using NamedWrites = std::vector<std::pair<std::string, uint64_t>>;

class PipelineOnBoard : public ::testing::Test {
protected:
    uint32_t u32(int32_t id) { return applet.get<uint32_t>(id); }
    int32_t i32(int32_t id) { return applet.get<int32_t>(id); }
    double f64(int32_t id) { return applet.get<double>(id); }
    uint64_t reg(const char* name) const { return applet.reg(name); }

    // The register writes `action` makes, in order, as (design name, value) pairs; writes of
    // registers missing from `known` show as "?".
    template <class Action>
    NamedWrites writesOf(Action&& action, const std::vector<const char*>& known) const {
        BoardWriteLog::start();
        action();
        NamedWrites result;
        for (const BoardWrite& write : BoardWriteLog::stop()) {
            std::string name = "?";
            for (const char* candidate : known)
                if (applet.registerId(candidate) == write.id)
                    name = candidate;
            result.emplace_back(name, write.value);
        }
        return result;
    }

    const Gh5ParameterInfoNode* infoNode(int32_t id) const { return applet.infoNode(id); }

    AppletOnBoard applet;
};

} // namespace kestrel::test
